#include "platform/ConfigFolder.h"

#include <cstdlib>

namespace kanata {

std::filesystem::path userConfigFolder() {
    namespace fs = std::filesystem;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME");
        xdg && *xdg && fs::path(xdg).is_absolute())
        return xdg;
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".config";
    return {};
}

} // namespace kanata
