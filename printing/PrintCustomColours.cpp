#include "printing/PrintCustomColours.h"

#include "settings/IniFile.h"

#include <cstdio>

namespace kanata {

namespace {
std::string KeyOf(int i) {
    return std::string("Color") + static_cast<char>('A' + i);
}
} // namespace

PrintCustomColours ReadPrintCustomColours(const std::filesystem::path& file) {
    IniFile ini(file);
    ini.load();
    PrintCustomColours colours{};
    for (int i = 0; i < 16; ++i) {
        const std::string text = ini.readString("COMMON", KeyOf(i), "000000");
        unsigned value = 0;
        char rest = 0;
        if (text.size() <= 6 && std::sscanf(text.c_str(), "%x%c", &value, &rest) == 1)
            colours[static_cast<std::size_t>(i)] = value & 0xFFFFFF;
    }
    return colours;
}

bool WritePrintCustomColours(const std::filesystem::path& file, const PrintCustomColours& colours) {
    IniFile ini(file);
    ini.load();
    for (int i = 0; i < 16; ++i) {
        char text[8];
        std::snprintf(text, sizeof text, "%06X", colours[static_cast<std::size_t>(i)] & 0xFFFFFF);
        ini.writeString("COMMON", KeyOf(i), text);
    }
    return ini.save();
}

} // namespace kanata
