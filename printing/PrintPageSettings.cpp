#include "printing/PrintPageSettings.h"

#include "settings/IniFile.h"

#include <QPageSize>
#include <QSizeF>

#include <algorithm>
#include <cmath>

namespace kanata {

namespace {

constexpr const char* kMarginKeys[] = {"MarginLeft", "MarginTop", "MarginRight", "MarginBottom"};
// Sizes and margins are kept in tenths of a millimetre.
constexpr int kMaxPaperTenths = 20000;
constexpr int kMaxMarginTenths = 1000;

QPageSize PageSizeOf(const IniFile& file) {
    const QString key = QString::fromStdString(file.readString(kPrinterSection, "PageSize"));
    for (int id = 0; id <= QPageSize::LastPageSize && !key.isEmpty(); ++id) {
        const QPageSize known(static_cast<QPageSize::PageSizeId>(id));
        if (known.key() == key)
            return known;
    }
    const int width = file.readInteger(kPrinterSection, "PaperWidth", 0);
    const int height = file.readInteger(kPrinterSection, "PaperHeight", 0);
    if (width > 0 && height > 0 && width <= kMaxPaperTenths && height <= kMaxPaperTenths)
        return QPageSize(QSizeF(width / 10.0, height / 10.0), QPageSize::Millimeter);
    return QPageSize(QPageSize::A4);
}

} // namespace

QPageLayout DefaultListPageLayout() {
    const double m = kDefaultListMarginMm;
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(m, m, m, m),
                       QPageLayout::Millimeter);
}

QPageLayout ReadListPageLayout(const IniFile& file) {
    const QPageSize size = PageSizeOf(file);
    const auto orientation = file.readInteger(kPrinterSection, "Orientation", 0) == 1
                                 ? QPageLayout::Landscape
                                 : QPageLayout::Portrait;
    double margins[4];
    for (int i = 0; i < 4; ++i) {
        const int tenths = file.readInteger(kPrinterSection, kMarginKeys[i], -1);
        margins[i] =
            tenths >= 0 && tenths <= kMaxMarginTenths ? tenths / 10.0 : kDefaultListMarginMm;
    }
    QPageLayout layout(size, orientation, QMarginsF(), QPageLayout::Millimeter);
    // Margins that leave no paper between them fall back to the default.
    if (!layout.setMargins(QMarginsF(margins[0], margins[1], margins[2], margins[3])))
        layout.setMargins(DefaultListPageLayout().margins());
    return layout;
}

QPageLayout ReadListPageLayout(const std::filesystem::path& file) {
    IniFile ini(file, IniFile::Encoding::Utf8);
    if (!ini.load())
        return DefaultListPageLayout();
    return ReadListPageLayout(ini);
}

void WriteListPageLayout(IniFile& file, const QPageLayout& layout) {
    const QPageSize size = layout.pageSize();
    file.writeString(kPrinterSection, "PageSize", size.key().toStdString());
    const QSizeF mm = size.size(QPageSize::Millimeter);
    file.writeInteger(kPrinterSection, "PaperWidth",
                      static_cast<int>(std::lround(mm.width() * 10)));
    file.writeInteger(kPrinterSection, "PaperHeight",
                      static_cast<int>(std::lround(mm.height() * 10)));
    file.writeInteger(kPrinterSection, "Orientation",
                      layout.orientation() == QPageLayout::Landscape ? 1 : 0);
    const QMarginsF m = layout.margins(QPageLayout::Millimeter);
    const double values[] = {m.left(), m.top(), m.right(), m.bottom()};
    for (int i = 0; i < 4; ++i)
        file.writeInteger(
            kPrinterSection, kMarginKeys[i],
            std::clamp(static_cast<int>(std::lround(values[i] * 10)), 0, kMaxMarginTenths));
}

} // namespace kanata
