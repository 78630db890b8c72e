// kanata-cli db migrate run as a user runs it, between a data folder's
// files and a real server started by the test.
#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "settings/DatabaseSettings.h"
#include "tests/support/CliRun.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <fstream>
#include <gtest/gtest.h>

namespace kanata::test {
namespace {

class MigrateCommand : public ::testing::Test {
protected:
    TempFolders folders;
    ScriptedMessages messages;
    std::filesystem::path data = folders.scratch() / "Data";
    sql::StoreSettings server{sql::Engine::Postgresql, SharedServer().createDatabase()};
    sql::StoreSettings files; // SQLite in `data`

    void SetUp() override {
        std::filesystem::create_directories(folders.workFolder());
        std::ofstream(folders.workFolder() / "Kanata195.ini")
            << DatabaseSettingsLines(server.server);
    }
    void TearDown() override { SharedServer().dropDatabase(server.server.name); }

    ToolRun run(const QStringList& args) const {
        return RunCli(QStringList{"db"} << args << "--data"
                                        << QString::fromStdString(data.string()));
    }

    // `calls` history rows and `entries` roster rows, with a gap in the
    // numbers that must survive the move.
    void fill(const sql::StoreSettings& store, int calls, int entries, const std::string& mark) {
        TDMKanata195 dm(data, messages, StorageHooks{}, store);
        ASSERT_TRUE(dm.OpenRecvHis());
        ASSERT_TRUE(dm.OpenMeibo());
        for (int i = 0; i < calls; ++i) {
            RecvHisRow row;
            row.RecvDateTime = {2026, 4, 1, 9, 0, i % 60, 0};
            row.Tel = row.SchTel = "03" + std::to_string(10000000 + i);
            row.CorpKanji = mark + "商事";
            ASSERT_TRUE(dm.RecvHis().append(row, messages));
        }
        for (int i = 0; i < entries; ++i) {
            MeiboRow row;
            row.NameKanji = mark + "山田";
            row.Note = std::string(500, 'n');
            ASSERT_TRUE(dm.Meibo().append(row, messages));
        }
        if (calls > 2) {
            ASSERT_TRUE(dm.RecvHis().remove(1));
        }
        dm.CloseRecvHis();
        dm.CloseMeibo();
    }

    struct Contents {
        std::int64_t calls = 0, entries = 0;
        std::optional<RecvHisRow> last;
        std::optional<MeiboRow> firstEntry;
        bool gapKept = false;
    };
    Contents read(const sql::StoreSettings& store) {
        TDMKanata195 dm(data, messages, StorageHooks{}, store);
        Contents c;
        if (!dm.OpenRecvHis() || !dm.OpenMeibo())
            return c;
        c.calls = dm.RecvHis().count();
        c.entries = dm.Meibo().count();
        c.last = dm.RecvHis().last();
        c.firstEntry = dm.Meibo().first();
        c.gapKept = !dm.RecvHis().find(1).has_value();
        dm.CloseRecvHis();
        dm.CloseMeibo();
        return c;
    }
};

TEST_F(MigrateCommand, CopiesToTheServerAndBackWithNumbersAndFields) {
    fill(files, 1200, 3, "元");
    {
        TDMKanata195 dm(data, messages, StorageHooks{}, files);
        for (const char* rank : {"Ａ", "Ｂ"})
            dm.Rank().Add(rank, 2.5);
        dm.Rank().Save();
        dm.SelItem(2).Add("折り返し");
        dm.SelItem(2).Save();
    }
    ToolRun to = run({"migrate", "--to", "postgresql"});
    ASSERT_EQ(to.exitCode, 0) << to.err;
    EXPECT_NE(to.out.find("RecvHis: 1199 rows copied"), std::string::npos) << to.out;
    EXPECT_NE(to.out.find("Meibo: 3 rows copied"), std::string::npos) << to.out;
    EXPECT_NE(to.out.find("Rank.mtd: 2 items copied"), std::string::npos) << to.out;
    EXPECT_NE(to.out.find("SelItem1.mtd: not in the source"), std::string::npos) << to.out;
    {
        TDMKanata195 desk(folders.scratch() / "desk", messages, StorageHooks{}, server);
        ASSERT_EQ(desk.LoadItemLists(folders.scratch() / "no-app"), 0);
        ASSERT_EQ(desk.Rank().Count(), 2);
        EXPECT_EQ(desk.Rank().Get(1), "Ｂ");
        EXPECT_EQ(desk.Rank().DateOf(1), 2.5);
        EXPECT_EQ(desk.SelItem(2).Get(0), "折り返し");
        // The desks change the lists on the server; the way back brings that.
        desk.Rank().Update([](THistoryData& list) {
            list.Insert(0, "Ｓ", 3.0);
            return true;
        });
    }
    Contents onServer = read(server);
    EXPECT_EQ(onServer.calls, 1199);
    EXPECT_EQ(onServer.entries, 3);
    ASSERT_TRUE(onServer.last && onServer.firstEntry);
    EXPECT_EQ(onServer.last->RecNo, 1199);
    EXPECT_EQ(onServer.last->Tel, "0310001199");
    EXPECT_EQ(onServer.firstEntry->NameKanji, "元山田");
    EXPECT_EQ(onServer.firstEntry->Note.size(), 500u);
    EXPECT_TRUE(onServer.gapKept);

    // Back into a data folder whose files hold other rows: only with --replace.
    std::filesystem::remove(data / "RecvHis.DB");
    std::filesystem::remove(data / "Meibo.DB");
    fill(files, 2, 0, "別");
    ToolRun refused = run({"migrate", "--to", "sqlite"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("RecvHis in the target is not empty (2 rows)"), std::string::npos)
        << refused.err;
    EXPECT_EQ(read(files).calls, 2);

    ToolRun back = run({"migrate", "--to=sqlite", "--replace"});
    ASSERT_EQ(back.exitCode, 0) << back.err;
    Contents inFiles = read(files);
    EXPECT_EQ(inFiles.calls, 1199);
    EXPECT_EQ(inFiles.entries, 3);
    ASSERT_TRUE(inFiles.last);
    EXPECT_EQ(inFiles.last->CorpKanji, "元商事");
    EXPECT_TRUE(inFiles.gapKept);
    EXPECT_NE(back.out.find("Rank.mtd: 3 items copied"), std::string::npos) << back.out;
    THistoryData rank(data / "Rank.mtd", false, TDMKanata195::kRankItemSize);
    rank.Load();
    ASSERT_EQ(rank.Count(), 3);
    EXPECT_EQ(rank.Get(0), "Ｓ");
    EXPECT_EQ(rank.Get(2), "Ｂ");
}

TEST_F(MigrateCommand, RefusesANonEmptyServerAndBadInput) {
    fill(files, 3, 1, "元");
    fill(server, 0, 1, "先");
    ToolRun refused = run({"migrate", "--to", "postgresql"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("Meibo in the target is not empty (1 rows)"), std::string::npos)
        << refused.err;
    // Nothing copied: not even the history, whose target was empty.
    EXPECT_EQ(read(server).calls, 0);

    EXPECT_EQ(run({"migrate"}).exitCode, 2);
    EXPECT_EQ(run({"migrate", "--to", "oracle"}).exitCode, 2);
    EXPECT_EQ(run({"copy", "--to", "sqlite"}).exitCode, 2);
    ToolRun help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--replace"), std::string::npos);

    // A server that is not there: the files stay, the status says so.
    std::ofstream(folders.workFolder() / "Kanata195.ini")
        << "[DATABASE]\nHost=" << (folders.scratch() / "nowhere").string() << "\n";
    ToolRun unreachable = run({"migrate", "--to", "postgresql"});
    EXPECT_EQ(unreachable.exitCode, 1);
    EXPECT_FALSE(unreachable.err.empty());
    EXPECT_EQ(read(files).calls, 2);
}

} // namespace
} // namespace kanata::test
