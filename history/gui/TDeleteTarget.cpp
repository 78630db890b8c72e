#include "history/gui/TDeleteTarget.h"

#include "ui/gui/DialogSupport.h"
#include "platform/MessageService.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kanata {

TDeleteTarget::TDeleteTarget(const QString& caption, int selectedCount, MessageService& messages,
                             QWidget* parent)
    : QDialog(parent), selectedCount_(selectedCount), messages_(messages) {
    setWindowTitle(caption);
    auto* group = new QGroupBox(QStringLiteral("削除対象"), this);
    rbSelected = new QRadioButton(QStringLiteral("選択したデータのみ"), group);
    rbAll = new QRadioButton(QStringLiteral("表示条件に該当するすべてのデータ"), group);
    auto* options = new QVBoxLayout(group);
    options->addWidget(rbSelected);
    options->addWidget(rbAll);
    if (selectedCount > 0) {
        rbSelected->setChecked(true);
    } else {
        rbSelected->setEnabled(false);
        rbAll->setChecked(true);
    }
    ColourChosenCaption({rbSelected, rbAll});

    btnDelete = new QPushButton(QStringLiteral("削除(&D)"), this);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnDelete->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    connect(btnDelete, &QPushButton::clicked, this, &TDeleteTarget::btnDeleteClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* enter = new EnterMovesFocus(this);
    for (QRadioButton* rb : {rbSelected, rbAll})
        enter->watch(rb, [this] { return btnDelete; });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnDelete);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    (rbSelected->isChecked() ? rbSelected : rbAll)->setFocus();
}

TDeleteTarget::Target TDeleteTarget::target() const {
    return rbSelected->isChecked() ? Target::Selected : Target::AllMatching;
}

void TDeleteTarget::btnDeleteClick() {
    const std::string question =
        target() == Target::Selected
            ? std::to_string(selectedCount_) + "件のデータを削除します\r\nよろしいですか？"
            : std::string("現在の表示条件（初期表示状態を含む）に該当する\r\n"
                          "すべてのデータを削除します\r\nよろしいですか？");
    if (messages_.ask(question, false, this))
        accept();
    else
        reject();
}

} // namespace kanata
