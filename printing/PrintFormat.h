#pragma once
// Everything of a printed list except its columns: title, date, page
// number, font, rows per record, margins, ruled lines, colours, range mode
// and copies, stored in the settings file's "LIST PRINT" section. A stored
// value out of its range reads as its default.
#include "printing/PrintItems.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kanata {

class IniFile;

inline constexpr const char* kListPrintSection = "LIST PRINT";

// Colours as the settings file stores them: 0x00BBGGRR.
using StoredColour = std::uint32_t;
inline constexpr StoredColour kWhite = 0xFFFFFF;

enum class HorizontalPosition { Left = 0, Centre = 1, Right = 2 };
enum class VerticalPosition { Top = 0, Bottom = 1 };

// Ruled line positions in the order of their keys "Line1".."Line6".
enum RuledLine { TopEdge = 0, InnerHorizontal, BottomEdge, LeftEdge, InnerVertical, RightEdge };
inline constexpr int kRuledLineCount = 6;
inline constexpr int kLineTypeCount = 6; // solid 1/2/3 units, dotted 1/2, dash-dot

inline constexpr int kMaxDataColours = 10;

struct RuledLineSetting {
    bool on = false;
    int type = 0;
    bool operator==(const RuledLineSetting&) const = default;
};

struct PrintFormat {
    PrintSource source = PrintSource::History;
    bool ignoreTdfkn = false;
    std::string title;
    HorizontalPosition titlePos = HorizontalPosition::Centre;
    bool viewDate = true;
    HorizontalPosition datePosX = HorizontalPosition::Right;
    VerticalPosition datePosY = VerticalPosition::Top;
    bool viewPage = true;
    int pageType = 0; // 0..5
    HorizontalPosition pagePosX = HorizontalPosition::Centre;
    VerticalPosition pagePosY = VerticalPosition::Bottom;
    std::string fontName;  // empty: the default font
    int fontSizeIndex = 2; // 0..23 = 7..30 points
    int fontStyle = 0;     // bit 0 bold, bit 1 italic
    int fontCharset = 128; // 128 Japanese, 0 Western
    int rowCountIndex = 0; // 0..2 = 1..3 rows per record
    int offsetX = 0;       // tenths of a millimetre, 0..500
    int offsetY = 0;
    std::array<RuledLineSetting, kRuledLineCount> lines{};
    int horzInterval = 1; // 1..20
    StoredColour headerColour = kWhite;
    bool headerColourExists = false;
    std::vector<StoredColour> dataColours; // at most 10
    int dataSelect = 0;                    // 0 selection, 1 numeric range, 2 all
    int copies = 1;                        // 1..100

    int fontPoints() const { return fontSizeIndex + 7; }
    int rowsPerRecord() const { return rowCountIndex + 1; }
    bool bold() const { return (fontStyle & 1) != 0; }
    bool italic() const { return (fontStyle & 2) != 0; }

    bool operator==(const PrintFormat&) const = default;
};

inline constexpr const char* kDefaultPrintFont = "ＭＳ ゴシック";

PrintFormat ReadPrintFormat(const IniFile& ini);
void WritePrintFormat(IniFile& ini, const PrintFormat& format);

// "Page. ***" etc. with the number (and the count) put in.
std::string PageNumberText(int pageType, int page, int pageCount);
// The formats as the dialog lists them ("Page. ***", ..).
std::vector<std::string> PageTypeCaptions();

} // namespace kanata
