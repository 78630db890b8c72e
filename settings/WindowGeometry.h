#pragma once
// Window positions and column widths are stored at 96 pixels per inch, so a
// file moved between screens keeps the windows' physical size.
#include "settings/IniFile.h"

#include <optional>
#include <string_view>
#include <vector>

namespace kanata {

// Pixels on a screen of `dpi` -> stored units: v * 96 / dpi + 0.5, rounded down.
int toStoredUnits(int pixels, int dpi);
// Stored units -> pixels on a screen of `dpi`: s * dpi / 96 + 0.5, rounded down.
int toScreenPixels(int stored, int dpi);

// Where a window goes when no position is stored: centred on the screen.
int centredOffset(int screenSize, int windowSize);

// A window's section, in stored (96-dpi) units; absent keys stay empty.
struct StoredGeometry {
    std::optional<int> left, top, width, height;
    std::vector<std::optional<int>> columns; // List1, List2, ...
};

struct ScreenGeometry {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<int> columns;
};

// Reads Left, Top, Width, Height and List1..List<columnCount>.
StoredGeometry readGeometry(const IniFile& ini, std::string_view section, int columnCount = 0);
// Writes the keys that are set; Width/Height only for resizable windows.
void writeGeometry(IniFile& ini, std::string_view section, const StoredGeometry& geometry);

// Applies the stored geometry on a screen: stored values are scaled, absent
// sizes keep the window's own size, absent Left/Top centre the window, absent
// column widths keep `defaults.columns`.
ScreenGeometry applyGeometry(const StoredGeometry& stored, const ScreenGeometry& defaults,
                             int screenWidth, int screenHeight, int dpi);
// The geometry of a window on a screen of `dpi`, for storing.
StoredGeometry storeGeometry(const ScreenGeometry& window, int dpi, bool resizable);

} // namespace kanata
