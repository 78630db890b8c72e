#pragma once
// "範囲・プリンター" of the list print: the copies, the printer with its
// paper and orientation, and which records print.
#include "printing/PrintFormat.h"

#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace kanata {

class PrinterRangePage : public QWidget {
public:
    // Edits the copies and the records of `format`; "設定" runs `setupPrinter`.
    PrinterRangePage(PrintFormat& format, std::function<void()> setupPrinter, QWidget* parent);

    void showFormat();
    void showPrinter(const QPrinter& printer);
    // The copies the print dialog came back with, within the field's range.
    void setCopies(int copies);

    QSpinBox* edtCopies = nullptr;
    QLabel* lblPrinterName = nullptr;
    QLabel* lblPaper = nullptr;
    QLabel* lblOrientation = nullptr;
    QPushButton* btnPrinterSetup = nullptr;
    std::array<QRadioButton*, 3> rbDataSelect{};

private:
    PrintFormat& format_;
    std::function<void()> setupPrinter_;
};

} // namespace kanata
