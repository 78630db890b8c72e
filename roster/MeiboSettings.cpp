#include "roster/MeiboSettings.h"

#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"
#include "settings/MapPrograms.h"

#include <cstdio>

namespace kanata {

MeiboSettings MeiboSettings::From(const GlobalSettings& g) {
    MeiboSettings s;
    s.AutoSaveMeibo = g.AutoSaveMeibo;
    s.SaveMeiboConfirm = g.SaveMeiboConfirm;
    s.SameTelUpdate = g.SameTelUpdate;
    s.DeleteType = g.DeleteType;
    s.MapName = MapProgramName(g.Map);
    s.ListMaxCount = (g.ListMaxCount >= 1 && g.ListMaxCount <= 1000) ? g.ListMaxCount : 200;
    const std::string* items[] = {&g.SelectItem1, &g.SelectItem2, &g.SelectItem3};
    for (int i = 0; i < 3; ++i) {
        if (!items[i]->empty())
            s.SelectItem[i] = *items[i];
    }
    return s;
}

CustomColours ReadCustomColours(const IniFile& ini) {
    CustomColours colours{};
    for (int i = 0; i < 16; ++i) {
        const std::string text = ini.readString(kCustomColourSection, std::to_string(i), "000000");
        unsigned value = 0;
        char rest = 0;
        if (text.size() <= 6 && std::sscanf(text.c_str(), "%x%c", &value, &rest) == 1)
            colours[i] = value & 0xFFFFFF;
    }
    return colours;
}

void WriteCustomColours(IniFile& ini, const CustomColours& colours) {
    for (int i = 0; i < 16; ++i) {
        char text[8];
        std::snprintf(text, sizeof text, "%06X", colours[i] & 0xFFFFFF);
        ini.writeString(kCustomColourSection, std::to_string(i), text);
    }
}

} // namespace kanata
