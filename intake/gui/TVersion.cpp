#include "intake/gui/TVersion.h"
#include "ui/gui/CallerForm.h"

#include "lookup/DataCredits.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kanata {

TVersion::TVersion(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("TVersion"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(
        QStringLiteral("着信帳１９.５  Version %1").arg(QCoreApplication::applicationVersion()),
        this);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    layout->addWidget(name);
    layout->addWidget(new QLabel(QStringLiteral("使用しているデータ："), this));
    memCredits = new QPlainTextEdit(QString::fromUtf8(kDictionaryDataCredits), this);
    memCredits->setReadOnly(true);
    memCredits->setMinimumSize(460, 110);
    layout->addWidget(memCredits);
    layout->addLayout(ui::MakeOkRow(this, btnOK));
}

} // namespace kanata
