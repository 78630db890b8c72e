#pragma once
// "罫線・色" of the list print: which ruled lines print and in which line
// type, how often a horizontal line falls, and the background colours of the
// headings and of the data rows. It edits the dialog's print format.
#include "printing/PrintFormat.h"
#include "printing/RuledLines.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace kanata {

class RuledLinesPage : public QWidget {
public:
    using ColourChooser = std::function<std::optional<QColor>(const QColor& initial)>;

    RuledLinesPage(PrintFormat& format, ColourChooser chooseColour,
                   std::function<void()> linesChanged, QWidget* parent);

    // Shows the format's lines, interval and colours.
    void showFormat();

    std::array<QToolButton*, kRuledLineCount> sbtnLine{};
    QPushButton* btnLineNone = nullptr;
    QPushButton* btnLineOuter = nullptr;
    QPushButton* btnLineInner = nullptr;
    QListWidget* lbxLineType = nullptr;
    QSpinBox* edtHorzInterval = nullptr;
    QLabel* pnlHeaderColour = nullptr;
    QPushButton* btnHeaderColour = nullptr;
    QPushButton* btnHeaderColourDelete = nullptr;
    QListWidget* lbxColours = nullptr;
    QPushButton* btnColourAdd = nullptr;
    QPushButton* btnColourDelete = nullptr;

private:
    QWidget* buildLines();
    QWidget* buildColours();
    void connectColours();
    void showLines();
    void showColours();

    PrintFormat& format_;
    ColourChooser chooseColour_;
    std::function<void()> linesChanged_;
};

} // namespace kanata
