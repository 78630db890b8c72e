#pragma once
// The stand-in for the Windows registry: an INI file registry.ini under
// $XDG_CONFIG_HOME/Tenko/ (default ~/.config/Tenko/). A key path such as
// "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Foo.exe"
// is a section name, a value name is a key and the default value is the key
// "@". The file is UTF-8: it is ours alone, and registry values are Unicode.
// Key paths and value names compare without case, as the registry does.
#include "settings/IniFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanata {

class Registry {
public:
    static constexpr const char* kDefaultValue = "@";

    // The file at its usual place ($XDG_CONFIG_HOME/Tenko/registry.ini).
    static std::filesystem::path defaultPath();

    explicit Registry(std::filesystem::path file = defaultPath());

    // Rereads the file (a missing file is an empty registry).
    bool reload();

    bool keyExists(std::string_view key) const;
    // Names of the keys directly below `key`.
    std::vector<std::string> subKeys(std::string_view key) const;

    std::optional<std::string> readString(std::string_view key,
                                          std::string_view name = kDefaultValue) const;
    std::optional<std::uint32_t> readDword(std::string_view key,
                                           std::string_view name = kDefaultValue) const;

    // Each write is saved at once; false when the file cannot be written.
    bool writeString(std::string_view key, std::string_view name, std::string_view value);
    bool writeDword(std::string_view key, std::string_view name, std::uint32_t value);
    bool deleteValue(std::string_view key, std::string_view name);
    bool deleteKey(std::string_view key);

    const std::string& lastError() const { return ini_.lastError(); }

private:
    bool save();

    IniFile ini_;
};

} // namespace kanata
