#pragma once
// "バージョン情報": the program's name and version, and the credits the
// shipped data asks to be shown.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace kanata {

class TVersion : public QDialog {
    Q_OBJECT
public:
    explicit TVersion(QWidget* owner);

    QPlainTextEdit* memCredits = nullptr;
    QPushButton* btnOK = nullptr;
};

} // namespace kanata
