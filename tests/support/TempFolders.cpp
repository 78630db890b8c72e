#include "tests/support/TempFolders.h"

#include <cstdlib>
#include <stdexcept>

namespace kanata::test {
namespace {
void remember(const char* name, std::string& value, bool& had) {
    const char* v = std::getenv(name);
    had = v != nullptr;
    if (v)
        value = v;
}
void restore(const char* name, const std::string& value, bool had) {
    if (had)
        setenv(name, value.c_str(), 1);
    else
        unsetenv(name);
}
} // namespace

TempFolders::TempFolders() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kanata-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    std::filesystem::create_directories(dataHome());
    std::filesystem::create_directories(configHome());
    std::filesystem::create_directories(scratch());
    remember("XDG_DATA_HOME", oldData_, hadData_);
    remember("XDG_CONFIG_HOME", oldConfig_, hadConfig_);
    setenv("XDG_DATA_HOME", dataHome().c_str(), 1);
    setenv("XDG_CONFIG_HOME", configHome().c_str(), 1);
}

TempFolders::~TempFolders() {
    restore("XDG_DATA_HOME", oldData_, hadData_);
    restore("XDG_CONFIG_HOME", oldConfig_, hadConfig_);
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::filesystem::path stageFolder() {
    return KANATA_STAGE_DIR;
}
std::filesystem::path sourceFolder() {
    return KANATA_SOURCE_DIR;
}

} // namespace kanata::test
