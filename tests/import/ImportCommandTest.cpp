// kanata-cli import run as a user runs it: a separate process on generated
// files, read back from the tables and files it leaves.
#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"
#include "data/Sqlite.h"
#include "platform/DataFolderLock.h"
#include "tests/import/ImportFixture.h"
#include "tests/support/CliRun.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <sqlite3.h>

namespace kanata::test {
namespace {

class ImportCommand : public ::testing::Test {
protected:
    TempFolders folders;
    std::filesystem::path data = folders.scratch() / "Data";

    void SetUp() override { std::filesystem::create_directories(data); }

    QStringList arguments(const QStringList& args) const {
        return QStringList{"import"} << args << "--data" << QString::fromStdString(data.string());
    }
    static ToolRun run(const QStringList& args) { return RunCli(args); }

    static std::string rosterLine(int n) {
        return "03" + std::to_string(50000000 + n) + ",会社" + std::to_string(n) +
               ",東京都千代田区丸の内" + std::to_string(n % 9 + 1) + "丁目,ランク" +
               std::to_string(n % 3);
    }
    void writeRoster(const std::filesystem::path& path, int first, int count) const {
        std::vector<std::string> lines{"電話番号,会社名,住所,ランク"};
        for (int n = first; n < first + count; ++n)
            lines.push_back(rosterLine(n));
        writeLines(path, lines);
    }
    long long rows(const char* file, const char* table) const {
        sql::Database db;
        db.open(data / file, false);
        sql::Statement count(db, std::string("SELECT count(*) FROM ") + table);
        count.step();
        return count.columnInt(0);
    }
};

TEST_F(ImportCommand, RosterThenHistoryWithCountsLogAndBackups) {
    const auto rosterFile = folders.scratch() / "roster.csv";
    std::vector<std::string> lines{"電話番号,名称,住所,ランク"};
    for (int n = 0; n < 3000; ++n)
        lines.push_back(rosterLine(n));
    lines[1001] = "0312345678,足りない";        // field count
    lines[2001] = rosterLine(5);                // the same number again
    lines[2501] = "0399990000,\"引用,付き\",,"; // a comma inside quotes
    writeLines(rosterFile, lines);
    ToolRun result = run(arguments({"--roster", QString::fromStdString(rosterFile.string())}));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')), "read 3000, registered 2998");
    EXPECT_EQ(rows("Meibo.DB", "Meibo"), 2998);
    EXPECT_EQ(cp932::decode(readFile(data / "InError.txt")),
              "1001,１件目と項目数が不一致,0312345678,足りない\r\n"
              "2001,同一電話番号データを上書きしない設定で同一電話番号出現," +
                  rosterLine(5) + "\r\n");
    EXPECT_EQ(rows("backupMB.imp/Meibo.DB", "Meibo"), 0);
    {
        MeiboTable roster;
        roster.open(data);
        const auto quoted = roster.read({.where = "SchTel1 = '0399990000'"});
        ASSERT_EQ(quoted.size(), 1u);
        EXPECT_EQ(quoted[0].CorpKanji, "引用,付き");
        EXPECT_EQ(roster.find(7)->Adrs1, "千代田区丸の内8丁目");
    }
    // The ranks met were added to the rank list.
    THistoryData rank(data / "Rank.mtd", true, 20);
    rank.Load();
    EXPECT_GE(rank.IndexOf("ランク2"), 0);

    // A second roster import replaces, and the backup now holds the first.
    writeRoster(rosterFile, 0, 10);
    result = run(arguments({"--roster", "--replace", QString::fromStdString(rosterFile.string())}));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "read 10, registered 10\n");
    EXPECT_EQ(rows("Meibo.DB", "Meibo"), 2998);
    EXPECT_EQ(rows("backupMB.imp/Meibo.DB", "Meibo"), 2998);

    const auto historyFile = folders.scratch() / "history.csv";
    std::vector<std::string> calls{"日付,時刻,電話番号,名前,区分"};
    for (int n = 0; n < 2000; ++n)
        calls.push_back("2024/03/" + std::to_string(10 + n % 20) + "," +
                        std::to_string(10 + n % 10) + ":00:00,03" + std::to_string(50000000 + n) +
                        ",名" + std::to_string(n) + (n % 2 ? ",既存" : ",新規"));
    calls[100] = "2024/3/1,10:00:00,0312345678,短い日付,新規";
    writeLines(historyFile, calls);
    result = run(arguments({"--history", QString::fromStdString(historyFile.string())}));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')), "read 2000, registered 1999");
    EXPECT_EQ(rows("RecvHis.DB", "RecvHis"), 1999);
    EXPECT_EQ(cp932::decode(readFile(data / "InError.txt")),
              "100,着信日付か着信時刻の書式不正,2024/3/1,10:00:00,0312345678,短い日付,新規\r\n");
    EXPECT_TRUE(std::filesystem::exists(data / "backupRH.imp" / "RecvHis.DB"));
    RecvHisTable history;
    history.open(data);
    EXPECT_EQ(history.find(1)->Division, "1");
    EXPECT_EQ(history.find(1)->RecvDateTime.toText(), "2024-03-11 11:00:00.000");
}

TEST_F(ImportCommand, BadArgumentsAndABusyDataFolder) {
    const auto file = folders.scratch() / "roster.csv";
    writeRoster(file, 0, 3);
    EXPECT_EQ(run(arguments({QString::fromStdString(file.string())})).exitCode, 2);
    EXPECT_EQ(
        run(arguments({"--roster", "--history", QString::fromStdString(file.string())})).exitCode,
        2);
    const ToolRun missing = run(arguments({"--roster", "nothing.csv"}));
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1);
    const ToolRun folder =
        run(arguments({"--roster", QString::fromStdString(folders.scratch().string())}));
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_NE(folder.err.find("not a file"), std::string::npos) << folder.err;
    // The window's two-line message, on the command's one line.
    writeLines(file, {"電話番号,会社名"});
    const ToolRun headerOnly = run(arguments({"--roster", QString::fromStdString(file.string())}));
    EXPECT_EQ(headerOnly.exitCode, 1);
    EXPECT_EQ(std::count(headerOnly.err.begin(), headerOnly.err.end(), '\n'), 1) << headerOnly.err;
    EXPECT_NE(headerOnly.err.find("内容が１件しかありませんでした"), std::string::npos)
        << headerOnly.err;
    // A first line beyond the reader's limit: the window's message, on one line.
    writeLines(file, {std::string(70000, 'x'), "0312345678,a"});
    const ToolRun overlong = run(arguments({"--roster", QString::fromStdString(file.string())}));
    EXPECT_EQ(overlong.exitCode, 2);
    EXPECT_EQ(std::count(overlong.err.begin(), overlong.err.end(), '\n'), 1) << overlong.err;
    EXPECT_NE(overlong.err.find("65536バイトを超えるため テキストファイル"), std::string::npos)
        << overlong.err;
    // A spreadsheet's "Unicode text", in either byte order: named, nothing stored.
    for (const bool bigEndian : {false, true}) {
        writeUtf16Lines(file, {"TEL1,NameKanji", "0312345678,a"}, bigEndian);
        const ToolRun unicode = run(arguments({"--roster", QString::fromStdString(file.string())}));
        EXPECT_EQ(unicode.exitCode, 2);
        EXPECT_EQ(std::count(unicode.err.begin(), unicode.err.end(), '\n'), 1) << unicode.err;
        EXPECT_NE(unicode.err.find("UTF-16"), std::string::npos) << unicode.err;
    }
    writeRoster(file, 0, 3);
    writeLines(folders.scratch() / "names.csv", {"何か,別の"});
    EXPECT_EQ(run(arguments({"--roster",
                             QString::fromStdString((folders.scratch() / "names.csv").string())}))
                  .exitCode,
              2);

    // The program holds the data folder: the import stays away from it.
    DataFolderLock program;
    ASSERT_TRUE(program.acquire(data, DataFolderLock::Mode::Shared));
    const ToolRun busy = run(arguments({"--roster", QString::fromStdString(file.string())}));
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_NE(busy.err.find("is in use"), std::string::npos) << busy.err;
    EXPECT_FALSE(std::filesystem::exists(data / "Meibo.DB"));
    program.release();
    EXPECT_EQ(run(arguments({"--roster", QString::fromStdString(file.string())})).exitCode, 0);
}

TEST_F(ImportCommand, AKilledImportLeavesWholeRowsAndTheNextImportGoesThrough) {
    const auto seed = folders.scratch() / "seed.csv";
    writeRoster(seed, 900000, 5);
    ASSERT_EQ(run(arguments({"--roster", QString::fromStdString(seed.string())})).exitCode, 0);

    const auto large = folders.scratch() / "large.csv";
    writeRoster(large, 0, 200000);
    QProcess process;
    process.start(CliProgram(), arguments({"--roster", QString::fromStdString(large.string())}));
    ASSERT_TRUE(process.waitForStarted());
    // Kill it once some batches are committed, while it is still writing.
    QElapsedTimer waited;
    waited.start();
    long long seen = 0;
    while (seen <= 5 && waited.elapsed() < 120000 && process.state() == QProcess::Running) {
        QThread::msleep(20);
        try {
            seen = rows("Meibo.DB", "Meibo");
        } catch (const sql::SqliteError&) {
            // Busy while a batch commits; look again.
        }
    }
    ASSERT_EQ(process.state(), QProcess::Running) << "the import ended before it could be killed";
    process.kill();
    process.waitForFinished();

    MeiboTable roster;
    roster.open(data);
    {
        sql::Statement check(roster.table().database(), "PRAGMA integrity_check");
        ASSERT_TRUE(check.step());
        EXPECT_EQ(check.columnText(0), "ok");
    }
    const auto all = roster.read({});
    ASSERT_GT(all.size(), 5u);
    ASSERT_LT(all.size(), 200005u);
    for (const MeiboRow& row : all) {
        // Every row is whole: its number, name, address and rank belong together.
        const int n = std::stoi(row.SchTel1.substr(2)) - 50000000;
        ASSERT_EQ(row.CorpKanji, "会社" + std::to_string(n)) << row.RecNo;
        ASSERT_EQ(row.Adrs1, "千代田区丸の内" + std::to_string(n % 9 + 1) + "丁目") << row.RecNo;
        ASSERT_EQ(row.Rank, "ランク" + std::to_string(n % 3)) << row.RecNo;
    }
    const std::size_t kept = all.size();
    roster.close();
    EXPECT_EQ(rows("backupMB.imp/Meibo.DB", "Meibo"), 5);

    const auto more = folders.scratch() / "more.csv";
    writeRoster(more, 500000, 10);
    const ToolRun next = run(arguments({"--roster", QString::fromStdString(more.string())}));
    ASSERT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(next.out, "read 10, registered 10\n");
    EXPECT_EQ(rows("Meibo.DB", "Meibo"), static_cast<long long>(kept) + 10);
}

} // namespace
} // namespace kanata::test
