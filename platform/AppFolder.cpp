#include "platform/AppFolder.h"

#include <system_error>

namespace kanata {

std::filesystem::path applicationFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path();
    return exe.parent_path();
}

} // namespace kanata
