#include "printing/PreviewZoom.h"

#include <algorithm>

namespace kanata {

namespace {
constexpr int kPercent[] = {0, 200, 175, 150, 125, 100, 75, 50};
}

QStringList PreviewZoomCaptions() {
    QStringList captions{QStringLiteral("用紙全体")};
    for (int i = 1; i < kPreviewZoomCount; ++i)
        captions << QString::number(kPercent[i]) + QStringLiteral("%");
    return captions;
}

double PreviewScale(int zoom, const QSizeF& sheet, const QSizeF& visible, double screenDpi) {
    if (zoom > 0 && zoom < kPreviewZoomCount)
        return kPercent[zoom] / 100.0 * screenDpi / 96.0;
    if (sheet.width() <= 0 || sheet.height() <= 0)
        return 1;
    const double fit =
        std::min((visible.width() - 44) / sheet.width(), (visible.height() - 44) / sheet.height());
    return std::max(0.05, fit);
}

} // namespace kanata
