#include "settings/WindowGeometry.h"

#include <cmath>
#include <string>

namespace kanata {
namespace {

int scale(int value, int numerator, int denominator) {
    if (denominator <= 0)
        return value;
    return static_cast<int>(std::floor(static_cast<double>(value) * numerator / denominator + 0.5));
}

std::optional<int> readOptional(const IniFile& ini, std::string_view section,
                                std::string_view key) {
    if (!ini.hasKey(section, key))
        return std::nullopt;
    return ini.readInteger(section, key, 0);
}

void writeOptional(IniFile& ini, std::string_view section, std::string_view key,
                   const std::optional<int>& v) {
    if (v)
        ini.writeInteger(section, key, *v);
}

} // namespace

int toStoredUnits(int pixels, int dpi) {
    return scale(pixels, 96, dpi);
}
int toScreenPixels(int stored, int dpi) {
    return scale(stored, dpi, 96);
}

int centredOffset(int screenSize, int windowSize) {
    return (screenSize - windowSize) / 2;
}

StoredGeometry readGeometry(const IniFile& ini, std::string_view section, int columnCount) {
    StoredGeometry g;
    g.left = readOptional(ini, section, "Left");
    g.top = readOptional(ini, section, "Top");
    g.width = readOptional(ini, section, "Width");
    g.height = readOptional(ini, section, "Height");
    for (int i = 1; i <= columnCount; ++i)
        g.columns.push_back(readOptional(ini, section, "List" + std::to_string(i)));
    return g;
}

void writeGeometry(IniFile& ini, std::string_view section, const StoredGeometry& g) {
    writeOptional(ini, section, "Left", g.left);
    writeOptional(ini, section, "Top", g.top);
    writeOptional(ini, section, "Width", g.width);
    writeOptional(ini, section, "Height", g.height);
    for (std::size_t i = 0; i < g.columns.size(); ++i)
        writeOptional(ini, section, "List" + std::to_string(i + 1), g.columns[i]);
}

ScreenGeometry applyGeometry(const StoredGeometry& stored, const ScreenGeometry& defaults,
                             int screenWidth, int screenHeight, int dpi) {
    ScreenGeometry s = defaults;
    if (stored.width)
        s.width = toScreenPixels(*stored.width, dpi);
    if (stored.height)
        s.height = toScreenPixels(*stored.height, dpi);
    s.left = stored.left ? toScreenPixels(*stored.left, dpi) : centredOffset(screenWidth, s.width);
    s.top = stored.top ? toScreenPixels(*stored.top, dpi) : centredOffset(screenHeight, s.height);
    for (std::size_t i = 0; i < stored.columns.size(); ++i) {
        if (i >= s.columns.size())
            s.columns.push_back(0);
        if (stored.columns[i])
            s.columns[i] = toScreenPixels(*stored.columns[i], dpi);
    }
    return s;
}

StoredGeometry storeGeometry(const ScreenGeometry& w, int dpi, bool resizable) {
    StoredGeometry g;
    g.left = toStoredUnits(w.left, dpi);
    g.top = toStoredUnits(w.top, dpi);
    if (resizable) {
        g.width = toStoredUnits(w.width, dpi);
        g.height = toStoredUnits(w.height, dpi);
    }
    for (int c : w.columns)
        g.columns.push_back(toStoredUnits(c, dpi));
    return g;
}

} // namespace kanata
