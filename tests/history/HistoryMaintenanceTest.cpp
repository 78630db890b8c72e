#include "history/HistoryAutoDelete.h"
#include "history/HistoryCondition.h"
#include "history/HistoryInquiry.h"
#include "history/HistoryRowTexts.h"
#include "history/ListDeletion.h"
#include "tests/history/HistoryTestSupport.h"

namespace kanata {
namespace {

using test::CallAt;

class HistoryMaintenance : public test::HistoryTable {
protected:
    // One call at noon on each day from 2026-11-20 to 2026-12-05; RecNo 0
    // is the oldest.
    void storeDays() {
        std::vector<RecvHisRow> rows;
        for (int day = 0; day < 16; ++day) {
            const DateTime d =
                DateTime::fromDays(DateTime{2026, 11, 20, 0, 0, 0, 0}.toDays() + day);
            RecvHisRow row = CallAt({d.year, d.month, d.day, 12, 0, 0, 0});
            row.RecNo = day;
            rows.push_back(row);
        }
        // A row stored without a date-time is the oldest of all.
        RecvHisRow undated = CallAt(DateTime{});
        undated.RecNo = 16;
        rows.push_back(undated);
        store(rows);
    }
    std::optional<DateTime> oldest() {
        auto row = his().first("RecvDateTime");
        return row ? std::optional(row->RecvDateTime) : std::nullopt;
    }
};

TEST_F(HistoryMaintenance, OldCallsGoAfterConfirmationAndTheLastDaysStay) {
    storeDays();
    const DateTime today{2026, 12, 5, 8, 30, 0, 0};
    messages.expect("削除してもよろしいですか？", MessageResult::No);
    AutoDeleteResult r = DeleteOldHistory(his(), 7, true, today, messages);
    EXPECT_TRUE(r.asked);
    EXPECT_TRUE(r.refused);
    EXPECT_EQ(his().count(), 17);
    EXPECT_EQ(messages.shown().back().text,
              "着信対応履歴に指定日数  7日を経過したデータが存在します\r\n"
              "削除してもよろしいですか？");
    EXPECT_EQ(messages.shown().back().defaultButton, 1); // No

    messages.expect("削除してもよろしいですか？", MessageResult::Yes);
    r = DeleteOldHistory(his(), 7, true, today, messages);
    EXPECT_EQ(r.deleted, 10); // 11-20 .. 11-28 and the undated row
    EXPECT_EQ(oldest(), (DateTime{2026, 11, 29, 12, 0, 0, 0}));

    // Nothing old left: no question at all. Out-of-range days count as 7.
    r = DeleteOldHistory(his(), 15, true, today, messages);
    EXPECT_FALSE(r.asked);
    EXPECT_EQ(r.deleted, 0);
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(HistoryMaintenance, WithoutConfirmationOldCallsGoSilently) {
    storeDays();
    const AutoDeleteResult r =
        DeleteOldHistory(his(), 1, false, DateTime{2026, 12, 5, 23, 0, 0, 0}, messages);
    EXPECT_FALSE(r.asked);
    EXPECT_EQ(r.deleted, 16);
    EXPECT_EQ(oldest(), (DateTime{2026, 12, 5, 12, 0, 0, 0}));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(HistoryMaintenance, DeletionsSkipVanishedRowsAndFollowTheFilter) {
    storeDays();
    const auto deleted = DeleteRowsByRecNo(his().table(), {3, 4, 99, 3});
    EXPECT_EQ(deleted, (std::vector<std::int64_t>{3, 4}));
    EXPECT_EQ(his().count(), 15);

    // All matching rows: Sundays (11-22, 11-29) only.
    WeekdayButtons sunday;
    sunday.days[0] = true;
    EXPECT_EQ(DeleteMatchingRows(his().table(), HistoryRowFilter({}, sunday)), 2);
    EXPECT_FALSE(his().find(2));
    EXPECT_FALSE(his().find(9));
    EXPECT_EQ(his().count(), 13);
    // "全曜日" with no conditions: the whole history.
    EXPECT_EQ(DeleteMatchingRows(his().table(), HistoryRowFilter({}, {true, {}})), 13);
    EXPECT_EQ(his().count(), 0);
}

TEST_F(HistoryMaintenance, InquiryRecordTakesLookupThenCallFieldsAndThePreviousCall) {
    std::vector<RecvHisRow> rows = {
        CallAt({2026, 12, 1, 9, 0, 0, 0}, "0312345678"),
        CallAt({2026, 12, 3, 10, 20, 30, 400}, "0312345678"),
        CallAt({2026, 12, 4, 11, 0, 0, 0}, "0466123456"), // the caller's second number
        CallAt({2026, 12, 5, 9, 0, 0, 0}, "0312345678"),  // the call asked about
        CallAt({2026, 12, 5, 15, 0, 0, 0}, "0312345678"), // later: not a previous call
    };
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].RecNo = static_cast<int>(i);
    rows[3].Tel = "03-1234-5678";
    rows[3].SelItem1 = "見積依頼";
    rows[3].Rank = "A";
    rows[3].CorpKanji = "旧社名";
    store(rows);

    int calls = 0;
    LookupCallerFn lookup = [&](bool own, bool ask, const std::string& number, CallRecord& r) {
        ++calls;
        EXPECT_TRUE(own);
        EXPECT_FALSE(ask);
        EXPECT_EQ(number, "03-1234-5678");
        r.SchTel = {"0312345678", "0466123456", "", ""};
        r.CorpKanji = "株式会社さくら商店";
        return 0;
    };
    const CallRecord rec = BuildInquiryRecord(rows[3], lookup, true, his());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(rec.RecNo, 3);
    EXPECT_EQ(rec.SelItem1, "見積依頼");
    EXPECT_EQ(rec.Rank, "A");                       // the lookup left the rank empty
    EXPECT_EQ(rec.CorpKanji, "株式会社さくら商店"); // the lookup found names
    EXPECT_EQ(rec.RecvDateTime, (DateTime{2026, 12, 5, 9, 0, 0, 0}.toDays()));
    EXPECT_EQ(DateTime::fromDays(rec.PrevRecvDateTime), (DateTime{2026, 12, 4, 11, 0, 0, 0}));

    // Without the lookup: the call's own number and names; the previous call
    // through the row's key, to whole seconds.
    const CallRecord plain = BuildInquiryRecord(rows[3], {}, true, his());
    EXPECT_EQ(plain.Tel[0], "03-1234-5678");
    EXPECT_EQ(plain.CorpKanji, "旧社名");
    EXPECT_EQ(DateTime::fromDays(plain.PrevRecvDateTime), (DateTime{2026, 12, 3, 10, 20, 30, 0}));
    // The first call of a number has none; reason codes are never searched.
    EXPECT_EQ(FindPreviousCall(his(), {"0312345678"}, rows[0].RecvDateTime), 0.0);
    EXPECT_EQ(FindPreviousCall(his(), {"P"}, rows[4].RecvDateTime), 0.0);
}

TEST(HistoryRowTexts, CellsOfARow) {
    RecvHisRow row = CallAt({2026, 12, 5, 9, 5, 7, 0}, "P");
    row.CorpKanji = " 株式会社さくら商店 ";
    row.Division = "1";
    const auto cells = HistoryRowCells(row, 401);
    ASSERT_EQ(cells.size(), static_cast<std::size_t>(kHistoryColumnCount));
    EXPECT_EQ(cells[0], "401");
    EXPECT_EQ(cells[1], "2026/12/05");
    EXPECT_EQ(cells[2], "09:05:07");
    EXPECT_EQ(cells[3], "匿名着信");
    EXPECT_EQ(cells[4], "株式会社さくら商店");
    EXPECT_EQ(cells[6], "既存");
    RecvHisRow undated;
    undated.Tel = "03-1234-5678";
    undated.Division = "2";
    const auto other = HistoryRowCells(undated, 1);
    EXPECT_EQ(other[1], "");
    EXPECT_EQ(other[2], "");
    EXPECT_EQ(other[3], "03-1234-5678");
    EXPECT_EQ(other[6], "");
    EXPECT_EQ(HistoryTelText("$"), "特殊電話番号");
    EXPECT_EQ(HistoryTelText(""), "");
}

} // namespace
} // namespace kanata
