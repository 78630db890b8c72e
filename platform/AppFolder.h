#pragma once
#include <filesystem>

namespace kanata {

// The folder of the running executable (links resolved): the application
// folder, which holds Dic/, Common/ and the plugins. Only the program entry
// asks for it; everything else is handed the folder, so tests can point it
// at the build's stage folder.
std::filesystem::path applicationFolder();

} // namespace kanata
