#include "transfer/AdapterHistory.h"
#include "tests/export/ExportFixture.h"

#include <cstring>

using namespace kanata;
using kanata::test::ExportFixture;

namespace {

AdapterHistoryRecord entry(const char* number, const char* date, const char* time) {
    AdapterHistoryRecord r;
    std::memset(&r, ' ', sizeof r); // blank-padded, as some adapters deliver
    std::memcpy(r.Number, number, std::strlen(number));
    std::memcpy(r.Date, date, std::strlen(date));
    std::memcpy(r.Time, time, std::strlen(time));
    return r;
}

TEST(AdapterHistoryLines, CellsShowReasonTextsHyphenatedNumbersAndRawOddDates) {
    test::ScriptedMessages messages;
    HyphenationService hyphenation;
    hyphenation.Load(test::stageFolder() / "Dic", messages);
    const auto lines =
        DescribeAdapterHistory({entry("0312345678", "20261205", "091500"),
                                entry("S", "2026125", "9150"), entry("$1234", "", "")},
                               &hyphenation);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].date, "2026/12/05");
    EXPECT_EQ(lines[0].time, "09:15:00");
    EXPECT_EQ(lines[0].number, "03-1234-5678");
    EXPECT_EQ(std::string(lines[0].entry.Number, 12), "03-1234-5678");
    EXPECT_EQ(lines[1].number, "契約条件");
    EXPECT_EQ(lines[1].date, "2026125");
    EXPECT_EQ(lines[1].time, "9150");
    EXPECT_EQ(lines[2].number, "特殊電話番号");

    std::vector<AdapterKind> kinds(3);
    kinds[0].KindId = 7;
    kinds[0].HistoryCapacity = 30;
    kinds[1].KindId = 900;
    kinds[1].HistoryCapacity = 100;
    kinds[2].KindId = 900;
    kinds[2].HistoryCapacity = 5;
    EXPECT_EQ(AdapterHistoryCapacity(kinds, 900), 100);
    EXPECT_EQ(AdapterHistoryCapacity(kinds, 8), 0);
}

TEST(AdapterHistoryLines, UnusableDatePartsCountAsZero) {
    EXPECT_EQ(AdapterEntryDateTime(entry("P", "2026125", "131415")),
              (DateTime{1899, 12, 30, 13, 14, 15, 0}));
    EXPECT_EQ(AdapterEntryDateTime(entry("P", "20261305", "xx")), DateTime{});
    EXPECT_EQ(AdapterEntryDateTime(entry("P", "20260229", "")), DateTime{}); // not a leap year
    EXPECT_EQ(AdapterEntryDateTime(entry("P", "20280229", "235959")),
              (DateTime{2028, 2, 29, 23, 59, 59, 0}));
}

TEST_F(ExportFixture, SavingStopsWhenRecordNumbersRunOut) {
    const auto first = SaveAdapterHistory(dm.RecvHis(), {entry("P", "20260101", "000000")},
                                          &hyphenation, messages);
    EXPECT_EQ(first.saved, 1);
    EXPECT_EQ(dm.RecvHis().find(0)->Tel, "P"); // an empty table starts at 0

    {
        // The next record number is one below the limit.
        sql::Statement insert(dm.RecvHis().table().database(),
                              "INSERT INTO RecvHis (RecNo, AxsDateTime, RecvDateTime) VALUES "
                              "(99997, '2026-01-01 00:00:00.000', '2026-01-01 00:00:00.000')");
        insert.step();
    }
    messages.expect("データ管理カウンタが一杯になり登録できませんでした");
    const auto result =
        SaveAdapterHistory(dm.RecvHis(),
                           {entry("0312345678", "20260102", "030405"), entry("0312345679", "", ""),
                            entry("0312345670", "", "")},
                           &hyphenation, messages);
    EXPECT_EQ(result.saved, 2);
    EXPECT_TRUE(result.stoppedAtLimit);
    EXPECT_EQ(dm.RecvHis().find(99999)->SchTel, "0312345679");
    const auto saved = dm.RecvHis().find(99998);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->SchTel, "0312345678");
    EXPECT_EQ(saved->Tel, "03-1234-5678");
    EXPECT_EQ(saved->Division, "0");
    EXPECT_EQ(saved->RecvWeek, 6); // 2026-01-02 is a Friday
}

} // namespace
