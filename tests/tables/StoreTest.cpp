// The tables behave alike on SQLite files and on a server: numbering with
// two desks writing at once, text order, failures inside a batch, and the
// conditions the lists pass. Run on whichever store the tests are given
// (KANATA_TEST_ENGINE).
#include "data/Postgres.h"
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "settings/DatabaseSettings.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>

using namespace kanata;
using kanata::test::ScriptedMessages;

namespace {

class Store : public ::testing::Test {
protected:
    kanata::test::TempFolders folders;
    ScriptedMessages messages;
    std::filesystem::path dataFolder = folders.scratch() / "Data";

    static RecvHisRow call(const std::string& tel) {
        RecvHisRow row;
        row.RecvDateTime = {2026, 3, 2, 9, 30, 0, 0};
        row.Tel = tel;
        row.SchTel = tel;
        return row;
    }
    static std::string order(const std::vector<MeiboRow>& rows, std::string MeiboRow::*field) {
        std::string text;
        for (const MeiboRow& r : rows)
            text += r.*field + " ";
        return text;
    }
};

TEST_F(Store, TwoDesksStoringAtOnceGetConsecutiveNumbers) {
    constexpr int kEach = 40;
    std::vector<int> numbers[2];
    std::vector<std::thread> desks;
    for (int d = 0; d < 2; ++d)
        desks.emplace_back([&, d] {
            ScriptedMessages quiet; // a box here would be a failed append
            TDMKanata195 dm(dataFolder, quiet);
            if (!dm.OpenRecvHis())
                return;
            for (int i = 0; i < kEach; ++i)
                if (auto n = dm.RecvHis().append(call("03" + std::to_string(d)), quiet))
                    numbers[d].push_back(*n);
            dm.CloseRecvHis();
        });
    for (auto& t : desks)
        t.join();
    std::vector<int> all = numbers[0];
    all.insert(all.end(), numbers[1].begin(), numbers[1].end());
    std::sort(all.begin(), all.end());
    ASSERT_EQ(all.size(), 2u * kEach);
    for (int i = 0; i < 2 * kEach; ++i)
        EXPECT_EQ(all[static_cast<std::size_t>(i)], i);
}

TEST_F(Store, TextSortsByItsBytesAndNameIndexesFoldOnlyAsciiCase) {
    TDMKanata195 dm(dataFolder, messages);
    ASSERT_TRUE(dm.OpenMeibo());
    // In UTF-8 bytes full-width letters and half-width kana come after the
    // kanji; a Japanese locale sorts them among the ASCII letters and the
    // kana by their reading.
    for (const char* text : {"b", "ｱ", "B", "あ", "a", "Ａ", "ａ", "A", "亜"}) {
        MeiboRow row;
        row.SchTel1 = text;
        row.NameKana = text;
        ASSERT_TRUE(dm.Meibo().append(row, messages));
    }
    Query bySchTel;
    bySchTel.index = "SchTel1";
    EXPECT_EQ(order(dm.Meibo().read(bySchTel), &MeiboRow::SchTel1), "A B a b あ 亜 Ａ ａ ｱ ");

    Query byName;
    byName.index = "NameKana";
    EXPECT_EQ(order(dm.Meibo().read(byName), &MeiboRow::NameKana), "a A b B あ 亜 Ａ ａ ｱ ");
    // Full-width letters keep their case: a start at Ａ takes in ａ after
    // it, a start at ａ leaves Ａ out.
    byName.from = {std::string("Ａ")};
    EXPECT_EQ(order(dm.Meibo().read(byName), &MeiboRow::NameKana), "Ａ ａ ｱ ");
    byName.from = {std::string("ａ")};
    EXPECT_EQ(order(dm.Meibo().read(byName), &MeiboRow::NameKana), "ａ ｱ ");
    byName.from = {std::string("B")};
    byName.descending = true;
    byName.limit = 3;
    EXPECT_EQ(order(dm.Meibo().read(byName), &MeiboRow::NameKana), "B b A ");
    dm.CloseMeibo();
}

// The record numbers of a whole order, which a server sorts on the desk,
// come as the engine's own ordered read gives the rows: ties broken by
// record number, empty texts, one text the start of another, ASCII case
// folded in the folding orders, control characters and kana.
TEST_F(Store, TheWholeOrderOfRecordNumbersIsTheOrderOfTheRowsRead) {
    TDMKanata195 dm(dataFolder, messages);
    ASSERT_TRUE(dm.OpenMeibo());
    const std::vector<std::string> pieces = {"",   "a",  "A",    "ab", "a b",    " ",       "ｱ",
                                             "ｱｲ", "あ", "あい", "亜", "日本橋", "日本橋1", "Ａ"};
    std::mt19937 random(195);
    const auto piece = [&] { return pieces[random() % pieces.size()]; };
    for (int i = 0; i < 240; ++i) {
        MeiboRow row;
        row.AxsDateTime = {2026, 3, 1 + static_cast<int>(random() % 3), 9, 0, 0, 0};
        row.SchTel1 = piece();
        row.SchTel2 = piece();
        row.JisCode = pieces[random() % 3]; // ties, for the texts after it to decide
        row.Adrs2 = piece() + piece();
        row.Adrs3 = piece();
        row.CorpKana = piece() + piece();
        row.CorpKanji = piece();
        row.NameKana = piece() + piece();
        row.NameKanji = piece();
        ASSERT_TRUE(dm.Meibo().append(row, messages));
    }
    Table& table = dm.Meibo().table();
    // The program trims control characters off its texts; another tool
    // may leave them inside.
    sql::Statement inside(
        table.database(),
        "UPDATE \"Meibo\" SET \"Adrs2\" = \"Adrs2\" || ? WHERE \"RecNo\" % 3 = 0");
    inside.bind(1, std::string{'\x01', 'a'});
    inside.step();
    for (const char* index : {"AxsDateTime", "SchTel1", "SchTel2", "Adrs", "CorpKana", "CorpKanji",
                              "NameKana", "NameKanji"})
        for (const bool descending : {false, true})
            for (const char* where : {"", "\"Adrs3\" <> ''"}) {
                Query query;
                query.index = index;
                query.descending = descending;
                query.where = where;
                std::vector<std::int64_t> read;
                for (const Record& row : table.read(query))
                    read.push_back(std::get<std::int64_t>(row[0]));
                EXPECT_EQ(table.keysInOrder(query), read)
                    << index << (descending ? " descending" : "") << " where " << where;
            }
    dm.CloseMeibo();
}

TEST_F(Store, FailedWriteInsideABatchLeavesTheBatchUsable) {
    TDMKanata195 dm(dataFolder, messages);
    ASSERT_TRUE(dm.OpenRecvHis());
    sql::Database& db = dm.RecvHis().table().database();
    {
        sql::Transaction batch(db);
        ASSERT_EQ(dm.RecvHis().append(call("1"), messages), 0);
        try {
            sql::Transaction part(db);
            db.exec("INSERT INTO RecvHis (RecNo) VALUES (0)"); // the number is taken
            part.commit();
            ADD_FAILURE() << "a second row 0 was stored";
        } catch (const sql::Error&) {
        }
        EXPECT_TRUE(db.inTransaction());
        EXPECT_EQ(dm.RecvHis().append(call("2"), messages), 1);
        batch.commit();
    }
    EXPECT_EQ(dm.RecvHis().count(), 2);
    EXPECT_EQ(dm.RecvHis().find(1)->Tel, "2");
    dm.CloseRecvHis();
}

TEST_F(Store, ConditionsOfTheListsReadAlikeOnEitherEngine) {
    TDMKanata195 dm(dataFolder, messages);
    ASSERT_TRUE(dm.OpenRecvHis());
    for (const char* tel : {"0312345678", "0398765432", "0612345678"}) {
        RecvHisRow row = call(tel);
        row.CorpKana = std::string("ｶﾌﾞｼｷ") + tel;
        ASSERT_TRUE(dm.RecvHis().append(row, messages));
    }
    auto& his = dm.RecvHis();
    EXPECT_EQ(his.count("substr(\"SchTel\", 1, ?) = ?", {std::int64_t{3}, std::string("031")}), 1);
    EXPECT_EQ(his.count("instr(\"CorpKana\", ?) > 0", {std::string("5678")}), 2);
    // A numbered parameter used twice, names quoted or not, in any case.
    EXPECT_EQ(his.count("substr(SCHTEL, 1, length(?1)) = ?1 OR \"schtel\" = ?2",
                        {std::string("03"), std::string("0612345678")}),
              3);
    Query skipped;
    skipped.offset = 1; // all the rest, however the engine spells "no limit"
    EXPECT_EQ(his.read(skipped).size(), 2u);
    dm.CloseRecvHis();
}

TEST_F(Store, UnreachableServerIsReportedAsTheTableNotOpening) {
    sql::StoreSettings nowhere;
    nowhere.engine = sql::Engine::Postgresql;
    nowhere.server.host = (folders.scratch() / "no-server").string();
    nowhere.server.name = "kanata195";
    TDMKanata195 dm(dataFolder, messages, StorageHooks{}, nowhere);
    messages.expect("着信対応履歴ファイルがオープンできませんでした");
    EXPECT_FALSE(dm.OpenRecvHis());
    EXPECT_EQ(dm.recvHisOpenCount(), 0);
    EXPECT_TRUE(messages.allAnswered());
}

TEST(StoreSettings, DatabaseSectionNamesTheServerWithoutAPassword) {
    IniFile ini("unused.ini", IniFile::Encoding::Utf8);
    ini.parse("[DATABASE]\nEngine=PostgreSQL\nHost=office-pc\nPort=5433\nName=kanata195\n"
              "User=o'brien\\x\nSslMode=require\nPassword=secret\n");
    const DatabaseSettingsRead read = ReadDatabaseSettings(ini);
    EXPECT_TRUE(read.unknownEngine.empty());
    EXPECT_EQ(read.store.engine, sql::Engine::Postgresql);
    EXPECT_EQ(sql::ConnectionInfo(read.store.server),
              "host='office-pc' port='5433' dbname='kanata195' user='o\\'brien\\\\x' "
              "sslmode='require' client_encoding='UTF8' connect_timeout='3' keepalives='1' "
              "keepalives_idle='15' keepalives_interval='5' keepalives_count='3' "
              "tcp_user_timeout='10000' application_name='kanata195'");

    ini.parse("[DATABASE]\nEngine=mysql\n");
    const DatabaseSettingsRead unknown = ReadDatabaseSettings(ini);
    EXPECT_EQ(unknown.unknownEngine, "mysql");
    EXPECT_EQ(unknown.store.engine, sql::Engine::Sqlite);
    EXPECT_EQ(ReadDatabaseSettings(IniFile("none.ini")).store.engine, sql::Engine::Sqlite);
}

// A test or a tool that points a work folder at a server writes what the
// program reads back, and a field it leaves empty does not survive from
// before.
TEST(DatabaseSettings, WrittenSettingsReadBackAndEmptyFieldsGo) {
    IniFile ini("unused.ini", IniFile::Encoding::Utf8);
    ini.parse("[DATABASE]\nEngine=sqlite\nHost=old-pc\nSslMode=require\n");
    const sql::StoreSettings server{sql::Engine::Postgresql,
                                    {"/run/pg", "5433", "kanata195", "kanata", {}}};
    WriteDatabaseSettings(ini, server);
    const DatabaseSettingsRead read = ReadDatabaseSettings(ini);
    EXPECT_EQ(read.store.engine, sql::Engine::Postgresql);
    EXPECT_EQ(sql::ConnectionInfo(read.store.server), sql::ConnectionInfo(server.server));
    EXPECT_TRUE(read.store.server.sslMode.empty());

    WriteDatabaseSettings(ini, sql::StoreSettings{});
    const DatabaseSettingsRead local = ReadDatabaseSettings(ini);
    EXPECT_EQ(local.store.engine, sql::Engine::Sqlite);
    EXPECT_TRUE(local.unknownEngine.empty());
    EXPECT_TRUE(local.store.server.host.empty());
}

TEST(ServerSpelling, ParametersAreNumberedAndNamesLoweredOutsideQuotedText) {
    int count = 0;
    EXPECT_EQ(sql::ServerSpelling("SELECT \"RecNo\" FROM \"RecvHis\" WHERE Tel = ? -- why?\n"
                                  "AND x = 'it''s \"Q\"?' AND y COLLATE \"C\" = ?3 AND z = ?",
                                  count),
              "SELECT \"recno\" FROM \"recvhis\" WHERE Tel = $1 -- why?\n"
              "AND x = 'it''s \"Q\"?' AND y COLLATE \"C\" = $3 AND z = $4");
    EXPECT_EQ(count, 4);
}

} // namespace
