#pragma once
#include "intake/gui/PasswordGate.h"

#include <QDialog>

class QLineEdit;

namespace kanata {

// "パスワード入力": asks for the start-up password. Accepted only by a correct
// OK; closing it any other way ends the program once the user confirms.
class TPasswordForm : public QDialog {
    Q_OBJECT
public:
    TPasswordForm(PasswordGate& gate, QWidget* parent = nullptr);

    QLineEdit* edtPassword = nullptr;

public slots:
    void btnOkClick();
    void reject() override;

private:
    PasswordGate& gate_;
};

// True when the program may go on: no password is set, or it was given.
bool askStartupPassword(const std::string& storedHash, MessageService& messages,
                        QWidget* parent = nullptr);

} // namespace kanata
