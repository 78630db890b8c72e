// Backups of tables that live on a real PostgreSQL server started by the
// test: pg_dump into the generation, pg_restore back in one transaction.
#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"
#include "data/TDMKanata195.h"
#include "maintenance/AutoBackup.h"
#include "maintenance/BackupRestore.h"
#include "maintenance/ServerDump.h"
#include "platform/DataFolderLock.h"
#include "settings/DatabaseSettings.h"
#include "tests/support/CliRun.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"
#include "views/RecentFirst.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kanata::test {
namespace {

namespace fs = std::filesystem;

bool EveryLineStartsWith(const std::string& text, const std::string& prefix) {
    std::istringstream lines(text);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        if (line.rfind(prefix, 0) != 0)
            return false;
    }
    return count > 0;
}

class ServerBackup : public ::testing::Test {
protected:
    TempFolders folders;
    ScriptedMessages messages;
    fs::path work = folders.workFolder();
    fs::path data = work / "Data";
    sql::StoreSettings server{sql::Engine::Postgresql, SharedServer().createDatabase()};

    void TearDown() override { SharedServer().dropDatabase(server.server.name); }

    fs::path generation(int g) const { return work / "bakData" / std::to_string(g); }

    void addEntries(int count, const std::string& name) {
        TDMKanata195 dm(data, messages, StorageHooks{}, server);
        ASSERT_TRUE(dm.OpenRecvHis());
        ASSERT_TRUE(dm.OpenMeibo());
        for (int i = 0; i < count; ++i) {
            MeiboRow row;
            row.NameKanji = name;
            ASSERT_TRUE(dm.Meibo().append(row, messages));
            RecvHisRow call;
            call.RecvDateTime = {2026, 12, 7, 9, 0, i % 60, 0};
            call.Tel = call.SchTel = "0312345678";
            ASSERT_TRUE(dm.RecvHis().append(call, messages));
        }
        dm.CloseMeibo();
        dm.CloseRecvHis();
    }
    struct Counts {
        std::int64_t entries = -1, calls = -1;
        std::string lastName;
    };
    Counts counts() {
        TDMKanata195 dm(data, messages, StorageHooks{}, server);
        Counts c;
        if (!dm.OpenRecvHis() || !dm.OpenMeibo())
            return c;
        c.entries = dm.Meibo().count();
        c.calls = dm.RecvHis().count();
        if (auto last = dm.Meibo().last())
            c.lastName = last->NameKanji;
        dm.CloseMeibo();
        dm.CloseRecvHis();
        return c;
    }
    void backUp() {
        TAutoBackup backup(work, data, 3, server);
        backup.Run();
        ASSERT_EQ(backup.code(), BackupCode::Done) << backup.detail();
    }
};

TEST_F(ServerBackup, AGenerationHoldsTheServersTablesBesideTheItemLists) {
    addEntries(3, "前");
    writeFile(data / "SelItem1.mtd", "items");
    // Left from before the tables moved to the server: not the data in use.
    writeFile(data / MeiboTable::kFileName, "stale");
    backUp();
    EXPECT_TRUE(fs::is_regular_file(generation(1) / kServerDumpName));
    EXPECT_EQ(readFile(generation(1) / "SelItem1.mtd"), "items");
    EXPECT_FALSE(fs::exists(generation(1) / MeiboTable::kFileName));
    EXPECT_FALSE(fs::exists(generation(1) / (std::string(kServerDumpName) + ".partial")));
    EXPECT_TRUE(checkServerDump(generation(1) / kServerDumpName).done);

    backUp();
    const auto generations = listBackupGenerations(work);
    ASSERT_EQ(generations.size(), 2u);
    EXPECT_EQ(generations[1].files, (std::vector<std::string>{"SelItem1.mtd", kServerDumpName}));
}

TEST_F(ServerBackup, ADeskKeepsItsItemListsAndLeavesTheTablesToTheLinePc) {
    addEntries(1, "前");
    writeFile(data / "SelItem1.mtd", "items");
    TAutoBackup backup(work, data, 3, server);
    backup.setDumpServerTables(false);
    backup.Run();
    ASSERT_EQ(backup.code(), BackupCode::Done) << backup.detail();
    EXPECT_EQ(readFile(generation(1) / "SelItem1.mtd"), "items");
    EXPECT_FALSE(fs::exists(generation(1) / kServerDumpName));
}

TEST_F(ServerBackup, RestorePutsTheTablesBackAndKeepsTheCurrentOnesRestorable) {
    addEntries(3, "前");
    writeFile(data / "SelItem1.mtd", "before");
    backUp();
    addEntries(2, "後");
    writeFile(data / "SelItem1.mtd", "after");

    const RestoreOutcome outcome = restoreBackupGeneration(work, data, 1, server);
    ASSERT_TRUE(outcome.done) << outcome.error;
    Counts restored = counts();
    EXPECT_EQ(restored.entries, 3);
    EXPECT_EQ(restored.calls, 3);
    EXPECT_EQ(restored.lastName, "前");
    EXPECT_EQ(readFile(data / "SelItem1.mtd"), "before");
    // Numbering goes on from the restored last record (the roster counts
    // from 0).
    addEntries(1, "次");
    TDMKanata195 dm(data, messages, StorageHooks{}, server);
    ASSERT_TRUE(dm.OpenMeibo());
    EXPECT_EQ(dm.Meibo().last()->RecNo, 3);
    dm.CloseMeibo();

    // What the restore replaced was kept, and restores in turn.
    fs::create_directories(generation(2));
    fs::copy_file(outcome.keptCurrentData / kServerDumpName, generation(2) / kServerDumpName);
    ASSERT_TRUE(restoreBackupGeneration(work, data, 2, server).done);
    EXPECT_EQ(counts().entries, 5);
    EXPECT_EQ(counts().lastName, "後");
}

TEST_F(ServerBackup, TheServersItemListsAreInTheDumpAndComeBack) {
    addEntries(1, "前");
    const auto selItem1 = [this] {
        TDMKanata195 dm(data, messages, StorageHooks{}, server);
        EXPECT_EQ(dm.LoadItemLists(work / "no-app"), 0);
        std::vector<std::string> texts;
        for (int i = 0; i < dm.SelItem(1).Count(); ++i)
            texts.push_back(dm.SelItem(1).Get(i));
        return texts;
    };
    const auto use = [this](const std::string& text) {
        TDMKanata195 dm(data, messages, StorageHooks{}, server);
        EXPECT_EQ(dm.LoadItemLists(work / "no-app"), 0);
        EXPECT_TRUE(MoveToTop(dm.SelItem(1), text, messages));
    };
    use("見積依頼");
    use("苦情");
    backUp();
    use("納期確認");
    ASSERT_EQ(selItem1().size(), 3u);
    const RestoreOutcome outcome = restoreBackupGeneration(work, data, 1, server);
    ASSERT_TRUE(outcome.done) << outcome.error;
    EXPECT_EQ(selItem1(), (std::vector<std::string>{"苦情", "見積依頼"}));
    EXPECT_EQ(counts().entries, 1);
}

TEST_F(ServerBackup, ADamagedDumpIsRefusedAndTheServerKeepsItsTables) {
    addEntries(3, "前");
    backUp();
    const fs::path dump = generation(1) / kServerDumpName;
    fs::resize_file(dump, fs::file_size(dump) / 2);
    addEntries(1, "後");
    const RestoreOutcome outcome = restoreBackupGeneration(work, data, 1, server);
    EXPECT_FALSE(outcome.done);
    EXPECT_NE(outcome.error.find("damaged"), std::string::npos) << outcome.error;
    EXPECT_TRUE(outcome.keptCurrentData.empty());
    EXPECT_EQ(counts().entries, 4);
}

TEST_F(ServerBackup, AnUnreachableServerLeavesTheGenerationsAsTheyWere) {
    addEntries(1, "前");
    backUp();
    sql::StoreSettings gone = server;
    gone.server.host = (folders.scratch() / "no-server-here").string();

    // As many starts as there are generations with the server away: the
    // one copy of its tables stays the newest generation.
    for (int start = 1; start <= 3; ++start) {
        TAutoBackup backup(work, data, 3, gone);
        backup.Run();
        EXPECT_EQ(backup.code(), BackupCode::NewestNotCopied);
        EXPECT_NE(backup.serverMessage().find("書き出しに失敗"), std::string::npos);
        if (start == 1) {
            messages.expect("書き出しに失敗");
            backup.Report(messages);
            ASSERT_EQ(messages.shown().size(), 1u);
            EXPECT_NE(messages.shown()[0].text.find("203"), std::string::npos);
        }
    }
    EXPECT_TRUE(checkServerDump(generation(1) / kServerDumpName).done);
    EXPECT_FALSE(fs::exists(generation(2)));
    EXPECT_FALSE(fs::exists(work / "bakData" / kServerDumpName));
    EXPECT_FALSE(fs::exists(work / "bakData" / (std::string(kServerDumpName) + ".partial")));

    // The restore cannot first keep what the server holds, so it changes
    // nothing.
    writeFile(data / "SelItem1.mtd", "current");
    const RestoreOutcome outcome = restoreBackupGeneration(work, data, 1, gone);
    EXPECT_FALSE(outcome.done);
    EXPECT_NE(outcome.error.find("nothing was restored"), std::string::npos) << outcome.error;
    EXPECT_EQ(readFile(data / "SelItem1.mtd"), "current");
    EXPECT_EQ(counts().entries, 1);
}

TEST_F(ServerBackup, AGenerationOfTheOtherEngineIsRefused) {
    addEntries(1, "前");
    fs::create_directories(generation(1));
    writeFile(generation(1) / MeiboTable::kFileName, "sqlite tables");
    RestoreOutcome outcome = restoreBackupGeneration(work, data, 1, server);
    EXPECT_FALSE(outcome.done);
    EXPECT_NE(outcome.error.find("db migrate"), std::string::npos) << outcome.error;

    fs::remove_all(generation(1));
    backUp();
    outcome = restoreBackupGeneration(work, data, 1, sql::StoreSettings{});
    EXPECT_FALSE(outcome.done);
    EXPECT_NE(outcome.error.find("Engine=postgresql"), std::string::npos) << outcome.error;
    EXPECT_FALSE(fs::exists(data / MeiboTable::kFileName));
}

TEST_F(ServerBackup, TheCommandLineBacksUpAndRestoresTheServer) {
    addEntries(2, "前");
    std::ofstream(work / "Kanata195.ini") << DatabaseSettingsLines(server.server);
    const QStringList onData{"--data", QString::fromStdString(data.string())};
    const ToolRun saved = RunCli(QStringList{"backup"} << onData);
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    addEntries(5, "後");
    {
        // A program that has the tables open holds the data folder.
        DataFolderLock program;
        ASSERT_TRUE(program.acquire(data, DataFolderLock::Mode::Shared));
        const ToolRun busy = RunCli(QStringList{"restore", "1"} << onData);
        EXPECT_EQ(busy.exitCode, 1);
        EXPECT_NE(busy.err.find("is in use"), std::string::npos) << busy.err;
        EXPECT_EQ(counts().entries, 7);
    }
    const ToolRun restored = RunCli(QStringList{"restore", "1"} << onData);
    ASSERT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_NE(restored.out.find(kServerDumpName), std::string::npos) << restored.out;
    EXPECT_EQ(counts().entries, 2);

    // The server away: libpq's reason, several lines of its own, is told
    // on the command's line (after the boxes' own lines, if any).
    sql::ServerSettings gone = server.server;
    gone.host = (folders.scratch() / "no-server-here").string();
    std::ofstream(work / "Kanata195.ini") << DatabaseSettingsLines(gone);
    for (const QStringList& command : {QStringList{"backup"}, QStringList{"restore", "1"},
                                       QStringList{"db", "migrate", "--to", "postgresql"},
                                       QStringList{"export", "--history", "out.csv"}}) {
        const ToolRun failed = RunCli(QStringList(command) << onData);
        EXPECT_EQ(failed.exitCode, 1) << command.join(' ').toStdString() << failed.err;
        EXPECT_TRUE(EveryLineStartsWith(failed.err, "kanata"))
            << command.join(' ').toStdString() << failed.err;
        EXPECT_NE(failed.err.find("no-server-here"), std::string::npos)
            << command.join(' ').toStdString() << failed.err;
    }
}

TEST(ServerTools, TheNewestInstalledVersionIsTakenWhenNotOnPath) {
    TempFolders folders;
    const fs::path system = folders.scratch() / "postgresql";
    for (const char* version : {"9", "15", "13", "common"}) {
        fs::create_directories(system / version / "bin");
        writeFile(system / version / "bin" / "kanata-test-dump", "#!/bin/sh\n");
    }
    const auto found = findServerTool("kanata-test-dump", system);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, system / "15" / "bin" / "kanata-test-dump");
    EXPECT_FALSE(findServerTool("kanata-no-such-tool", system).has_value());
}

} // namespace
} // namespace kanata::test
