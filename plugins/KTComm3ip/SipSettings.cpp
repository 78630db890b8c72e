#include "plugins/KTComm3ip/SipSettings.h"

#include "plugins/common/CallData.h"

#include <charconv>
#include <fstream>
#include <map>
#include <sstream>

namespace kanata::adapter {
namespace {

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string unquote(std::string value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

using IniValues = std::map<std::string, std::string>; // "section\nkey" -> value

IniValues readIni(std::string_view text) {
    IniValues values;
    std::istringstream in{std::string(text)};
    std::string line, section;
    while (std::getline(in, line)) {
        line = trimBlanks(line);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const std::size_t end = line.find(']');
            section =
                lowerAscii(trimBlanks(line.substr(1, end == std::string::npos ? end : end - 1)));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = section + "\n" + lowerAscii(trimBlanks(line.substr(0, equals)));
        values.emplace(key, unquote(trimBlanks(line.substr(equals + 1))));
    }
    return values;
}

std::string valueOf(const IniValues& values, std::string_view section, std::string_view key) {
    const auto it = values.find(lowerAscii(section) + "\n" + lowerAscii(key));
    return it == values.end() ? std::string() : it->second;
}

std::optional<int> parseNumber(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::vector<std::string> splitNumbers(const std::string& text) {
    std::vector<std::string> numbers;
    std::istringstream in(text);
    std::string part;
    while (std::getline(in, part, ','))
        if (std::string n = trimBlanks(part); !n.empty())
            numbers.push_back(n);
    return numbers;
}

} // namespace

std::optional<HostAndPort> parseHostAndPort(std::string_view text) {
    const std::string trimmed = trimBlanks(text);
    if (trimmed.empty())
        return std::nullopt;
    const std::size_t colon = trimmed.rfind(':');
    if (colon == std::string::npos)
        return HostAndPort{trimmed, kDefaultRegistrarPort};
    const auto port = parseNumber(std::string_view(trimmed).substr(colon + 1), 1, 65535);
    if (!port || colon == 0)
        return std::nullopt;
    return HostAndPort{trimmed.substr(0, colon), *port};
}

SipSettings parseSipSettings(std::string_view iniText) {
    const IniValues values = readIni(iniText);
    SipSettings settings;
    settings.host = valueOf(values, "IPPBX", "Host");
    settings.user = valueOf(values, "IPPBX", "User");
    // The details dialog's page for this model asks only for the extension
    // of the telephone beside the computer: register as that extension too,
    // so that the PBX rings both.
    if (settings.user.empty())
        settings.user = valueOf(values, "SIP", "From");
    settings.password = valueOf(values, "IPPBX", "Password");
    settings.watchedNumbers = splitNumbers(valueOf(values, "IPPBX", "Telno"));
    settings.acceptFrom = valueOf(values, "IPPBX", "AcceptFrom");
    settings.localAddress = valueOf(values, "SIP", "LocalAddress");
    if (auto port = parseNumber(valueOf(values, "SIP", "LocalPort"), 1, 65535))
        settings.localPort = *port;
    if (auto expires = parseNumber(valueOf(values, "SIP", "RegisterExpires"), 1, 86400))
        settings.registerExpires = *expires;
    return settings;
}

SipSettings readSipSettings(const std::filesystem::path& iniFile) {
    // A settings file is a few hundred bytes; beyond the limit, what was
    // written over it is not read.
    std::ifstream in(iniFile, std::ios::binary);
    std::string text(kMaxSipSettingsBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return parseSipSettings(text);
}

} // namespace kanata::adapter
