#include "platform/LoginAutostart.h"

#include "platform/ConfigFolder.h"
#include "platform/DurableFile.h"

namespace kanata {
namespace fs = std::filesystem;
namespace {

// A path as one argument of an Exec key: quoted, with the characters the
// desktop entry format reserves inside quotes escaped.
std::string execArgument(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    // The whole value is then read as a string, where a backslash escapes
    // again.
    std::string escaped;
    for (char c : quoted) {
        if (c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace

LoginAutostart::LoginAutostart(fs::path entry, fs::path program)
    : entry_(std::move(entry)), program_(std::move(program)) {}

fs::path LoginAutostart::defaultEntry() {
    const fs::path config = userConfigFolder();
    return config.empty() ? fs::path() : config / "autostart" / "kanata195.desktop";
}

bool LoginAutostart::enabled() const {
    std::error_code ec;
    return !entry_.empty() && fs::is_regular_file(entry_, ec);
}

std::string LoginAutostart::entryText() const {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kanata195\n"
           "Name[ja]=着信帳１９.５\n"
           "Comment[ja]=ログイン時に着信帳１９.５を起動します\n"
           "Exec=" +
           execArgument(program_.string()) +
           "\n"
           "Icon=kanata195\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::error_code LoginAutostart::set(bool on) const {
    if (entry_.empty())
        return std::make_error_code(std::errc::no_such_file_or_directory);
    std::error_code ec;
    if (!on) {
        fs::remove(entry_, ec);
        return ec;
    }
    fs::create_directories(entry_.parent_path(), ec);
    if (ec)
        return ec;
    return writeFileDurably(entry_, entryText());
}

} // namespace kanata
