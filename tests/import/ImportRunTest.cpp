#include "data/Sqlite.h"
#include "tests/import/ImportFixture.h"
#include "tests/support/PostgresServer.h"
#include "transfer/ImportRecords.h"
#include "transfer/ImportStart.h"

#include <regex>
#include <set>

using namespace kanata;
using kanata::test::ImportFixture;
using kanata::test::writeLines;

namespace {

class ImportRunTest : public ImportFixture {
protected:
    void addTrigger(bool history, const std::string& condition) {
        const char* table = history ? "RecvHis" : "Meibo";
        ASSERT_TRUE(history ? dm.OpenRecvHis() : dm.OpenMeibo());
        auto& db = history ? dm.RecvHis().table().database() : dm.Meibo().table().database();
        if (kanata::test::OnServer()) {
            db.exec("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                    "'BEGIN IF " +
                    std::regex_replace(condition, std::regex("'"), "''") +
                    " THEN RAISE EXCEPTION ''refused''; END IF; RETURN NEW; END'");
            db.exec(std::string("CREATE TRIGGER refuse BEFORE INSERT ON ") + table +
                    " FOR EACH ROW EXECUTE FUNCTION refuse()");
        } else {
            db.exec(std::string("CREATE TRIGGER refuse BEFORE INSERT ON ") + table + " WHEN " +
                    condition + " BEGIN SELECT RAISE(ABORT, 'refused'); END");
        }
        history ? dm.CloseRecvHis() : dm.CloseMeibo();
    }
    ImportMapping historyMapping() {
        ImportMapping mapping = inOrder(kHistoryItemCount, 3);
        mapping.set(kHisCorpKanji, MappingSlot::forField(3, "x"));
        return mapping;
    }
    ImportMapping rosterMapping() {
        ImportMapping mapping(kRosterItemCount);
        const int fields[] = {kRosTel1,  kRosTel2,  kRosNameKanji,
                              kRosAdrs1, kRosAdrs2, kRosLatitude};
        for (int f = 0; f < 6; ++f)
            mapping.set(fields[f], MappingSlot::forField(f, "x"));
        return mapping;
    }
    MeiboRow rosterRow(int recNo) {
        auto row = dm.Meibo().find(recNo);
        EXPECT_TRUE(row.has_value()) << recNo;
        return row.value_or(MeiboRow{});
    }
};

TEST_F(ImportRunTest, HistoryOutcomesAreLoggedWithTheirReasons) {
    addTrigger(true, "NEW.Tel = '03-9999-9999'");
    writeLines(input, {
                          "2024/01/05,09:05:03,0312345678,\"山田,商事\"",
                          "20240105,090503,匿名着信,x",
                          "2024/1/05,09:05:03,0312345678,x",
                          "2024/01/05,9:05:03,0312345678,x",
                          "2024/13/05,09:05:03,0312345678,x",
                          "",
                          "a,b\"c,d,e",
                          "2024-01-06,10:00:00,0101234567,x",
                          "2024/01/06,10:00:00,0399999999,x",
                      });
    const ImportResult result = import(ImportDestination::History, historyMapping());
    EXPECT_EQ(result.read, 9);
    EXPECT_EQ(result.registered, 3);
    EXPECT_FALSE(result.aborted);
    EXPECT_EQ(errorLog(), "3,着信日付か着信時刻の書式不正,2024/1/05,09:05:03,0312345678,x\r\n"
                          "4,着信日付か着信時刻の書式不正,2024/01/05,9:05:03,0312345678,x\r\n"
                          "5,その他のエラー,2024/13/05,09:05:03,0312345678,x\r\n"
                          "6,１件目と項目数が不一致,\r\n"
                          "7,１件目と項目数が不一致,a,b\"c,d,e\r\n"
                          "9,着信対応履歴登録失敗,2024/01/06,10:00:00,0399999999,x\r\n");

    ASSERT_TRUE(dm.OpenRecvHis());
    auto first = dm.RecvHis().find(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->RecvDateTime.toText(), "2024-01-05 09:05:03.000");
    EXPECT_EQ(first->RecvWeek, 6); // a Friday
    EXPECT_EQ(first->Tel, "03-1234-5678");
    EXPECT_EQ(first->SchTel, "0312345678");
    EXPECT_EQ(first->CorpKanji, "山田,商事");
    EXPECT_EQ(first->Division, "0");
    EXPECT_EQ(dm.RecvHis().find(1)->Tel, "P");
    EXPECT_EQ(dm.RecvHis().find(1)->SchTel, "P");
    // 010 numbers became 090 numbers.
    EXPECT_EQ(dm.RecvHis().find(2)->SchTel, "09011234567");
    EXPECT_EQ(dm.RecvHis().find(2)->Tel, "090-1123-4567");
    dm.CloseRecvHis();
}

TEST_F(ImportRunTest, ARunWithoutFailuresLeavesTheEarlierLogAlone) {
    writeLines(dataFolder / "InError.txt", {"earlier"});
    writeLines(input, {"20240105,090503,0312345678,x"});
    EXPECT_EQ(import(ImportDestination::History, historyMapping()).registered, 1);
    EXPECT_EQ(errorLog(), "earlier\r\n");
}

TEST_F(ImportRunTest, ACallStoredBetweenBatchesKeepsItsNumber) {
    writeLines(input, {"20240105,090503,0311111111,x", "20240105,090504,0322222222,x",
                       "20240105,090505,0333333333,x"});
    ImportRequest request;
    request.file = input;
    request.mapping = historyMapping();
    request.sampleFieldCount = 4;
    ImportRun run(dm, hyphenation, noSupplement, messages);
    run.setBatchLimits({1, std::chrono::milliseconds(1000)});
    ASSERT_TRUE(dm.OpenRecvHis()); // held open by the program, as while it runs
    sql::Database& db = dm.RecvHis().table().database();
    auto cacheSize = [&db] {
        sql::Statement size(db, "PRAGMA cache_size");
        return size.step() ? size.columnInt(0) : 0;
    };
    const std::int64_t cacheBefore = kanata::test::OnServer() ? 0 : cacheSize();
    int calls = 0;
    const ImportResult result = run.run(request, [&](long long) {
        // Between batches the window processes its events: a call comes in.
        RecvHisRow call;
        call.Tel = call.SchTel = "P";
        call.NameKanji = "着信";
        call.RecvDateTime = DateTime::now();
        ASSERT_TRUE(dm.RecvHis().append(call, messages));
        ++calls;
        // The run holds its batches in a larger page cache.
        if (!kanata::test::OnServer()) {
            EXPECT_NE(cacheSize(), cacheBefore);
        }
    });
    if (!kanata::test::OnServer()) {
        EXPECT_EQ(cacheSize(), cacheBefore);
    }
    EXPECT_EQ(result.registered, 3);
    EXPECT_GE(calls, 3);
    const auto rows = dm.RecvHis().read({});
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(3 + calls));
    std::vector<std::string> imported;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].RecNo, static_cast<int>(i));
        if (rows[i].SchTel != "P")
            imported.push_back(rows[i].SchTel);
    }
    EXPECT_EQ(imported, (std::vector<std::string>{"0311111111", "0322222222", "0333333333"}));
    EXPECT_EQ(rows[1].SchTel, "P"); // the first call came after the first batch
    // The calls went in between the batches, the imported rows within them:
    // a name search finds each.
    auto named = [this](const char* field, const std::string& text) {
        ConditionArgs args;
        Query query;
        query.where = ContainsTerm({{field}, text}, args);
        query.whereArgs = args;
        return dm.RecvHis().table().read(query).size();
    };
    EXPECT_EQ(named("NameKanji", "着信"), static_cast<std::size_t>(calls));
    EXPECT_EQ(named("CorpKanji", "x"), 3u);
    dm.CloseRecvHis();
}

TEST(RenumberOldNumber, ThreeRules) {
    const DateTime today{2024, 5, 1};
    EXPECT_EQ(RenumberOldNumber("0101234567", today), "09011234567");
    EXPECT_EQ(RenumberOldNumber("0801234567", today), "09081234567");
    EXPECT_EQ(RenumberOldNumber("0501234567", today), "07051234567");
    EXPECT_EQ(RenumberOldNumber("061234567", today), "0661234567");
    EXPECT_EQ(RenumberOldNumber("0612345678", today), "0612345678"); // 10 digits: kept
    EXPECT_EQ(RenumberOldNumber("07201234567", today), "07281234567");
    EXPECT_EQ(RenumberOldNumber("07201234567", DateTime{1999, 12, 31}), "07201234567");
    EXPECT_EQ(RenumberOldNumber("09012345678", today), "09012345678");
    EXPECT_EQ(RenumberOldNumber("010", today), "010");
}

TEST_F(ImportRunTest, RosterDuplicatesReplacementAndNumberlessRecords) {
    addTrigger(false, "NEW.NameKanji = '拒否'");
    writeLines(input, {"0311111111,,甲,,,", "0322222222,,乙,,,"});
    ASSERT_EQ(import(ImportDestination::Roster, rosterMapping()).registered, 2);

    writeLines(input, {
                          "0311111111,,同番,,,",
                          "0311111111,03-2222-2222,両方,,,",
                          "0333333333,0333333333,同じ,,,",
                          ",,番号なし,,,",
                          ",,番号なし,,,",
                          "0344444444,,緯度,,,北緯",
                          ",0355555555,二番,,,",
                          "0366666666,,拒否,,,",
                      });
    ImportResult result = import(ImportDestination::Roster, rosterMapping());
    EXPECT_EQ(result.read, 8);
    EXPECT_EQ(result.registered, 3);
    EXPECT_EQ(errorLog(),
              "1,同一電話番号データを上書きしない設定で同一電話番号出現,0311111111,,同番,,,\r\n"
              "2,複数同一電話番号が存在,0311111111,03-2222-2222,両方,,,\r\n"
              "3,複数同一電話番号が存在,0333333333,0333333333,同じ,,,\r\n"
              "6,その他のエラー,0344444444,,緯度,,,北緯\r\n"
              "8,登録名簿登録失敗,0366666666,,拒否,,,\r\n");
    ASSERT_TRUE(dm.OpenMeibo());
    EXPECT_EQ(dm.Meibo().count(), 5);
    EXPECT_EQ(rosterRow(2).NameKanji, "番号なし");
    EXPECT_EQ(rosterRow(3).NameKanji, "番号なし");
    EXPECT_EQ(rosterRow(4).Tel1, "03-5555-5555");
    EXPECT_EQ(rosterRow(4).SchTel1, "0355555555");
    EXPECT_EQ(rosterRow(4).Tel2, "");

    // With replacement on, one match is rewritten in place; two still refuse.
    writeLines(input, {"03-1111-1111,,置換,,,", "0311111111,0322222222,両方,,,"});
    result = import(ImportDestination::Roster, rosterMapping(), false, true);
    EXPECT_EQ(result.registered, 1);
    EXPECT_EQ(dm.Meibo().count(), 5);
    EXPECT_EQ(rosterRow(0).NameKanji, "置換");
    EXPECT_EQ(errorLog(), "2,複数同一電話番号が存在,0311111111,0322222222,両方,,,\r\n");
    dm.CloseMeibo();
}

TEST_F(ImportRunTest, ANumberThatIsAnotherRowsSecondNumberIsTheSameNumber) {
    writeLines(input, {"0377777777,0388888888,丙,,,"});
    ASSERT_EQ(import(ImportDestination::Roster, rosterMapping()).registered, 1);

    writeLines(input, {"0388888888,,丁,,,"});
    EXPECT_EQ(import(ImportDestination::Roster, rosterMapping()).registered, 0);
    EXPECT_EQ(errorLog(),
              "1,同一電話番号データを上書きしない設定で同一電話番号出現,0388888888,,丁,,,\r\n");
    EXPECT_EQ(import(ImportDestination::Roster, rosterMapping(), false, true).registered, 1);
    ASSERT_TRUE(dm.OpenMeibo());
    EXPECT_EQ(dm.Meibo().count(), 1);
    EXPECT_EQ(rosterRow(0).NameKanji, "丁");
    dm.CloseMeibo();
}

TEST_F(ImportRunTest, ImportedAndRewrittenRowsAreFoundByTheirNames) {
    writeLines(input, {"0311111111,,甲野,,,", "0322222222,,乙川,,,"});
    ASSERT_EQ(import(ImportDestination::Roster, rosterMapping()).registered, 2);
    // One batch adds a row and rewrites it, and rewrites a row from before.
    writeLines(input, {"0333333333,,丙山,,,", "0333333333,,丁谷,,,", "0311111111,,戊田,,,"});
    ASSERT_EQ(import(ImportDestination::Roster, rosterMapping(), false, true).registered, 3);
    ASSERT_TRUE(dm.OpenMeibo());
    auto named = [this](const std::string& text) {
        ConditionArgs args;
        Query query;
        query.where = ContainsTerm({{"NameKanji"}, text}, args);
        query.whereArgs = args;
        std::set<std::int64_t> rows;
        for (const Record& r : dm.Meibo().table().read(query))
            rows.insert(std::get<std::int64_t>(r[0]));
        return rows;
    };
    EXPECT_EQ(named("丁谷"), (std::set<std::int64_t>{2}));
    EXPECT_TRUE(named("丙山").empty());
    EXPECT_EQ(named("田"), (std::set<std::int64_t>{0}));
    EXPECT_TRUE(named("甲").empty());
    EXPECT_EQ(named("乙川"), (std::set<std::int64_t>{1}));
    dm.CloseMeibo();
}

TEST_F(ImportRunTest, RosterAddressSplitsOffThePrefectureAndOverflows) {
    writeLines(input, {
                          "0366666666,,住所,東京都千代田区丸の内一丁目一番一号丸の内ビル,３階,",
                          "0377777777,,住所,大阪市北区,梅田,1",
                      });
    ASSERT_EQ(import(ImportDestination::Roster, rosterMapping()).registered, 2);
    ASSERT_TRUE(dm.OpenMeibo());
    const MeiboRow row = rosterRow(0);
    EXPECT_EQ(row.Tdfkn, "東京都");
    EXPECT_EQ(row.Adrs1, "千代田区丸の内一丁目一番一号丸の"); // 32 bytes
    EXPECT_EQ(row.Adrs2, "内ビル３階");
    EXPECT_EQ(row.PrivCorp, "0");
    const MeiboRow other = rosterRow(1);
    EXPECT_EQ(other.Tdfkn, "");
    EXPECT_EQ(other.Adrs1, "大阪市北区");
    EXPECT_EQ(other.Adrs2, "梅田");
    EXPECT_EQ(other.Latitude, 1);
    dm.CloseMeibo();
}

TEST_F(ImportRunTest, RosterRowsKeepTheirOwnTextsAndMoments) {
    // Code page 932 characters whose second byte is 0x5C beside quoted
    // commas and quotes, a name over its field's 30 bytes, and dates given
    // on some lines only, the one before differing.
    writeLines(input, {
                          "0311111111,\"ソ,表\"\"能\",2020/01/02,03:04:05",
                          "0322222222,  長い名前の会社のとても長い担当者の名前  ,,",
                          "0333333333,\\,2021/05/06,07:08:09",
                          "0344444444,x,2020/01/02,03:04:05",
                      });
    ImportMapping mapping(kRosterItemCount);
    const int items[] = {kRosTel1, kRosNameKanji, kRosAddDate, kRosAddTime};
    for (int f = 0; f < 4; ++f)
        mapping.set(items[f], MappingSlot::forField(f, "x"));
    const DateTime before = TruncateToSeconds(DateTime::now());
    ASSERT_EQ(import(ImportDestination::Roster, mapping).registered, 4);
    const DateTime after = DateTime::now();
    ASSERT_TRUE(dm.OpenMeibo());
    EXPECT_EQ(rosterRow(0).NameKanji, "ソ,表\"\"能");
    EXPECT_EQ(rosterRow(1).NameKanji, "長い名前の会社のとても長い担当"); // 30 bytes
    EXPECT_EQ(rosterRow(2).NameKanji, "\\");
    EXPECT_EQ(rosterRow(0).AddDateTime.toText(), "2020-01-02 03:04:05.000");
    EXPECT_GE(rosterRow(1).AddDateTime, before);
    EXPECT_LE(rosterRow(1).AddDateTime, after);
    EXPECT_EQ(rosterRow(2).AddDateTime.toText(), "2021-05-06 07:08:09.000");
    EXPECT_EQ(rosterRow(3).AddDateTime.toText(), "2020-01-02 03:04:05.000");
    for (int n = 0; n < 4; ++n) {
        const MeiboRow row = rosterRow(n);
        EXPECT_EQ(row.UpdDateTime, row.AxsDateTime) << n;
        EXPECT_GE(row.UpdDateTime, before) << n;
        EXPECT_LE(row.UpdDateTime, after) << n;
    }
    dm.CloseMeibo();
}

TEST_F(ImportRunTest, AUtf8FileWithByteOrderMarkIsReadAsUtf8) {
    writeLines(input, {"電話番号,名前", "0312345678,𠮷野家", "0398765432"}, true);
    ImportMapping mapping(kRosterItemCount);
    mapping.set(kRosTel1, MappingSlot::forField(0, "電話番号"));
    mapping.set(kRosNameKanji, MappingSlot::forField(1, "名前"));
    const ImportResult result = import(ImportDestination::Roster, mapping, true);
    EXPECT_EQ(result.read, 2);
    EXPECT_EQ(result.registered, 1);
    ASSERT_TRUE(dm.OpenMeibo());
    EXPECT_EQ(rosterRow(0).NameKanji, "𠮷野家");
    dm.CloseMeibo();
    // The log keeps the file's encoding, so its raw line comes back as read.
    EXPECT_EQ(test::readFile(dataFolder / "InError.txt"),
              "\xEF\xBB\xBF"
              "2,１件目と項目数が不一致,0398765432\r\n");
}

TEST_F(ImportRunTest, AUtf8FileWithoutByteOrderMarkIsRecognisedByItsContent) {
    {
        std::ofstream out(input, std::ios::binary);
        out << "電話番号,名前\r\n0312345678,𠮷野家\r\n0398765432,ｻｲﾄｳ\r\n";
    }
    ImportMapping mapping(kRosterItemCount);
    mapping.set(kRosTel1, MappingSlot::forField(0, "電話番号"));
    mapping.set(kRosNameKanji, MappingSlot::forField(1, "名前"));
    const ImportResult result = import(ImportDestination::Roster, mapping, true);
    EXPECT_EQ(result.registered, 2);
    ASSERT_TRUE(dm.OpenMeibo());
    EXPECT_EQ(rosterRow(0).NameKanji, "𠮷野家");
    EXPECT_EQ(rosterRow(1).NameKanji, "ｻｲﾄｳ");
    dm.CloseMeibo();

    ImportTextFile file;
    ASSERT_TRUE(file.open(input));
    EXPECT_TRUE(file.unmarkedUtf8());
    // Code page 932 text stays code page 932, also half-width katakana whose
    // byte pairs happen to look like UTF-8 here and there.
    writeLines(input, {"ﾃｽﾄ,ﾀｶﾊｼ,ﾄｳﾄﾌﾞｯｻﾝ", "東京都,千代田区"});
    ASSERT_TRUE(file.open(input));
    EXPECT_FALSE(file.unmarkedUtf8());
    EXPECT_EQ(file.encoding(), TextEncoding::Cp932);
    writeLines(input, {"0312345678,ascii only"});
    ASSERT_TRUE(file.open(input));
    EXPECT_EQ(file.encoding(), TextEncoding::Cp932);

    EXPECT_TRUE(LooksLikeUtf8("a\xE3\x81\x82"));
    EXPECT_TRUE(LooksLikeUtf8("a\xE3\x81"));     // cut off where the sniffing ends
    EXPECT_FALSE(LooksLikeUtf8("\xC0\xB6"));     // overlong: ﾀｶ in code page 932
    EXPECT_FALSE(LooksLikeUtf8("\xED\xA0\x80")); // a surrogate
    EXPECT_FALSE(LooksLikeUtf8("plain"));
}

TEST_F(ImportRunTest, LinesAreReadWholeAcrossBuffersAndCutBeyondTheLimit) {
    // Lines that straddle the reader's 1 MiB chunks, one far beyond the
    // limit with a carriage return at its cut, and a last line without end.
    std::vector<std::string> expected;
    std::string bytes;
    for (int i = 0; bytes.size() < (3u << 20); ++i) {
        expected.push_back(std::string(static_cast<std::size_t>(i % 997), 'a' + i % 26));
        bytes += expected.back() + (i % 2 ? "\r\n" : "\n");
    }
    const std::size_t longAt = expected.size();
    const std::string longLine =
        std::string(ImportTextFile::kMaxLineBytes - 1, 'x') + "\r" + std::string(3u << 20, 'y');
    const std::string longest(ImportTextFile::kMaxLineBytes, 'z');
    bytes += longLine + "\r\n" + longest + "\r\nlast";
    {
        std::ofstream out(input, std::ios::binary);
        out << bytes;
    }
    ImportTextFile file;
    ASSERT_TRUE(file.open(input));
    std::string line;
    for (std::size_t i = 0; i < longAt; ++i) {
        ASSERT_TRUE(file.readLine(line));
        ASSERT_EQ(line, expected[i]) << i;
        ASSERT_FALSE(file.lineCut()) << i;
    }
    ASSERT_TRUE(file.readLine(line));
    EXPECT_TRUE(file.lineCut());
    EXPECT_EQ(line, longLine.substr(0, ImportTextFile::kMaxLineBytes));
    ASSERT_TRUE(file.readLine(line));
    EXPECT_FALSE(file.lineCut()) << "a line of the limit with its CR LF";
    EXPECT_EQ(line, longest);
    ASSERT_TRUE(file.readLine(line));
    EXPECT_FALSE(file.lineCut());
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(file.readLine(line));
    EXPECT_EQ(file.position(), bytes.size());
    EXPECT_EQ(CountImportLines(input), static_cast<long long>(longAt) + 3);
}

TEST_F(ImportRunTest, AnOverlongLineIsLoggedAndTheRestIsImported) {
    const std::string overlong = "0311112222," + std::string(ImportTextFile::kMaxLineBytes, 'z');
    writeLines(input, {"0312345678,前", overlong, "0398765432,後"});
    ImportMapping mapping(kRosterItemCount);
    mapping.set(kRosTel1, MappingSlot::forField(0, "x"));
    mapping.set(kRosNameKanji, MappingSlot::forField(1, "x"));
    const ImportResult result = import(ImportDestination::Roster, mapping);
    EXPECT_EQ(result.read, 3);
    EXPECT_EQ(result.registered, 2);
    EXPECT_EQ(errorLog(), "2,１行が65536バイトを超過," +
                              overlong.substr(0, ImportTextFile::kMaxLineBytes) + "\r\n");
    ASSERT_TRUE(dm.OpenMeibo());
    EXPECT_EQ(dm.Meibo().count(), 2);
    dm.CloseMeibo();

    // A first line beyond the limit gives no sample to map fields from.
    writeLines(input, {overlong, "0312345678,前"});
    ImportSample sample;
    EXPECT_EQ(LoadImportSample(input, dataFolder, sample), SampleProblem::LineTooLong);
    EXPECT_NE(SampleProblemText(SampleProblem::LineTooLong).find("65536"), std::string::npos);
}

TEST_F(ImportRunTest, AFullTableStopsTheRunWithItsMessage) {
    ASSERT_TRUE(dm.OpenRecvHis());
    dm.RecvHis().table().database().exec("INSERT INTO RecvHis (RecNo) VALUES (99999)");
    dm.CloseRecvHis();
    writeLines(input, {"20240105,090503,0312345678,x", "20240105,090503,0312345678,x"});
    messages.expect("データ管理カウンタが一杯になり登録できませんでした  \r\n"
                    "最適化処理を行うことにより登録できるようになります  ");
    const ImportResult result = import(ImportDestination::History, historyMapping());
    EXPECT_TRUE(result.tableFull);
    EXPECT_EQ(result.read, 1);
    EXPECT_EQ(result.registered, 0);
    EXPECT_FALSE(std::filesystem::exists(dataFolder / "InError.txt"));
}

TEST_F(ImportRunTest, BackupHoldsTheTableAsItWasBeforeTheImport) {
    if (kanata::test::OnServer())
        GTEST_SKIP() << "a table on a server is no file to copy";
    writeLines(input, {"0311111111,,甲,,,", "0322222222,,乙,,,"});
    ASSERT_EQ(import(ImportDestination::Roster, rosterMapping()).registered, 2);
    writeLines(input, {"0333333333,,丙,,,"});
    const ImportResult result = import(ImportDestination::Roster, rosterMapping());
    EXPECT_TRUE(result.backedUp);
    EXPECT_EQ(result.registered, 1);
    const auto copy = dataFolder / "backupMB.imp" / "Meibo.DB";
    ASSERT_TRUE(std::filesystem::exists(copy));
    MeiboTable table;
    table.table().open(copy);
    EXPECT_EQ(table.count(), 2);
    EXPECT_FALSE(std::filesystem::exists(dataFolder / "backupMB.imp" / "Meibo.DB.part"));
}

TEST_F(ImportRunTest, RankAndSelectionListsLearnTheImportedValues) {
    dm.SelItem(1).Add("既存の値");
    dm.SelItem(1).Add("電話");
    dm.SelItem(1).Save();
    writeLines(input, {"20240105,090503,0312345678,ＶＩＰ,電話", "20240105,090503,P,,新しい値"});
    ImportMapping mapping = inOrder(kHistoryItemCount, 3);
    mapping.set(kHisRank, MappingSlot::forField(3, "x"));
    mapping.set(kHisSelItem1, MappingSlot::forField(4, "x"));
    ASSERT_EQ(import(ImportDestination::History, mapping).registered, 2);
    // As stored: in the data folder's files, or on the server.
    TDMKanata195 stored(dataFolder, messages, StorageHooks{}, dm.store());
    EXPECT_EQ(stored.LoadItemLists(dataFolder / "no-app"), 0);
    const THistoryData& rank = stored.Rank();
    ASSERT_GE(rank.Count(), 1);
    EXPECT_EQ(rank.Get(rank.Count() - 1), "ＶＩＰ");
    const THistoryData& sel = stored.SelItem(1);
    ASSERT_EQ(sel.Count(), 3);
    EXPECT_EQ(sel.Get(0), "新しい値");
    EXPECT_EQ(sel.Get(1), "電話");
    EXPECT_EQ(sel.Get(2), "既存の値");
}

// On a server the batch's lines go without savepoints of their own; a
// refused one rolls the batch back and writes it again line by line.
TEST_F(ImportRunTest, AWriteRefusedInsideABatchCostsOnlyItsOwnLine) {
    addTrigger(true, "NEW.CorpKanji = '断られる'");
    writeLines(input, {"20240105,090503,0312345678,ＶＩＰ,電話,山田",
                       "20240105,090504,0312345679,,拒否,断られる",
                       "20240105,090505,0312345670,,新しい値,佐藤"});
    ImportMapping mapping = inOrder(kHistoryItemCount, 3);
    mapping.set(kHisRank, MappingSlot::forField(3, "x"));
    mapping.set(kHisSelItem1, MappingSlot::forField(4, "x"));
    mapping.set(kHisCorpKanji, MappingSlot::forField(5, "x"));
    const ImportResult result = import(ImportDestination::History, mapping);
    EXPECT_EQ(result.read, 3);
    EXPECT_EQ(result.registered, 2);
    EXPECT_FALSE(result.aborted);
    EXPECT_EQ(errorLog(), "2,着信対応履歴登録失敗,20240105,090504,0312345679,,拒否,断られる\r\n");

    ASSERT_TRUE(dm.OpenRecvHis());
    EXPECT_EQ(dm.RecvHis().count(), 2);
    EXPECT_EQ(dm.RecvHis().find(0)->CorpKanji, "山田");
    EXPECT_EQ(dm.RecvHis().find(1)->CorpKanji, "佐藤") << "numbered on, past the refused line";
    dm.CloseRecvHis();
    // The lists learn the stored lines once each, the refused one not.
    TDMKanata195 stored(dataFolder, messages, StorageHooks{}, dm.store());
    EXPECT_EQ(stored.LoadItemLists(dataFolder / "no-app"), 0);
    const THistoryData& sel = stored.SelItem(1);
    ASSERT_EQ(sel.Count(), 2);
    EXPECT_EQ(sel.Get(0), "新しい値");
    EXPECT_EQ(sel.Get(1), "電話");
}

class FixedSupplement : public AddressSupplement {
public:
    std::string failure;
    std::vector<std::string> asked;
    std::string open() override { return failure; }
    std::optional<AddressCodes> lookUp(const std::string& address) override {
        asked.push_back(address);
        if (address.find("故障") != std::string::npos)
            throw AddressSupplementError("broken");
        if (address.find("千代田区") == std::string::npos)
            return std::nullopt;
        return AddressCodes{"100-0005", "131016", "001002", 128000000, 503000000};
    }
};

TEST_F(ImportRunTest, AutoSupplementFillsWhatIsMissingFromTheDictionary) {
    writeLines(input, {
                          "0311111111,,補完,東京都千代田区丸の内,,",
                          "0322222222,,無地,北海道札幌市,,",
                          "0333333333,,故障,故障町,,",
                          "0344444444,,住所なし,,,",
                      });
    FixedSupplement supplement;
    const ImportResult result =
        import(ImportDestination::Roster, rosterMapping(), false, false, &supplement);
    EXPECT_EQ(result.registered, 3);
    EXPECT_EQ(supplement.asked.size(), 3u);
    EXPECT_EQ(errorLog(), "3,その他のエラー,0333333333,,故障,故障町,,\r\n");
    ASSERT_TRUE(dm.OpenMeibo());
    const MeiboRow row = rosterRow(0);
    EXPECT_EQ(row.Pos, "1000005");
    EXPECT_EQ(row.JisCode, "13101");
    EXPECT_EQ(row.KajoCode, "001002");
    EXPECT_EQ(row.Latitude, 128000000);
    EXPECT_EQ(row.Longitude, 503000000);
    EXPECT_EQ(rosterRow(1).Pos, "");
    dm.CloseMeibo();

    supplement.failure = "DLZsCnv.dll LoadLibrary Error\r\nDLLのロードに失敗しました";
    messages.expect("DLZsCnv.dll LoadLibrary Error");
    EXPECT_TRUE(
        import(ImportDestination::Roster, rosterMapping(), false, false, &supplement).aborted);
}

TEST(ImportMapping, SlotsFillWithoutGapsAndSwapWithTheirItem) {
    ImportMapping mapping(3);
    EXPECT_TRUE(mapping.isEmpty());
    mapping.set(1, MappingSlot::forField(0, "\"\""));
    EXPECT_EQ(mapping.slotsOf(1)[0].shown(), "項目1");
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(mapping.add(1, MappingSlot::forConstant("-")));
    EXPECT_TRUE(mapping.isFull(1));
    EXPECT_FALSE(mapping.add(1, MappingSlot::forConstant("-")));
    mapping.removeLast(1);
    EXPECT_EQ(mapping.filled(1), 8);
    mapping.swap(1, 2);
    EXPECT_FALSE(mapping.hasFirst(1));
    EXPECT_EQ(mapping.value(2, {"a"}), "a-------");
    mapping.clearAll();
    EXPECT_TRUE(mapping.isEmpty());
}

TEST(ImportMapping, HeaderNamesAreRecognisedInHalfWidthWithoutCase) {
    const auto items = ImportItems(ImportDestination::Roster, {});
    ImportMapping mapping(kRosterItemCount);
    AssignByHeaderNames(mapping, items,
                        {"名前", " 都道府県 ", "住所", "\"電話番号\"", "ｅ－ｍａｉｌ", "住所"});
    EXPECT_EQ(mapping.slotsOf(kRosNameKanji)[0].field, 0);
    EXPECT_EQ(mapping.slotsOf(kRosTel1)[0].field, 3);
    EXPECT_EQ(mapping.slotsOf(kRosTel1)[0].shown(), "電話番号");
    EXPECT_EQ(mapping.slotsOf(kRosEMail)[0].shown(), "E-MAIL");
    // Two name lists: the prefecture first, then the first address field.
    ASSERT_EQ(mapping.filled(kRosAdrs1), 2);
    EXPECT_EQ(mapping.slotsOf(kRosAdrs1)[0].field, 1);
    EXPECT_EQ(mapping.slotsOf(kRosAdrs1)[1].field, 2);
    EXPECT_FALSE(mapping.hasFirst(kRosTel2));

    const auto history = ImportItems(ImportDestination::History, {"用件", "メモ", "受付"});
    ImportMapping h(kHistoryItemCount);
    AssignByHeaderNames(h, history, {"日付", "時刻", "受付", "選択項目１"});
    EXPECT_EQ(h.slotsOf(kHisDate)[0].field, 0);
    EXPECT_EQ(h.slotsOf(kHisSelItem3)[0].shown(), "受付");
    EXPECT_EQ(h.slotsOf(kHisSelItem1)[0].field, 3);
}

} // namespace

// Without statistics the server's planner sorts the whole table for every
// ordered page, so the import gathers them once its rows are stored.
TEST_F(ImportRunTest, AnImportOnAServerLeavesTheTableAnalysed) {
    if (!kanata::test::OnServer())
        GTEST_SKIP() << "SQLite's planner needs no statistics";
    writeLines(input, {"20240105,090503,0312345678,x", "20240106,100000,0322222222,x",
                       "20240107,110000,0333333333,x"});
    ASSERT_EQ(import(ImportDestination::History, historyMapping()).registered, 3);
    ASSERT_TRUE(dm.OpenRecvHis());
    sql::Statement estimate(dm.RecvHis().table().database(),
                            "SELECT CAST(reltuples AS bigint) FROM pg_class "
                            "WHERE lower(relname) = 'recvhis' AND relkind = 'r'");
    ASSERT_TRUE(estimate.step());
    EXPECT_EQ(estimate.columnInt(0), 3);
    // A row written since is not in the statistics: what the refills get is
    // the planner's estimate, not a count of the table.
    RecvHisRow call;
    call.Tel = call.SchTel = "0344444444";
    call.RecvDateTime = DateTime::now();
    ASSERT_TRUE(dm.RecvHis().append(call, messages));
    EXPECT_EQ(dm.RecvHis().table().roughCount(), 3);
    dm.CloseRecvHis();
}

TEST(NextBatchTime, SlowCommitsLengthenTheBatchUpToTheLongest) {
    using std::chrono::milliseconds;
    const ImportBatchLimits limits{100, milliseconds(150), milliseconds(600)};
    // Quick commits leave the batch its time; slow ones stretch it so that
    // committing stays about a fifth of the run, but no further than the
    // longest a window may wait.
    EXPECT_EQ(NextBatchTime(limits, {}), milliseconds(150));
    EXPECT_EQ(NextBatchTime(limits, milliseconds(30)), milliseconds(150));
    EXPECT_EQ(NextBatchTime(limits, milliseconds(80)), milliseconds(320));
    EXPECT_EQ(NextBatchTime(limits, milliseconds(900)), milliseconds(600));
    // A longest below the time leaves the time as it is.
    EXPECT_EQ(NextBatchTime({100, milliseconds(150), milliseconds(50)}, milliseconds(80)),
              milliseconds(150));
}
