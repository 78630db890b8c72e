#pragma once
// The sizes a printed list is laid out with, in device pixels: the page,
// the margins, the line height and character width of the body font, and
// the number of records that fit on a page.
#include "printing/PrintFormat.h"

#include <QFont>

namespace kanata {

// The printable area of one page: its size in device pixels and the
// device's resolution.
struct PageGeometry {
    int width = 0;
    int height = 0;
    double dpiX = 96;
    double dpiY = 96;
};

// Tenths of a millimetre to pixels at `dpi`, rounded.
int MarginPixels(double dpi, int tenthsOfMm);
// The thickness of a ruled line type in line units (dpi / 96 pixels).
int LineUnits(int type);
double LineThickness(int type, double dpi);

inline constexpr const char* kFallbackPrintFont = "Noto Sans Mono CJK JP";

// The body font at the format's size (pixel size from points and the
// vertical resolution), and the title font: bold, one and a half times as
// large (half the points truncated, times three).
QFont BodyFont(const PrintFormat& format, double dpiY);
QFont TitleFont(const PrintFormat& format, double dpiY);

// The height left for the records of a page, from the nominal font size:
// the page below the top margin, less the title band, the date and page
// number lines, the gap above the header, the header row and the edges.
double RecordArea(const PrintFormat& format, const PageGeometry& page);
// The records one page holds, worked out from the nominal font size (at
// least 1, so that a page too small for one record still makes progress).
int RecordsPerPage(const PrintFormat& format, const PageGeometry& page);
int PageCount(long long records, int recordsPerPage);

} // namespace kanata
