#pragma once
// "書式" of the list print: the font, its style and size, the rows each
// record takes, the margins, and how many records a page then holds.
#include "printing/PrintFormat.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QLabel;

namespace kanata {

class PrintFontPage : public QWidget {
public:
    // `changed` runs when the user changes any of the page's choices.
    PrintFontPage(std::function<void()> changed, QWidget* parent);

    void showFormat(const PrintFormat& format);
    void collectFormat(PrintFormat& format) const;

    QFontComboBox* cbxFontName = nullptr;
    QComboBox* cbxCharset = nullptr;
    QComboBox* cbxFontSize = nullptr;
    QCheckBox* chkBold = nullptr;
    QCheckBox* chkItalic = nullptr;
    QLabel* pnlSample = nullptr;
    QComboBox* cbxRowCount = nullptr;
    QDoubleSpinBox* edtOffsetX = nullptr;
    QDoubleSpinBox* edtOffsetY = nullptr;
    // Set by the dialog, which knows the printer.
    QLabel* lblPerPage = nullptr;

private:
    std::function<void()> changed_;
    bool filling_ = false;
};

} // namespace kanata
