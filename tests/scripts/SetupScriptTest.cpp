// The set-up script runs before every build of the run and test commands; on
// a machine that already has every package it must stay silent and must not
// reach for the package manager (which needs the network and root).
#include "tests/support/ShellCommand.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// A stand-in for a command that must not run: it leaves a mark and fails.
void writeTrap(const fs::path& folder, const std::string& name, const fs::path& mark) {
    const fs::path script = folder / name;
    std::ofstream(script) << "#!/bin/sh\necho \"$0 $*\" >> '" << mark.string() << "'\nexit 99\n";
    fs::permissions(script, fs::perms::owner_all);
}

using kanata::test::runCaptured;

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
    const kanata::test::CommandResult second =
        runCaptured("PATH='" + traps.string() + "':\"$PATH\" bash '" + script + "'");

    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.output, "");
    EXPECT_FALSE(fs::exists(mark)) << "the package manager was called";
}

} // namespace
