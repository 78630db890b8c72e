// The settings-file reader on any bytes: parsing, reading every kind of
// value, writing keys back, and the promise that lines the program does not
// change come back byte for byte.
#include "settings/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (auto encoding : {kanata::IniFile::Encoding::Cp932, kanata::IniFile::Encoding::Utf8}) {
        kanata::IniFile ini("unused.ini", encoding);
        ini.parseBytes(bytes);
        const std::string before = ini.text();
        for (const std::string& section : ini.sections())
            for (const std::string& key : ini.keys(section)) {
                (void)ini.readInteger(section, key, 7);
                (void)ini.readBool(section, key, true);
                // Writing the value a key has changes nothing.
                ini.writeString(section, key, ini.readString(section, key));
            }
        if (ini.text() != before)
            std::abort();
        ini.writeString("COMMON", "Port", "COM1\r\n[X]");
        ini.writeInteger("SCREEN VIEW", "ListMaxCount", 200);
        if (ini.readString("COMMON", "Port") != "COM1  [X]" ||
            ini.readInteger("SCREEN VIEW", "ListMaxCount", 0) != 200)
            std::abort();
        // What is written reads back the same.
        kanata::IniFile again("unused.ini", encoding);
        again.parse(ini.text());
        (void)again.sections();
    }
    (void)kanata::IniFile::parseInteger(bytes, 0);
    return 0;
}
