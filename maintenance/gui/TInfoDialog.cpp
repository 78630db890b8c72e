#include "maintenance/gui/TInfoDialog.h"
#include "ui/gui/CallerForm.h"

#include "platform/MessageService.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kanata {

TInfoDialog::TInfoDialog(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("TInfoDialog"));
    setWindowTitle(QStringLiteral("お知らせ"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    memInfo = new QPlainTextEdit(this);
    memInfo->setReadOnly(true);
    memInfo->setMinimumSize(460, 260);
    layout->addWidget(memInfo);
    chkInfo =
        new QCheckBox(QStringLiteral("起動時にお知らせ情報を取得し、お知らせを表示する"), this);
    chkUpdateCheck = new QCheckBox(QStringLiteral("起動時に最新アップデートの確認をする"), this);
    layout->addWidget(chkInfo);
    layout->addWidget(chkUpdateCheck);
    layout->addLayout(ui::MakeOkRow(this, btnOK));
}

void TInfoDialog::setNoticeText(const QString& text) {
    memInfo->setPlainText(text);
}
QString TInfoDialog::noticeText() const {
    return memInfo->toPlainText();
}

void TInfoDialog::setSwitches(bool info, bool updateCheck) {
    chkInfo->setChecked(info);
    chkUpdateCheck->setChecked(updateCheck);
}

bool TInfoDialog::infoChecked() const {
    return chkInfo->isChecked();
}
bool TInfoDialog::updateCheckChecked() const {
    return chkUpdateCheck->isChecked();
}

} // namespace kanata
