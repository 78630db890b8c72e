#include "settings/Registry.h"

#include "platform/ConfigFolder.h"

#include <cstdlib>
#include <system_error>

namespace kanata {
namespace fs = std::filesystem;
namespace {

// Lower-case ASCII, for comparing key paths as the registry does.
std::string folded(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string_view withoutTrailingBackslash(std::string_view key) {
    while (!key.empty() && key.back() == '\\')
        key.remove_suffix(1);
    return key;
}

} // namespace

fs::path Registry::defaultPath() {
    return userConfigFolder() / "Tenko" / "registry.ini";
}

Registry::Registry(fs::path file) : ini_(std::move(file), IniFile::Encoding::Utf8) {
    ini_.load();
}

bool Registry::reload() {
    return ini_.load();
}

bool Registry::keyExists(std::string_view key) const {
    key = withoutTrailingBackslash(key);
    if (ini_.hasSection(key))
        return true;
    return !subKeys(key).empty();
}

std::vector<std::string> Registry::subKeys(std::string_view key) const {
    const std::string prefix = folded(withoutTrailingBackslash(key)) + "\\";
    std::vector<std::string> names;
    for (const std::string& section : ini_.sections()) {
        if (folded(section).rfind(prefix, 0) != 0)
            continue;
        std::string rest = section.substr(prefix.size());
        rest = rest.substr(0, rest.find('\\'));
        if (rest.empty())
            continue;
        bool seen = false;
        for (const std::string& n : names)
            seen = seen || IniFile::sameName(n, rest);
        if (!seen)
            names.push_back(rest);
    }
    return names;
}

std::optional<std::string> Registry::readString(std::string_view key, std::string_view name) const {
    return ini_.value(withoutTrailingBackslash(key), name);
}

std::optional<std::uint32_t> Registry::readDword(std::string_view key,
                                                 std::string_view name) const {
    auto text = readString(key, name);
    if (!text || text->empty())
        return std::nullopt;
    // Stored as decimal text; "dword:" followed by hex (as in .reg files) is
    // accepted too.
    try {
        if (text->rfind("dword:", 0) == 0)
            return static_cast<std::uint32_t>(std::stoul(text->substr(6), nullptr, 16));
        std::size_t used = 0;
        unsigned long v = std::stoul(*text, &used, 10);
        if (used != text->size())
            return std::nullopt;
        return static_cast<std::uint32_t>(v);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool Registry::writeString(std::string_view key, std::string_view name, std::string_view value) {
    ini_.writeString(withoutTrailingBackslash(key), name, value);
    return save();
}

bool Registry::writeDword(std::string_view key, std::string_view name, std::uint32_t value) {
    return writeString(key, name, std::to_string(value));
}

bool Registry::deleteValue(std::string_view key, std::string_view name) {
    ini_.deleteKey(withoutTrailingBackslash(key), name);
    return save();
}

bool Registry::deleteKey(std::string_view key) {
    const std::string prefix = folded(withoutTrailingBackslash(key)) + "\\";
    ini_.eraseSection(withoutTrailingBackslash(key));
    for (const std::string& section : ini_.sections())
        if (folded(section).rfind(prefix, 0) == 0)
            ini_.eraseSection(section);
    return save();
}

bool Registry::save() {
    std::error_code ec;
    fs::create_directories(ini_.path().parent_path(), ec);
    return ini_.save();
}

} // namespace kanata
