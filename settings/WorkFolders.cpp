#include "settings/WorkFolders.h"

#include "data/Cp932.h"

#include <cstdlib>

namespace kanata {
namespace fs = std::filesystem;
namespace {

// Creates the folder with its parents; true when it exists as a folder
// afterwards (a file in the way, or no permission, gives false).
bool ensureFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

} // namespace

fs::path commonDataFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg && fs::path(xdg).is_absolute())
        return xdg;
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".local" / "share";
    return {};
}

fs::path findWorkFolder(const fs::path& dataHome, const fs::path& applicationFolder) {
    if (dataHome.empty())
        return applicationFolder;
    const fs::path tenko = dataHome / "Tenko";
    if (!ensureFolder(tenko))
        return applicationFolder;
    const fs::path work = tenko / "Kanata195";
    if (!ensureFolder(work))
        return applicationFolder;
    return work;
}

fs::path findWorkFolder(const fs::path& applicationFolder) {
    return findWorkFolder(commonDataFolder(), applicationFolder);
}

std::string withTrailingDelimiter(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

DataFolder resolveDataFolder(const std::string& dataPath, const fs::path& workFolder) {
    std::error_code ec;
    bool usable = !dataPath.empty() && cp932::byteWidth(dataPath) <= kMaxDataPathLength &&
                  fs::is_directory(fs::path(dataPath), ec);
    DataFolder result;
    result.replaced = !usable;
    result.dataPath = withTrailingDelimiter(usable ? dataPath : (workFolder / "Data").string());
    result.folder = fs::path(result.dataPath);
    return result;
}

} // namespace kanata
