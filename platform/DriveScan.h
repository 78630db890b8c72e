#pragma once
// The drives that may hold the phonebook data: mounted optical and removable
// media and, when asked, network file systems, read from a mounts table in
// the /proc/mounts format.
#include <filesystem>
#include <string>
#include <vector>

namespace kanata {

inline constexpr const char* kSystemMountsFile = "/proc/mounts";

// Mount points in the order of the table, without a trailing "/", each once.
std::vector<std::string> scanDrives(bool includeNetwork,
                                    const std::filesystem::path& mountsFile = kSystemMountsFile);

} // namespace kanata
