#pragma once
// The roster editor's dialog for a link to a web address.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kanata {

class MessageService;

// "外部リンクの登録": one address typed or taken from a browser.
class TAddExtURL : public QDialog {
public:
    TAddExtURL(MessageService& messages, QWidget* parent);

    QLineEdit* edtURL = nullptr;
    QPushButton* btnImport = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    MessageService& messages_;
};

} // namespace kanata
