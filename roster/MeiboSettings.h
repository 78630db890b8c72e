#pragma once
// What the roster windows take from the global settings, and the custom
// colours of the colour dialog kept in CstmClr.ini.
#include <array>
#include <cstdint>
#include <string>

namespace kanata {

struct GlobalSettings;
class IniFile;

struct MeiboSettings {
    bool AutoSaveMeibo = true;
    bool SaveMeiboConfirm = true;
    bool SameTelUpdate = true;
    bool DeleteType = false;
    int ListMaxCount = 200;
    std::array<std::string, 3> SelectItem{"内容", "メモ", "受付"};
    std::string MapName; // the configured map program, for the button's hint

    static MeiboSettings From(const GlobalSettings& settings);
};

// Sixteen custom colours as stored: six hexadecimal digits each, in the
// stored colour order (blue highest, red lowest).
using CustomColours = std::array<std::uint32_t, 16>;
inline constexpr const char* kCustomColourSection = "COMMON";
// Keys "0".."15"; absent or unreadable values are 0 (black).
CustomColours ReadCustomColours(const IniFile& ini);
void WriteCustomColours(IniFile& ini, const CustomColours& colours);

} // namespace kanata
