#pragma once
// The map programs and services COMMON Map chooses from, by index: the
// settings dialog lists them and the roster editor names the one in use.
#include <array>
#include <string>

namespace kanata {

inline constexpr std::array<const char*, 11> kMapProgramNames = {
    "AtlasMate4/5",
    "プロアトラス2002",
    "プロアトラスＷ～Ｗ３/SV～SV7",
    "電子地図帳Ｚ[zi]Ⅱ～５",
    "いつもNAVI",
    "MapFanⅣ/Ⅴ",
    "MapFan.net",
    "MapFan PLANNER1/2",
    "スーパーマップル・デジタル Ver.1～17",
    "グランマップ東京都全域版",
    "Google マップ"};

// Empty for an index outside the list.
inline std::string MapProgramName(int map) {
    if (map < 0 || map >= static_cast<int>(kMapProgramNames.size()))
        return {};
    return kMapProgramNames[static_cast<std::size_t>(map)];
}

} // namespace kanata
