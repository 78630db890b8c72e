#include "maintenance/FolderMoves.h"

#include "platform/DurableFile.h"

namespace kanata {

bool moveFolder(const std::filesystem::path& from, const std::filesystem::path& to,
                std::string& error) {
    if (const std::error_code ec = renameDurably(from, to)) {
        error = from.string() + " -> " + to.string() + ": " + ec.message();
        return false;
    }
    return true;
}

} // namespace kanata
