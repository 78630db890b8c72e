#include "data/ReasonCode.h"
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace kanata;
using kanata::test::ScriptedMessages;

namespace {

class Tables : public ::testing::Test {
protected:
    kanata::test::TempFolders folders;
    ScriptedMessages messages;
    std::filesystem::path dataFolder = folders.scratch() / "Data";

    static RecvHisRow call(const std::string& tel, DateTime when = {2026, 3, 2, 9, 30, 0, 0}) {
        RecvHisRow row;
        row.RecvDateTime = when;
        row.Tel = tel;
        row.SchTel = tel;
        return row;
    }

    // Fills the history directly in one transaction, as a long-used table
    // would look.
    void fillHistory(const std::string& insertSql) {
        TDMKanata195 dm(dataFolder, messages);
        ASSERT_TRUE(dm.OpenRecvHis());
        dm.CloseRecvHis();
        sql::Database db;
        db.open(sql::DefaultStore(), dataFolder / "RecvHis.DB", false);
        sql::Transaction tx(db);
        db.exec(insertSql);
        tx.commit();
    }
};

TEST_F(Tables, FreshDataFolderNumbersBothTablesFromZero) {
    TDMKanata195 dm(dataFolder, messages);
    ASSERT_TRUE(dm.OpenRecvHis());
    ASSERT_TRUE(dm.OpenMeibo());
    for (int expected = 0; expected < 3; ++expected) {
        EXPECT_EQ(dm.RecvHis().append(call("03-1234-5678"), messages), expected);
        EXPECT_EQ(dm.Meibo().append(MeiboRow{}, messages), expected);
    }
    // Numbers are not reused while a later row exists.
    EXPECT_TRUE(dm.RecvHis().remove(1));
    EXPECT_EQ(dm.RecvHis().append(call("P"), messages), 3);
    EXPECT_EQ(dm.RecvHis().count(), 3);
    dm.CloseRecvHis();
    dm.CloseMeibo();
    // On a server the tables are no files of the data folder.
    EXPECT_EQ(std::filesystem::exists(dataFolder / "RecvHis.DB"), !test::OnServer());
    EXPECT_EQ(std::filesystem::exists(dataFolder / "Meibo.DB"), !test::OnServer());
}

TEST_F(Tables, CounterFullWhenLastNumberIsTakenButRowsWereDeleted) {
    fillHistory("INSERT INTO RecvHis (RecNo, Tel) VALUES (5, 'a'), (99999, 'b')");
    TDMKanata195 dm(dataFolder, messages);
    ASSERT_TRUE(dm.OpenRecvHis());
    messages.expect("データ管理カウンタが一杯になり登録できませんでした\r\n"
                    "最適化処理をおこなうことにより登録できるようになります");
    EXPECT_FALSE(dm.RecvHis().append(call("0312345678"), messages));
    EXPECT_EQ(messages.shown().back().icon, MessageIcon::Stop);
    EXPECT_EQ(dm.RecvHis().count(), 2);
    dm.CloseRecvHis();
}

TEST_F(Tables, MaximumReachedWithHundredThousandRows) {
    fillHistory("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99999) "
                "INSERT INTO RecvHis (RecNo) SELECT i FROM n");
    TDMKanata195 dm(dataFolder, messages);
    ASSERT_TRUE(dm.OpenRecvHis());
    messages.expect("最大登録件数10万件に達しました\r\nこれ以上登録できません");
    EXPECT_FALSE(dm.RecvHis().append(call("0312345678"), messages));
    EXPECT_EQ(dm.RecvHis().count(), 100000);
    dm.CloseRecvHis();
}

TEST_F(Tables, TextIsTrimmedAndCutWithoutSplittingACharacter) {
    TDMKanata195 dm(dataFolder, messages);
    ASSERT_TRUE(dm.OpenMeibo());
    MeiboRow row;
    row.CorpKana = " \tｶﾌﾞｼｷｶﾞｲｼｬ \r\n";
    row.NameKanji = "a";
    for (int i = 0; i < 15; ++i)
        row.NameKanji += "山"; // 31 bytes: byte 30 would be a lead byte
    row.Tel1 = "03-1234-5678-99";
    row.Memo1 = "\xE3\x80\x80メモ";   // an ideographic space is not a blank
    row.Note = std::string(300, 'n'); // a memo is kept whole
    auto recNo = dm.Meibo().append(row, messages);
    ASSERT_TRUE(recNo);
    auto stored = dm.Meibo().find(*recNo);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->CorpKana, "ｶﾌﾞｼｷｶﾞｲｼｬ");
    EXPECT_EQ(stored->NameKanji.size(), 1u + 14 * 3);
    EXPECT_EQ(stored->Tel1, "03-1234-5678-");
    EXPECT_EQ(stored->Memo1, row.Memo1);
    EXPECT_EQ(stored->Note.size(), 300u);
    dm.CloseMeibo();
}

TEST_F(Tables, RosterStampsCreationToTheSecondAndKeepsItOnUpdate) {
    TDMKanata195 dm(dataFolder, messages);
    ASSERT_TRUE(dm.OpenMeibo());
    auto recNo = dm.Meibo().append(MeiboRow{}, messages);
    ASSERT_TRUE(recNo);
    MeiboRow row = *dm.Meibo().find(*recNo);
    EXPECT_EQ(row.AddDateTime.msec, 0);
    EXPECT_GT(row.AddDateTime.year, 2000);
    EXPECT_GE(row.UpdDateTime, row.AddDateTime);

    MeiboRow changed = row;
    changed.AddDateTime = DateTime{}; // must not overwrite the stored one
    changed.CorpKanji = "株式会社テスト";
    ASSERT_TRUE(dm.Meibo().update(changed, messages));
    MeiboRow after = *dm.Meibo().find(*recNo);
    EXPECT_EQ(after.AddDateTime, row.AddDateTime);
    EXPECT_EQ(after.CorpKanji, "株式会社テスト");
    EXPECT_GE(after.UpdDateTime, row.UpdDateTime);
    EXPECT_EQ(after.AxsDateTime, after.UpdDateTime);

    ASSERT_TRUE(dm.Meibo().remove(*recNo));
    messages.expect("該当するデータが見つかりませんでした");
    EXPECT_FALSE(dm.Meibo().update(changed, messages));
    EXPECT_EQ(dm.Meibo().count(), 0);
    dm.CloseMeibo();
}

TEST_F(Tables, FileThatIsNoDatabaseCannotBeOpened) {
    if (test::OnServer())
        GTEST_SKIP() << "the tables are no files of the data folder";
    std::filesystem::create_directories(dataFolder);
    std::ofstream(dataFolder / "RecvHis.DB")
        << "this is no database, just some text........" << std::string(600, 'x');
    TDMKanata195 dm(dataFolder, messages);
    messages.expect("着信対応履歴ファイルがオープンできませんでした");
    EXPECT_FALSE(dm.OpenRecvHis());
    EXPECT_EQ(messages.shown().back().icon, MessageIcon::Stop);
    // The failed open does not count: the next try opens again.
    EXPECT_EQ(dm.recvHisOpenCount(), 0);
    messages.expect("着信対応履歴ファイルがオープンできませんでした");
    EXPECT_FALSE(dm.OpenRecvHis());
}

TEST_F(Tables, NestedOpensShareTheTableUntilTheLastClose) {
    TDMKanata195 dm(dataFolder, messages);
    ASSERT_TRUE(dm.OpenMeibo());
    {
        TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        ASSERT_TRUE(use);
        EXPECT_EQ(dm.meiboOpenCount(), 2);
    }
    EXPECT_TRUE(dm.Meibo().isOpen());
    dm.CloseMeibo();
    EXPECT_FALSE(dm.Meibo().isOpen());
    dm.CloseMeibo(); // one close too many changes nothing
    EXPECT_EQ(dm.meiboOpenCount(), 0);
    ASSERT_TRUE(dm.OpenMeibo());
    EXPECT_TRUE(dm.Meibo().isOpen());
    dm.CloseMeibo();
}

TEST_F(Tables, AppendedCallIsOnDiskWhenAppendReturns) {
    TDMKanata195 dm(dataFolder, messages);
    ASSERT_TRUE(dm.OpenRecvHis());
    // A call without a number keeps its reason code in both fields.
    auto recNo = dm.RecvHis().append(call("P", {2026, 3, 1, 23, 59, 59, 999}), messages);
    ASSERT_TRUE(recNo);

    sql::Database other;
    other.open(sql::DefaultStore(), dataFolder / "RecvHis.DB", false);
    if (!test::OnServer()) {
        sql::Statement mode(other, "PRAGMA journal_mode");
        ASSERT_TRUE(mode.step());
        EXPECT_EQ(mode.columnText(0), "delete");
    }
    sql::Statement row(other,
                       "SELECT Tel, SchTel, RecvDateTime, RecvWeek FROM RecvHis WHERE RecNo = ?");
    row.bind(1, *recNo);
    ASSERT_TRUE(row.step());
    EXPECT_EQ(row.columnText(0), "P");
    EXPECT_EQ(row.columnText(1), "P");
    EXPECT_EQ(row.columnText(2), "2026-03-01 23:59:59.999");
    EXPECT_EQ(row.columnInt(3), 1); // a Sunday
    EXPECT_EQ(ReasonCodeText(dm.RecvHis().find(*recNo)->Tel), "匿名着信");
    EXPECT_EQ(ReasonCodeText("$"), "特殊電話番号");
    EXPECT_FALSE(IsReasonCode("03-1234-5678"));
    EXPECT_FALSE(IsReasonCode(""));
    dm.CloseRecvHis();
}

TEST_F(Tables, PagesFollowTheIndexWithEqualKeysInRecordOrder) {
    TDMKanata195 dm(dataFolder, messages);
    ASSERT_TRUE(dm.OpenRecvHis());
    auto& his = dm.RecvHis();
    const DateTime t1{2026, 1, 1, 8, 0, 0, 0}, t2{2026, 1, 2, 8, 0, 0, 0};
    for (auto [tel, when] : {std::pair{"a", t2}, {"b", t1}, {"c", t2}, {"d", t1}, {"e", t2}})
        ASSERT_TRUE(his.append(call(tel, when), messages));

    Query newest;
    newest.index = "RecvDateTime";
    newest.descending = true;
    newest.limit = 2;
    auto page = his.read(newest);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[0].Tel, "e");
    EXPECT_EQ(page[1].Tel, "c");

    // The next page continues exactly after the last row shown.
    Query next = newest;
    next.from = {page[1].RecvDateTime.toText(), std::int64_t{page[1].RecNo}};
    next.fromInclusive = false;
    next.limit = 10;
    std::string tels;
    for (const auto& r : his.read(next))
        tels += r.Tel;
    EXPECT_EQ(tels, "adb");

    Query filtered;
    filtered.index = "RecvDateTime";
    filtered.from = {t2.toText()};
    filtered.where = "Tel <> ?";
    filtered.whereArgs = {std::string("c")};
    tels.clear();
    for (const auto& r : his.read(filtered))
        tels += r.Tel;
    EXPECT_EQ(tels, "ae");
    EXPECT_EQ(his.count("RecvDateTime < ?", {t2.toText()}), 2);
    dm.CloseRecvHis();
}

TEST_F(Tables, NameIndexesIgnoreCase) {
    TDMKanata195 dm(dataFolder, messages);
    ASSERT_TRUE(dm.OpenMeibo());
    for (const char* kana : {"b", "A", "a", "B"}) {
        MeiboRow row;
        row.CorpKana = kana;
        ASSERT_TRUE(dm.Meibo().append(row, messages));
    }
    Query q;
    q.index = "CorpKana";
    q.from = {std::string("a")};
    std::string order;
    for (const auto& r : dm.Meibo().read(q))
        order += r.CorpKana;
    EXPECT_EQ(order, "AabB");
    EXPECT_EQ(dm.Meibo().last("CorpKana")->CorpKana, "B");
    dm.CloseMeibo();
}

} // namespace
