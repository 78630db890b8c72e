#pragma once
// "範囲指定": the first and last list positions of a numeric range, for the
// export and the list print alike.
#include <QDialog>

#include <cstdint>

class QLabel;
class QPushButton;
class QSpinBox;

namespace kanata {

class TRangeSpecification : public QDialog {
    Q_OBJECT
public:
    TRangeSpecification(std::int64_t total, std::int64_t begin, std::int64_t end,
                        QWidget* parent = nullptr);

    std::int64_t begin() const;
    std::int64_t end() const;

    QLabel* lblTotal = nullptr;
    QSpinBox* edtBegin = nullptr; // with its up-down buttons
    QSpinBox* edtEnd = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void beginChanged(int value);
    void endChanged(int value);
};

} // namespace kanata
