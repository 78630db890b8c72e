#pragma once
// The fixture of tests that work on the tables: a data module on a data
// folder of the test's own, message boxes answered from a script. With the
// tables on a server (KANATA_TEST_ENGINE=postgresql), the work folder's
// settings name the same server, so that kanata-cli and the program started
// by the test find the rows the test stored.
#include "data/TDMKanata195.h"
#include "settings/DatabaseSettings.h"
#include "settings/IniFile.h"
#include "settings/WorkFolders.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kanata::test {

class DataFolderTest : public ::testing::Test {
protected:
    DataFolderTest() {
        const sql::StoreSettings& store = sql::DefaultStore();
        if (store.engine != sql::Engine::Postgresql)
            return;
        std::filesystem::create_directories(folders.workFolder());
        IniFile ini(folders.workFolder() / kSettingsFileName);
        ini.load();
        WriteDatabaseSettings(ini, store);
        EXPECT_TRUE(ini.save());
    }

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
