#pragma once
// Whole files as tests write and read them.
#include <filesystem>
#include <string>

namespace kanata::test {

// Writes `bytes` as the whole file, creating its folders.
void writeFile(const std::filesystem::path& path, const std::string& bytes);
// The whole file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

} // namespace kanata::test
