#include "printing/PageMetrics.h"

#include <QFontDatabase>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace kanata {

int MarginPixels(double dpi, int tenthsOfMm) {
    return static_cast<int>(std::lround(dpi * tenthsOfMm / 254.0));
}

int LineUnits(int type) {
    switch (type) {
    case 1:
    case 4:
        return 2;
    case 2:
        return 3;
    default:
        return 1;
    }
}

double LineThickness(int type, double dpi) {
    return LineUnits(type) * dpi / 96.0;
}

namespace {

QFont FontAt(const PrintFormat& format, int pixels, bool bold) {
    // The layout counts widths in half-width characters, which only works
    // with a fixed-pitch font; the Windows fonts a stored layout names are
    // not found here, so a fixed-pitch Japanese font stands behind them.
    // The system's font substitution would hand such a name to a
    // proportional font, so an unknown name goes straight to the fallback.
    const QString name = QString::fromStdString(format.fontName);
    QFont font;
    font.setFamilies(QFontDatabase::hasFamily(name)
                         ? QStringList{name, QString::fromLatin1(kFallbackPrintFont)}
                         : QStringList{QString::fromLatin1(kFallbackPrintFont)});
    font.setStyleHint(QFont::TypeWriter);
    // Widths must scale with the page: hinting rounds glyph advances to
    // whole screen pixels, which widens text on a reduced preview.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(std::max(1, pixels));
    font.setBold(bold || format.bold());
    font.setItalic(format.italic());
    return font;
}

int PointsToPixels(int points, double dpiY) {
    return static_cast<int>(points * dpiY / 72.0);
}

} // namespace

QFont BodyFont(const PrintFormat& format, double dpiY) {
    return FontAt(format, PointsToPixels(format.fontPoints(), dpiY), false);
}

QFont TitleFont(const PrintFormat& format, double dpiY) {
    return FontAt(format, PointsToPixels(format.fontPoints() / 2 * 3, dpiY), true);
}

double RecordArea(const PrintFormat& f, const PageGeometry& page) {
    const int lineH = PointsToPixels(f.fontPoints(), page.dpiY);
    const int half = static_cast<int>(std::lround(lineH / 2.0));
    const auto thickness = [&](RuledLine p) {
        return static_cast<int>(LineThickness(f.lines[p].type, page.dpiY));
    };
    double height = page.height - MarginPixels(page.dpiY, f.offsetY);
    bool nothingAbove = true;
    if (!f.title.empty()) {
        height -= 2 * PointsToPixels(f.fontPoints() / 2 * 3, page.dpiY);
        nothingAbove = false;
    }
    const bool dateTop = f.datePosY == VerticalPosition::Top;
    const bool pageTop = f.pagePosY == VerticalPosition::Top;
    if (f.viewDate) {
        height -= dateTop ? lineH + half : lineH;
        if (dateTop)
            nothingAbove = false;
    }
    if (f.viewPage) {
        if (pageTop)
            nothingAbove = false;
        if (!f.viewDate || dateTop != pageTop)
            height -= pageTop ? lineH + half : lineH;
        else if (f.datePosX == f.pagePosX)
            height -= lineH;
    }
    if (nothingAbove) {
        height -= half / 2;
        if (f.lines[TopEdge].on)
            height += thickness(TopEdge);
    }
    height -= lineH + half - half / 2;
    if (f.lines[BottomEdge].on)
        height -= thickness(BottomEdge);
    return height;
}

int RecordsPerPage(const PrintFormat& f, const PageGeometry& page) {
    const int lineH = PointsToPixels(f.fontPoints(), page.dpiY);
    const int half = static_cast<int>(std::lround(lineH / 2.0));
    const double height = RecordArea(f, page);
    const int perRecord = f.rowsPerRecord() * lineH + half;
    if (perRecord <= 0 || height < perRecord)
        return 1;
    return static_cast<int>(height / perRecord);
}

int PageCount(long long records, int recordsPerPage) {
    if (records <= 0 || recordsPerPage <= 0)
        return 0;
    return static_cast<int>((records + recordsPerPage - 1) / recordsPerPage);
}

} // namespace kanata
