#pragma once
// The preview's zoom choices: fitting the whole sheet, or a percentage of
// the sheet's size at the screen's resolution.
#include <QSizeF>
#include <QStringList>

namespace kanata {

// "用紙全体" first, then 200 % down to 50 %.
QStringList PreviewZoomCaptions();
inline constexpr int kPreviewZoomCount = 8;

// The scale from 96-dpi sheet pixels to screen pixels for choice `zoom`.
// Fitting leaves a margin of 44 pixels around the sheet in `visible`.
double PreviewScale(int zoom, const QSizeF& sheetAt96, const QSizeF& visible, double screenDpi);

} // namespace kanata
