// Backups as a user meets them: the program writes a generation at each
// start, and a damaged roster is put back with kanata-cli.
#include "data/MeiboTable.h"
#include "data/TDMKanata195.h"
#include "maintenance/ServerDump.h"
#include "maintenance/TableFileCopy.h"
#include "settings/DatabaseSettings.h"
#include "settings/IniFile.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/ScriptedMessages.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <fstream>

namespace kanata::test {
namespace {

namespace fs = std::filesystem;

std::size_t rosterRows(const fs::path& dataFolder) {
    ScriptedMessages messages;
    TDMKanata195 dm(dataFolder, messages);
    if (!dm.OpenMeibo())
        return 0;
    const std::size_t count = dm.Meibo().read({}).size();
    dm.CloseMeibo();
    return count;
}

class BackupInUse : public ::testing::Test {
protected:
    TempFolders folders;
    ProgramRun run{folders, stageFolder()};
    fs::path data() const { return folders.workFolder() / "Data"; }
    fs::path bak() const { return folders.workFolder() / "bakData"; }

    int cli(const QStringList& arguments, QString* output = nullptr) {
        QProcess tool;
        tool.setProcessEnvironment(run.environment());
        tool.start(QString::fromStdString((stageFolder() / "kanata-cli").string()), arguments);
        if (!tool.waitForFinished(60000))
            return -1;
        if (output)
            *output = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
        return tool.exitCode();
    }
    void setGenerations(int count) {
        IniFile ini(folders.workFolder() / "Kanata195.ini");
        ASSERT_TRUE(ini.load());
        ini.writeInteger("AUTO BACKUP", "AutoBU", 1);
        ini.writeInteger("AUTO BACKUP", "AutoBUCount", count);
        ASSERT_TRUE(ini.save());
    }
    // One start and end of the program; the roster marker tells which
    // start's data a generation holds.
    void startOnce(const std::string& mark) {
        std::ofstream(data() / "SelItem3.mtd", std::ios::binary) << mark;
        ASSERT_TRUE(run.start()) << run.log().toStdString();
        ASSERT_TRUE(run.stop());
    }
    std::string markIn(int generation) {
        std::ifstream in(bak() / std::to_string(generation) / "SelItem3.mtd", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(BackupInUse, EachStartKeepsTheLastGenerations) {
    ASSERT_TRUE(run.prepareDemo());
    setGenerations(2);
    startOnce("first");
    startOnce("second");
    startOnce("third");
    EXPECT_EQ(markIn(1), "third");
    EXPECT_EQ(markIn(2), "second");
    EXPECT_FALSE(fs::exists(bak() / "3"));
    EXPECT_FALSE(fs::exists(bak() / "2_temp"));
    EXPECT_EQ(rosterRows(bak() / "1"), rosterRows(data()));

    QString listed;
    EXPECT_EQ(cli({"backups"}, &listed), 0);
    EXPECT_TRUE(listed.startsWith("1\t")) << listed.toStdString();
    EXPECT_EQ(listed.count('\n'), 2);
}

TEST_F(BackupInUse, ADamagedRosterIsRestoredAndTheProgramStartsOnIt) {
    ASSERT_TRUE(run.prepareDemo());
    setGenerations(3);
    ASSERT_TRUE(run.start()) << run.log().toStdString();
    const std::size_t before = rosterRows(data());
    ASSERT_GT(before, 0u);

    // While the program runs, a restore is refused and changes nothing.
    QString refused;
    EXPECT_EQ(cli({"restore", "1"}, &refused), 1);
    EXPECT_TRUE(refused.contains("running")) << refused.toStdString();
    ASSERT_TRUE(run.stop());

    fs::resize_file(data() / MeiboTable::kFileName, 1000);
    std::string why;
    EXPECT_FALSE(tableFileIsSound(data() / MeiboTable::kFileName, why));

    QString restored;
    EXPECT_EQ(cli({"restore", "1"}, &restored), 0) << restored.toStdString();
    EXPECT_EQ(rosterRows(data()), before);
    // The damaged file was kept, not thrown away.
    bool keptDamaged = false;
    for (const auto& entry : fs::directory_iterator(bak()))
        if (entry.path().filename().string().rfind("before-restore-", 0) == 0)
            keptDamaged = fs::file_size(entry.path() / MeiboTable::kFileName) == 1000;
    EXPECT_TRUE(keptDamaged);

    ASSERT_TRUE(run.start()) << run.log().toStdString();
    ASSERT_TRUE(run.stop());
    EXPECT_FALSE(run.log().contains("Meibo")) << run.log().toStdString();
    EXPECT_EQ(rosterRows(data()), before);
}

TEST_F(BackupInUse, AtStartTheServersTablesAreDumpedBesideTheItemLists) {
    ASSERT_TRUE(run.prepareDemo());
    setGenerations(2);
    const sql::ServerSettings server = SharedServer().createDatabase();
    {
        IniFile ini(folders.workFolder() / "Kanata195.ini");
        ASSERT_TRUE(ini.load());
        WriteDatabaseSettings(ini, {sql::Engine::Postgresql, server});
        ASSERT_TRUE(ini.save());
    }
    startOnce("on the server");
    EXPECT_EQ(markIn(1), "on the server");
    EXPECT_TRUE(checkServerDump(bak() / "1" / kServerDumpName).done);
    EXPECT_FALSE(fs::exists(bak() / "1" / MeiboTable::kFileName));
    EXPECT_FALSE(run.log().contains("203")) << run.log().toStdString();
    SharedServer().dropDatabase(server.name);
}

TEST_F(BackupInUse, BadArgumentsAreRefusedWithOneLine) {
    QString out;
    EXPECT_EQ(cli({"restore"}, &out), 2);
    EXPECT_EQ(out.count('\n'), 1) << out.toStdString();
    EXPECT_EQ(cli({"restore", "0"}, &out), 2);
    EXPECT_EQ(cli({"restore", "x"}, &out), 2);
    EXPECT_EQ(cli({"backup", "--data", "/no/such/folder"}, &out), 2);
    EXPECT_EQ(cli({"restore", "4"}, &out), 1) << "no such generation";
}

} // namespace
} // namespace kanata::test
