#pragma once
// The fixture of tests that work on the tables: a data module on a data
// folder of the test's own, message boxes answered from a script.
#include "data/TDMKanata195.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kanata::test {

class DataFolderTest : public ::testing::Test {
protected:
    // Opens the roster and the history; TearDown closes them.
    void openTables() {
        ASSERT_TRUE(dm.OpenMeibo());
        ASSERT_TRUE(dm.OpenRecvHis());
    }
    void TearDown() override {
        dm.CloseMeibo();
        dm.CloseRecvHis();
    }

    TempFolders folders;
    ScriptedMessages messages;
    std::filesystem::path dataFolder = folders.scratch() / "Data";
    TDMKanata195 dm{dataFolder, messages};
};

} // namespace kanata::test
