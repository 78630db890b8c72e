#pragma once
// The work folder (settings, logs, backups) and the data folder (tables and
// item lists).
//
// The work folder is the per-machine data folder plus Tenko/Kanata195/. Here
// the per-machine data folder is $XDG_DATA_HOME (default ~/.local/share), a
// per-user folder: the Windows program granted "Everyone" full control of
// Tenko so that every user could write the settings; a private folder of the
// user needs no such grant, so the folders are created with the default mode
// (the user's umask). When a folder cannot be made, the application folder
// serves instead, as on Windows.
#include <filesystem>
#include <string>

namespace kanata {

inline constexpr const char* kSettingsFileName = "Kanata195.ini";

// $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share; empty
// when neither can be found.
std::filesystem::path commonDataFolder();

// The work folder under `dataHome`, created with its parents; the
// application folder when `dataHome` is empty or a folder cannot be created.
std::filesystem::path findWorkFolder(const std::filesystem::path& dataHome,
                                     const std::filesystem::path& applicationFolder);
// The same with commonDataFolder().
std::filesystem::path findWorkFolder(const std::filesystem::path& applicationFolder);

struct DataFolder {
    std::string dataPath;         // the setting's text, with a trailing "/"
    std::filesystem::path folder; // the same as a path
    bool replaced = false;        // the setting was unusable: work folder + Data/
};

// Maximum length of DataPath, in code page 932 bytes as the setting is stored.
inline constexpr std::size_t kMaxDataPathLength = 200;

// The data folder from COMMON DataPath: used when it names an existing folder
// and is at most 200 long; otherwise the work folder plus Data/.
DataFolder resolveDataFolder(const std::string& dataPath, const std::filesystem::path& workFolder);

// Appends "/" unless the text already ends with one.
std::string withTrailingDelimiter(std::string folder);

} // namespace kanata
