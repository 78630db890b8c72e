// The set-up script runs before every build of the run and test commands; on
// a machine that already has every package it must stay silent and must not
// reach for the package manager (which needs the network and root).
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

// A stand-in for a command that must not run: it leaves a mark and fails.
void writeTrap(const fs::path& folder, const std::string& name, const fs::path& mark) {
    const fs::path script = folder / name;
    std::ofstream(script) << "#!/bin/sh\necho \"$0 $*\" >> '" << mark.string() << "'\nexit 99\n";
    fs::permissions(script, fs::perms::owner_all);
}

struct RunResult {
    int status = -1;
    std::string output;
};

RunResult runCaptured(const std::string& command) {
    RunResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe))
        result.output += buffer.data();
    const int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

TEST(SetupScript, SecondRunIsSilentAndLeavesThePackageManagerAlone) {
    kanata::test::TempFolders folders;
    const fs::path traps = folders.scratch() / "traps";
    fs::create_directories(traps);
    const fs::path mark = folders.scratch() / "called";
    for (const char* tool : {"apt-get", "apt", "sudo", "aptitude"})
        writeTrap(traps, tool, mark);

    const std::string script = (kanata::test::sourceFolder() / "scripts" / "setup.sh").string();
    // The first run may install what this machine still lacks (CI's first
    // step already did); the second must find everything in place.
    ASSERT_EQ(runCaptured("bash '" + script + "'").status, 0);
    const RunResult second =
        runCaptured("PATH='" + traps.string() + "':\"$PATH\" bash '" + script + "'");

    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.output, "");
    EXPECT_FALSE(fs::exists(mark)) << "the package manager was called";
}

} // namespace
