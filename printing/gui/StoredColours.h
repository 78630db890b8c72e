#pragma once
// Colours as the settings files keep them: 0xBBGGRR.
#include "printing/PrintFormat.h"

#include <QColor>

namespace kanata {

inline QColor ColourOf(StoredColour c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

inline StoredColour StoredOf(const QColor& c) {
    return static_cast<StoredColour>(c.red()) | static_cast<StoredColour>(c.green()) << 8 |
           static_cast<StoredColour>(c.blue()) << 16;
}

} // namespace kanata
