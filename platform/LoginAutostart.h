#pragma once
// Starting the program when the user logs in: an XDG autostart entry in the
// user's configuration folder, which the desktop reads at login. The entry
// itself is the setting (nothing in the settings file), so removing it by
// hand turns the option off as the user expects.
#include <filesystem>
#include <string>
#include <system_error>

namespace kanata {

class LoginAutostart {
public:
    // `entry` is the .desktop file to write; `program` the executable the
    // desktop starts.
    LoginAutostart(std::filesystem::path entry, std::filesystem::path program);

    // ~/.config/autostart/kanata195.desktop (or under $XDG_CONFIG_HOME).
    static std::filesystem::path defaultEntry();

    bool enabled() const;
    // Writes or removes the entry; the error of the step that failed.
    std::error_code set(bool on) const;

    const std::filesystem::path& entry() const { return entry_; }
    // The entry's text: a desktop entry starting `program`.
    std::string entryText() const;

private:
    std::filesystem::path entry_;
    std::filesystem::path program_;
};

} // namespace kanata
