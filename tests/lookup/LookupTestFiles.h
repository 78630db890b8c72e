#pragma once
// Small file and process helpers shared by the lookup tests.
#include <filesystem>
#include <string>
#include <vector>

namespace kanata::test {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the staged mkphonebook with the given arguments.
ToolRun runMkphonebook(const std::vector<std::string>& arguments);

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);

} // namespace kanata::test
