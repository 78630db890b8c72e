#pragma once
// Folder renames that are on disk when they return.
#include <filesystem>
#include <string>

namespace kanata {

// Renames `from` to `to` and flushes the parent folders, so the move
// survives a power cut; false with the reason when the system refuses.
bool moveFolder(const std::filesystem::path& from, const std::filesystem::path& to,
                std::string& error);

} // namespace kanata
