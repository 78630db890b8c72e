// The generations under bakData/: which folder moves where, what a run
// copies, and what a failed run leaves for the user.
#include "maintenance/AutoBackup.h"
#include "data/Cp932.h"
#include "maintenance/TableFileCopy.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <sstream>

namespace kanata::test {
namespace {

namespace fs = std::filesystem;

// A small table file with one row whose text tells the generations apart.
void writeTable(const fs::path& file, const std::string& mark) {
    fs::create_directories(file.parent_path());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    const std::string sql =
        "CREATE TABLE IF NOT EXISTS t(v TEXT); DELETE FROM t; INSERT INTO t VALUES('" + mark +
        "');";
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

std::string tableMark(const fs::path& file) {
    sqlite3* db = nullptr;
    std::string mark;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT v FROM t", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            mark = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return mark;
}

class AutoBackup : public ::testing::Test {
protected:
    TempFolders folders;
    fs::path work() const { return folders.workFolder(); }
    fs::path data() const { return folders.workFolder() / "Data"; }
    fs::path generation(int g) const { return work() / "bakData" / std::to_string(g); }

    void SetUp() override {
        writeTable(data() / "RecvHis.DB", "now");
        writeTable(data() / "Meibo.DB", "roster now");
        writeFile(data() / "Rank.mtd", "rank");
        writeFile(data() / "SelItem2.mtd", "items 2");
    }
    // An earlier generation, told apart by a marker file.
    void plantGeneration(int g, const std::string& mark) {
        writeFile(generation(g) / "Rank.mtd", mark);
    }
    std::string generationMark(int g) const { return readFile(generation(g) / "Rank.mtd"); }

    BackupCode run(int count) {
        TAutoBackup backup(work(), data(), count);
        backup.Run();
        return backup.code();
    }
};

TEST_F(AutoBackup, FullSetShiftsUpAndDropsTheOldest) {
    plantGeneration(1, "one");
    plantGeneration(2, "two");
    plantGeneration(3, "three");
    EXPECT_EQ(run(3), BackupCode::Done);
    EXPECT_EQ(tableMark(generation(1) / "RecvHis.DB"), "now");
    EXPECT_EQ(tableMark(generation(1) / "Meibo.DB"), "roster now");
    EXPECT_EQ(generationMark(1), "rank");
    EXPECT_EQ(generationMark(2), "one");
    EXPECT_EQ(generationMark(3), "two");
    EXPECT_FALSE(fs::exists(generation(4)));
    EXPECT_FALSE(fs::exists(work() / "bakData" / "3_temp"));
}

TEST_F(AutoBackup, GapsAndHigherGenerationsStayWhereTheyAre) {
    plantGeneration(1, "one");
    plantGeneration(3, "three");
    EXPECT_EQ(run(3), BackupCode::Done);
    EXPECT_EQ(generationMark(2), "one");
    EXPECT_EQ(generationMark(3), "three");

    // A count lowered from 5 to 3 leaves 4 and 5 alone.
    plantGeneration(4, "four");
    plantGeneration(5, "five");
    EXPECT_EQ(run(3), BackupCode::Done);
    EXPECT_EQ(generationMark(3), "one");
    EXPECT_EQ(generationMark(4), "four");
    EXPECT_EQ(generationMark(5), "five");
}

TEST_F(AutoBackup, FirstRunAndSingleGeneration) {
    EXPECT_EQ(run(1), BackupCode::Done);
    EXPECT_EQ(generationMark(1), "rank");
    writeFile(data() / "Rank.mtd", "rank later");
    EXPECT_EQ(run(1), BackupCode::Done);
    EXPECT_EQ(generationMark(1), "rank later");
    EXPECT_FALSE(fs::exists(generation(2)));
    EXPECT_FALSE(fs::exists(work() / "bakData" / "1_temp"));
}

TEST_F(AutoBackup, CopiesOnlyWhatExistsAndReadOnlyCopiesRotateAway) {
    plantGeneration(1, "one");
    plantGeneration(2, "two");
    fs::permissions(generation(2) / "Rank.mtd", fs::perms::owner_read);
    EXPECT_EQ(run(2), BackupCode::Done);
    EXPECT_EQ(generationMark(2), "one");
    // The index files of the old table format are not in this data folder:
    // they are simply absent from the generation.
    EXPECT_FALSE(fs::exists(generation(1) / "RecvHis.PX"));
    EXPECT_TRUE(fs::exists(generation(1) / "SelItem2.mtd"));
    EXPECT_FALSE(fs::exists(generation(1) / "SelItem1.mtd"));
}

TEST_F(AutoBackup, TableCopyIsAConsistentDatabaseWhileAWriteIsOpen) {
    // A writer in the middle of a transaction: the copy must show the last
    // committed state, never the half-written one.
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open((data() / "RecvHis.DB").c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN; UPDATE t SET v='half';", nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_EQ(run(3), BackupCode::Done);
    sqlite3_exec(writer, "ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    std::string why;
    EXPECT_TRUE(tableFileIsSound(generation(1) / "RecvHis.DB", why)) << why;
    EXPECT_EQ(tableMark(generation(1) / "RecvHis.DB"), "now");
}

TEST_F(AutoBackup, ADamagedTableIsReportedInTheBoxAndTheLog) {
    writeFile(data() / "Meibo.DB", std::string(5000, 'x'));
    TAutoBackup backup(work(), data(), 3);
    backup.Run();
    EXPECT_EQ(backup.code(), BackupCode::NewestNotCopied);
    // The other groups are still saved.
    EXPECT_EQ(tableMark(generation(1) / "RecvHis.DB"), "now");
    EXPECT_EQ(generationMark(1), "rank");

    ScriptedMessages messages;
    messages.expect("203　最新データのバックアップ失敗");
    backup.Report(messages);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].icon, MessageIcon::Information);
    const std::string& text = messages.shown()[0].text;
    EXPECT_EQ(text.rfind("203　最新データのバックアップ失敗　\r\n\r\n起動時の自動バックアップに失敗"
                         "しました　\r\n"
                         "以下のフォルダー内の状態をご確認ください。　\r\n\r\n",
                         0),
              0u);
    EXPECT_NE(text.find((work() / "bakData").string()), std::string::npos);

    ScriptedMessages again;
    again.expect("203");
    backup.Report(again);
    const std::string log = readFile(work() / "bakData" / "ErrorLog.txt");
    const std::string firstRun = log.substr(0, log.size() / 2);
    EXPECT_EQ(firstRun.rfind(std::string(55, '-') + "\r\n", 0), 0u);
    const std::string line = cp932::decode(firstRun.substr(57));
    EXPECT_NE(line.find(", 203：最新データのバックアップ失敗\r\n"), std::string::npos) << line;
    EXPECT_EQ(line.size(),
              std::string("2026/12/06 10:11:12, 203：最新データのバックアップ失敗\r\n").size());
    EXPECT_EQ(log.substr(0, log.size() / 2), log.substr(log.size() / 2)) << "appended once per run";
}

TEST_F(AutoBackup, NoBackupFolderStopsWithTheCheckCode) {
    writeFile(work() / "bakData", "a file where the folder should be");
    EXPECT_EQ(run(3), BackupCode::NewestMissing);
}

} // namespace
} // namespace kanata::test
