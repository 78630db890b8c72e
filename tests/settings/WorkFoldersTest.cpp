#include "settings/WorkFolders.h"

#include "settings/GlobalSettings.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <fstream>
#include <gtest/gtest.h>

namespace kanata {
namespace {
namespace fs = std::filesystem;

TEST(WorkFolders, CreatedUnderXdgDataHome) {
    test::TempFolders t;
    const fs::path app = t.scratch() / "app";
    EXPECT_EQ(findWorkFolder(app), t.workFolder());
    EXPECT_TRUE(fs::is_directory(t.workFolder()));
}

TEST(WorkFolders, FallsBackToTheApplicationFolderAndReadsTheSettingsFromThere) {
    test::TempFolders t;
    const fs::path app = t.scratch() / "app";
    fs::create_directories(app);
    std::ofstream(app / kSettingsFileName, std::ios::binary)
        << "[RECEIVE HISTORY]\r\nDeleteDay=5\r\n";

    // A file where Tenko/ must be created; then one where Kanata195/ must be.
    std::ofstream(t.dataHome() / "Tenko") << "in the way";
    const fs::path work = findWorkFolder(app);
    EXPECT_EQ(work, app);
    fs::remove(t.dataHome() / "Tenko");
    fs::create_directories(t.dataHome() / "Tenko");
    std::ofstream(t.dataHome() / "Tenko" / "Kanata195") << "in the way";
    EXPECT_EQ(findWorkFolder(app), app);

    IniFile ini(work / kSettingsFileName);
    ASSERT_TRUE(ini.load());
    test::ScriptedMessages messages;
    GlobalSettings s;
    SettingsEnvironment env{app, work, std::nullopt, false,
                            [](bool) { return std::vector<std::string>{"/media/cd"}; }};
    auto result = LoadGlobalSettings(ini, env, messages, s);
    EXPECT_FALSE(result.firstRun);
    EXPECT_EQ(s.DeleteDay, 5);
    EXPECT_EQ(s.DataPath, (app / "Data").string() + "/");
}

TEST(WorkFolders, EmptyDataHomeMeansTheApplicationFolder) {
    EXPECT_EQ(findWorkFolder(fs::path{}, "/opt/app"), fs::path("/opt/app"));
}

TEST(WorkFolders, DataFolderRule) {
    test::TempFolders t;
    const fs::path work = t.workFolder();
    const fs::path mine = t.scratch() / "mydata";
    fs::create_directories(mine);

    auto kept = resolveDataFolder(mine.string(), work);
    EXPECT_FALSE(kept.replaced);
    EXPECT_EQ(kept.dataPath, mine.string() + "/");
    EXPECT_EQ(resolveDataFolder(mine.string() + "/", work).dataPath, mine.string() + "/");

    const std::string fallback = (work / "Data").string() + "/";
    for (const std::string& bad :
         {std::string{}, (t.scratch() / "missing").string(), std::string("C:\\Data\\")}) {
        auto r = resolveDataFolder(bad, work);
        EXPECT_TRUE(r.replaced) << bad;
        EXPECT_EQ(r.dataPath, fallback);
    }

    // An existing folder whose name is 201 long is still refused; 200 is fine.
    const std::string base = t.scratch().string() + "/";
    const fs::path long201 = base + std::string(201 - base.size(), 'd');
    const fs::path long200 = base + std::string(200 - base.size(), 'e');
    fs::create_directories(long201);
    fs::create_directories(long200);
    EXPECT_TRUE(resolveDataFolder(long201.string(), work).replaced);
    EXPECT_FALSE(resolveDataFolder(long200.string(), work).replaced);
}

} // namespace
} // namespace kanata
