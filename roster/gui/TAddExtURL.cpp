#include "roster/gui/TAddExtURL.h"

#include "platform/MessageService.h"
#include "ui/gui/CallerForm.h"
#include "views/CallerRegistration.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kanata {

using namespace ui;

TAddExtURL::TAddExtURL(MessageService& messages, QWidget* parent)
    : QDialog(parent), messages_(messages) {
    setWindowTitle("外部リンクの登録");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("登録するURLを入力してください", this));
    edtURL = new QLineEdit(this);
    edtURL->setMinimumWidth(360);
    layout->addWidget(edtURL);
    auto* buttons = new QHBoxLayout;
    btnImport = MakeButton("URL取り込み", this);
    btnOK = MakeButton("登録", this);
    btnCancel = MakeButton("キャンセル", this);
    buttons->addWidget(btnImport);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnOK, &QPushButton::clicked, this, [this] {
        if (!edtURL->text().trimmed().isEmpty())
            accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnImport, &QPushButton::clicked, this, [this] {
        // Another program's address bar cannot be read on this desktop.
        messages_.information(MessageLines({"ブラウザのアドレスが見つかりませんでした"}), this);
    });
    connect(edtURL, &QLineEdit::returnPressed, this,
            [this] { (edtURL->text().trimmed().isEmpty() ? btnCancel : btnOK)->setFocus(); });
}

} // namespace kanata
