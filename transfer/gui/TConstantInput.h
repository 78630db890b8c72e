#pragma once
// "固定値の入力": a constant that every imported record receives.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kanata {

class TConstantInput : public QDialog {
    Q_OBJECT
public:
    // maxLength in code page 932 bytes, as the field stores it; 0 = no limit.
    explicit TConstantInput(int maxLength, QWidget* parent = nullptr);

    // The trimmed constant.
    QString value() const;

    QLineEdit* edtValue = nullptr;
    QPushButton* btnDate = nullptr;
    QPushButton* btnTime = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace kanata
