#include "tests/export/ExportFixture.h"

#include "data/Sqlite.h"
#include "history/HistoryCondition.h"

#include <algorithm>
#include <map>

using namespace kanata;
using kanata::test::At;
using kanata::test::ExportFixture;
using Lines = std::vector<std::string>;

namespace {

TEST_F(ExportFixture, JoinedColumnsHeaderAndQuotingFollowTheLayout) {
    addCall("0312345678", At(2026, 3, 4, 5, 6, 7), "東都物産,株式会社", "高橋");
    // Column 1: 会社名漢字 + 名前漢字, column 2: 電話番号, column 3: 着信日付.
    ExportJob j = job(ExportSource::History, {{4, 6}, {2}, {0}});
    EXPECT_EQ(run(j), (Lines{"会社名漢字＋名前漢字,電話番号,着信日付",
                             "東都物産,株式会社高橋,03-1234-5678,20260304"}));

    j.options.BindDblQuote = true;
    j.options.EditTelHyphen = false;
    j.options.EditDate = true;
    EXPECT_EQ(run(j), (Lines{"会社名漢字＋名前漢字,電話番号,着信日付",
                             "\"東都物産,株式会社高橋\",\"0312345678\",\"2026/03/04\""}));

    j.options.OutHeader = false;
    j.layout = {};
    j.layout.addColumn({1});
    j.options.BindDblQuote = false;
    EXPECT_EQ(run(j), (Lines{"050607"}));
    j.options.EditTime = true;
    EXPECT_EQ(run(j), (Lines{"05:06:07"}));
}

TEST_F(ExportFixture, ReasonCodesAreWrittenAsTheirTextsWithOrWithoutHyphens) {
    addCall("P", At(2026, 1, 1));
    addCall("C", At(2026, 1, 2));
    ExportJob j = job(ExportSource::History, {{2}, {7}});
    j.options.OutHeader = false;
    EXPECT_EQ(run(j), (Lines{"公衆電話,既存", "匿名着信,既存"}));
    j.options.EditTelHyphen = false;
    EXPECT_EQ(run(j), (Lines{"公衆電話,既存", "匿名着信,既存"}));
}

TEST_F(ExportFixture, CallerItemsComeFromTheFirstThenTheSecondNumberOfTheRoster) {
    MeiboRow byFirst;
    byFirst.SchTel1 = "0311110000";
    byFirst.Tel1 = "03-1111-0000";
    byFirst.Pos = "1000005";
    byFirst.CorpKanji = "第一商事";
    byFirst.Note = "一行目\r\n二行目";
    addCaller(byFirst);
    MeiboRow bySecond;
    bySecond.SchTel1 = "0399990000";
    bySecond.SchTel2 = "09022220000";
    bySecond.CorpKanji = "第二物産";
    bySecond.Pos = "12345";
    addCaller(bySecond);
    MeiboRow alsoSecond = bySecond; // a later record with the first's number second
    alsoSecond.SchTel1 = "0388880000";
    alsoSecond.SchTel2 = "0311110000";
    alsoSecond.CorpKanji = "後回し";
    addCaller(alsoSecond);

    addCall("03-1111-0000", At(2026, 1, 3));
    addCall("090-2222-0000", At(2026, 1, 2));
    addCall("0477777777", At(2026, 1, 1)); // nobody's number
    ExportJob j = job(ExportSource::History, {{19}, {12}, {27}});
    j.options.OutHeader = false;
    EXPECT_EQ(run(j), (Lines{"第一商事,100-0005,一行目\t二行目", "第二物産,123-45,", ",,"}));
    j.options.EditPosHyphen = false;
    EXPECT_EQ(run(j)[1], "第二物産,12345,");
}

TEST_F(ExportFixture, RosterItemsWriteTheirTextsAndAlwaysSeparatedDates) {
    MeiboRow r;
    r.SchTel1 = "0312345678";
    r.Tel1 = "03-1234-5678";
    r.PrivCorp = "1";
    r.Msg = 1;
    r.ExtLink = "https://a.example/\r\nhttps://b.example/";
    addCaller(r);
    ExportJob j = job(ExportSource::Roster, {{0}, {1}, {12}, {18}, {22}, {24, 25}});
    j.options.EditDate = false; // history only
    const Lines lines = run(j);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "電話番号１,電話番号２,個人法人区分,着信時メッセージ設定,外部リンク,"
                        "登録日付＋登録時刻");
    const std::string prefix =
        "03-1234-5678,,法人,設定あり,https://a.example/\thttps://b.example/,";
    ASSERT_EQ(lines[1].substr(0, prefix.size()), prefix);
    const DateTime added = dm.Meibo().find(0)->AddDateTime;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d%02d:%02d:%02d", added.year, added.month,
                  added.day, added.hour, added.minute, added.second);
    EXPECT_EQ(lines[1].substr(prefix.size()), stamp);
}

class ExportRanges : public ExportFixture {
protected:
    void SetUp() override {
        ExportFixture::SetUp();
        // Stored out of time order: the list order is newest first.
        for (int day : {3, 1, 5, 2, 4})
            addCall("03123400" + std::to_string(10 + day), At(2026, 5, day),
                    "会社" + std::to_string(day));
    }
    ExportJob companies() {
        ExportJob j = job(ExportSource::History, {{4}});
        j.options.OutHeader = false;
        return j;
    }
};

TEST_F(ExportRanges, NumericRangeCountsInListOrderAndUnderTheCondition) {
    ExportJob j = companies();
    j.range = ExportRange::Numeric;
    j.begin = j.end = 3;
    EXPECT_EQ(run(j), (Lines{"会社3"}));
    j.begin = 2;
    j.end = 4;
    EXPECT_EQ(run(j), (Lines{"会社4", "会社3", "会社2"}));

    HistoryCondition c;
    c.active = true;
    c.beginDate = At(2026, 5, 2);
    c.endDate = At(2026, 5, 4);
    WeekdayButtons all;
    all.allWeek = true;
    j.filter = HistoryRowFilter(c, all);
    j.begin = j.end = 3;
    EXPECT_EQ(run(j), (Lines{"会社2"}));
    j.range = ExportRange::All;
    EXPECT_EQ(run(j), (Lines{"会社4", "会社3", "会社2"}));
    ExportWriter writer(dm.RecvHis(), dm.Meibo(), nullptr);
    EXPECT_EQ(writer.targetCount(j), 3);
}

TEST_F(ExportRanges, SelectionKeepsListOrderAndSkipsRecordsGoneSince) {
    ExportJob j = companies();
    j.range = ExportRange::Selection;
    j.selected = {2, 4, 0}; // RecNo of 会社5, 会社4, 会社3
    dm.RecvHis().remove(4);
    ExportWriter writer(dm.RecvHis(), dm.Meibo(), nullptr);
    std::ostringstream out;
    EXPECT_EQ(writer.write(j, out), 2);
    EXPECT_EQ(test::TextLines(out.str()), (Lines{"会社5", "会社3"}));
    EXPECT_EQ(writer.targetCount(j), 3);
}

TEST_F(ExportRanges, AppendingWritesAnotherHeaderInTheMiddle) {
    ExportJob j = companies();
    j.options.OutHeader = true;
    j.range = ExportRange::Numeric;
    j.begin = j.end = 1;
    const auto file = folders.scratch() / "out.csv";
    ExportWriter writer(dm.RecvHis(), dm.Meibo(), nullptr);
    EXPECT_EQ(WriteExportFile(writer, j, file, false), 1);
    EXPECT_EQ(WriteExportFile(writer, j, file, true), 1);
    const std::string bytes = test::ReadBytes(file);
    EXPECT_EQ(test::TextLines(bytes), (Lines{"会社名漢字", "会社5", "会社名漢字", "会社5"}));
    EXPECT_EQ(bytes.substr(0, 4), cp932::encode("会社")); // code page 932 on disk
    EXPECT_EQ(WriteExportFile(writer, j, file, false), 1);
    EXPECT_EQ(test::TextLines(test::ReadBytes(file)).size(), 2u);
    EXPECT_THROW(WriteExportFile(writer, j, folders.scratch() / "no" / "such.csv", false),
                 std::runtime_error);
}

} // namespace

namespace {

// More rows than one read brings, with equal dates, so that every chunk
// boundary falls inside a run of equal keys.
TEST_F(ExportFixture, LongExportsContinueEachReadExactlyAfterTheLastRow) {
    {
        auto& db = dm.RecvHis().table().database();
        sql::Transaction tx(db);
        sql::Statement insert(db, "INSERT INTO RecvHis (RecNo, AxsDateTime, RecvDateTime, SchTel, "
                                  "CorpKanji) VALUES (?, ?, ?, ?, ?)");
        for (int i = 0; i < 1203; ++i) {
            const std::string when = "2026-01-0" + std::to_string(1 + i % 3) + " 00:00:00.000";
            insert.reset();
            insert.bind(1, i).bind(2, when).bind(3, when).bind(4, "P").bind(5, std::to_string(i));
            insert.step();
        }
        tx.commit();
    }
    // Newest first; equal dates come in descending RecNo order.
    std::vector<std::string> expected;
    for (int day = 3; day >= 1; --day)
        for (int i = 1202; i >= 0; --i)
            if (1 + i % 3 == day)
                expected.push_back(std::to_string(i));
    ExportJob j = job(ExportSource::History, {{4}});
    j.options.OutHeader = false;
    EXPECT_EQ(run(j), expected);
    j.range = ExportRange::Numeric;
    j.begin = 499;
    j.end = 1101;
    EXPECT_EQ(run(j), std::vector<std::string>(expected.begin() + 498, expected.begin() + 1101));
}

TEST_F(ExportFixture, CharactersBeyondCodePage932AreCountedOrKeptInUtf8) {
    addCall("0312345678", At(2026, 5, 1), "𠮷野家", "山田😀?");
    ExportJob j = job(ExportSource::History, {{4}, {6}});
    const auto file = folders.scratch() / "out.csv";
    ExportWriter writer(dm.RecvHis(), dm.Meibo(), &hyphenation);

    ASSERT_EQ(WriteExportFile(writer, j, file, false), 1);
    EXPECT_EQ(writer.replacedCharacters(), 2); // the text's own "?" is not counted
    EXPECT_EQ(test::TextLines(test::ReadBytes(file)),
              (Lines{"会社名漢字,名前漢字", "?野家,山田??"}));
    EXPECT_NE(ReplacedCharactersNotice(2).find("2文字"), std::string::npos);
    EXPECT_EQ(ReplacedCharactersNotice(0), "");

    j.options.OutUtf8 = true;
    ASSERT_EQ(WriteExportFile(writer, j, file, false), 1);
    EXPECT_EQ(writer.replacedCharacters(), 0);
    const std::string utf8 = "\xEF\xBB\xBF会社名漢字,名前漢字\r\n𠮷野家,山田😀?\r\n";
    EXPECT_EQ(test::ReadBytes(file), utf8);
    // Appended text carries no second byte-order mark.
    j.options.OutHeader = false;
    ASSERT_EQ(WriteExportFile(writer, j, file, true), 1);
    EXPECT_EQ(test::ReadBytes(file), utf8 + "𠮷野家,山田😀?\r\n");
}

} // namespace

namespace {

// More callers than one look-up statement asks for and than an export
// keeps between chunks, and every way a number finds its record: by the
// first number (which wins over an earlier record's second), by several
// records' first number (the lowest RecNo wins), by the second number
// only, and not at all.
class ManyCallers : public ExportFixture {
protected:
    static constexpr int kCallers = 4600;
    static constexpr int kCalls = 4800;
    std::map<std::string, std::string> callerOf; // number -> CorpKanji
    std::vector<std::string> numbers;            // by history RecNo

    static std::string first(int i) { return "03" + std::to_string(10000000 + i % 4000); }
    static std::string second(int i) {
        if (i % 3 == 0)
            return "090" + std::to_string(10000000 + i);
        return i % 3 == 1 ? first(i + 1) : std::string();
    }

    void SetUp() override {
        ExportFixture::SetUp();
        std::map<std::string, int> byFirst, bySecond;
        {
            auto& db = dm.Meibo().table().database();
            sql::Transaction tx(db);
            sql::Statement insert(db, "INSERT INTO Meibo (RecNo, SchTel1, SchTel2, CorpKanji, "
                                      "CorpKana) VALUES (?, ?, ?, ?, ?)");
            for (int i = 0; i < kCallers; ++i) {
                insert.reset();
                insert.bind(1, i).bind(2, first(i)).bind(3, second(i));
                insert.bind(4, "会社" + std::to_string(i)).bind(5, i % 7 ? "ｱ" : "ｲ");
                insert.step();
                byFirst.try_emplace(first(i), i);
                if (!second(i).empty())
                    bySecond.try_emplace(second(i), i);
            }
            tx.commit();
        }
        for (const auto& [number, recNo] : bySecond)
            callerOf[number] = "会社" + std::to_string(recNo);
        for (const auto& [number, recNo] : byFirst)
            callerOf[number] = "会社" + std::to_string(recNo);
        auto& db = dm.RecvHis().table().database();
        sql::Transaction tx(db);
        sql::Statement insert(db, "INSERT INTO RecvHis (RecNo, AxsDateTime, RecvDateTime, SchTel, "
                                  "Tel) VALUES (?, ?, ?, ?, ?)");
        const std::string when = "2026-01-01 00:00:00.000";
        for (int j = 0; j < kCalls; ++j) {
            std::string number;
            if (j % 5 == 4)
                number = "06" + std::to_string(60000000 + j); // nobody's
            else if (j % 5 == 3)
                number = "090" + std::to_string(10000000 + (j * 7) % kCallers);
            else
                number = first((j * 13) % kCallers);
            numbers.push_back(number);
            insert.reset();
            insert.bind(1, j).bind(2, when).bind(3, when).bind(4, number).bind(5, number);
            insert.step();
        }
        tx.commit();
    }

    std::string lineOf(int recNo) const {
        const std::string& number = numbers[static_cast<std::size_t>(recNo)];
        const auto caller = callerOf.find(number);
        return number + "," + (caller == callerOf.end() ? "" : caller->second);
    }
    ExportJob numbersAndCallers() {
        ExportJob j = job(ExportSource::History, {{2}, {19}});
        j.options.OutHeader = false;
        j.options.EditTelHyphen = false;
        return j;
    }
};

TEST_F(ManyCallers, EachRowShowsTheCallerALookUpOfItsNumberFinds) {
    std::vector<std::string> expected;
    for (int j = kCalls - 1; j >= 0; --j) // equal times: newest RecNo first
        expected.push_back(lineOf(j));
    ExportJob j = numbersAndCallers();
    EXPECT_EQ(run(j), expected);

    j.range = ExportRange::Selection;
    j.selected = {5, 4321, 17, 4799, 3};
    EXPECT_EQ(run(j), (Lines{lineOf(5), lineOf(4321), lineOf(17), lineOf(4799), lineOf(3)}));
}

// A roster export along a text index continues each read after the last
// record across runs of equal keys, as the history's does.
TEST_F(ManyCallers, RosterAlongATextIndexContinuesAfterTheLastRecord) {
    std::vector<std::pair<std::string, int>> order;
    for (int i = 0; i < kCallers; ++i)
        order.emplace_back(i % 7 ? "ｱ" : "ｲ", i);
    std::sort(order.begin(), order.end());
    std::vector<std::string> expected;
    for (const auto& [kana, recNo] : order)
        expected.push_back("会社" + std::to_string(recNo));
    ExportJob j = job(ExportSource::Roster, {{9}});
    j.options.OutHeader = false;
    UseRosterOrder(j, "CorpKana");
    EXPECT_EQ(run(j), expected);
    j.range = ExportRange::Numeric;
    j.begin = 490;
    j.end = 3950;
    EXPECT_EQ(run(j), std::vector<std::string>(expected.begin() + 489, expected.begin() + 3950));
}

} // namespace
