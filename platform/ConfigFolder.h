#pragma once
#include <filesystem>

namespace kanata {

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path, else ~/.config; empty when neither can be told.
std::filesystem::path userConfigFolder();

} // namespace kanata
