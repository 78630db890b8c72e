#include "data/OrderPrefetch.h"
#include "history/HistoryCondition.h"
#include "history/ListPager.h"
#include "history/ListSelection.h"
#include "tests/history/HistoryTestSupport.h"
#include "tests/support/PostgresServer.h"

#include <chrono>
#include <thread>

namespace kanata {
namespace {

using test::CallAt;

class HistoryPager : public test::HistoryTable {
protected:
    ListPager pager() { return ListPager(his().table(), "RecvDateTime", true, 200); }
};

TEST_F(HistoryPager, FourHundredFiftyRowsMakeThreePagesNewestFirst) {
    storeHourly(450);
    ListPager p = pager();
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, {}), PageOutcome::Filled);
    EXPECT_EQ(p.count(), 450);
    EXPECT_EQ(p.totalPages(), 3);
    EXPECT_EQ(p.rows().size(), 200u);
    EXPECT_EQ(p.keys().front(), 449); // the newest call
    EXPECT_FALSE(p.previousVisible());
    EXPECT_TRUE(p.nextVisible());
    EXPECT_TRUE(p.jumpVisible());

    ASSERT_EQ(p.refresh(PageMode::Refill, 3, {}), PageOutcome::Filled);
    EXPECT_EQ(p.page(), 3);
    ASSERT_EQ(p.rows().size(), 50u);
    EXPECT_EQ(p.firstNumber(), 401);
    EXPECT_EQ(p.keys().front(), 49);
    EXPECT_EQ(p.keys().back(), 0);
    EXPECT_EQ(p.firstKey(), 49);
    EXPECT_EQ(p.lastKey(), 0);
    EXPECT_TRUE(p.previousVisible());
    EXPECT_FALSE(p.nextVisible());
}

TEST_F(HistoryPager, RefillBeyondTheRowsFallsBackToCountDivPageSize) {
    const auto rows = storeHourly(450);
    ListPager p = pager();
    ASSERT_EQ(p.refresh(PageMode::Refill, 3, {}), PageOutcome::Filled);
    // 100 of the oldest calls go: 350 remain, and the current page (3) is
    // beyond them. 350 div 200 is page 1, although a second page exists.
    his().table().removeWhere("\"RecNo\" < 100");
    ASSERT_EQ(p.refresh(PageMode::Refill, 0, {}), PageOutcome::Filled);
    EXPECT_EQ(p.count(), 350);
    EXPECT_EQ(p.page(), 1);
    EXPECT_EQ(p.firstNumber(), 1);
    EXPECT_EQ(p.rows().size(), 200u);

    // With exactly 400 (the 50 oldest back), page 3 falls back to page 2,
    // the last one.
    store({rows.begin() + 400, rows.begin() + 450});
    ASSERT_EQ(p.refresh(PageMode::Refill, 3, {}), PageOutcome::Filled);
    EXPECT_EQ(p.count(), 400);
    EXPECT_EQ(p.page(), 2);
    EXPECT_EQ(p.firstNumber(), 201);
    EXPECT_EQ(p.keys().front(), 249);
    EXPECT_EQ(p.keys().back(), 0);
}

TEST_F(HistoryPager, NextAndPreviousStopAtBothEndsAndKeepThePage) {
    storeHourly(450);
    ListPager p = pager();
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, {}), PageOutcome::Filled);
    const auto firstPage = p.keys();
    EXPECT_EQ(p.refresh(PageMode::Previous, 0, {}), PageOutcome::NoPreviousPage);
    EXPECT_EQ(PageOutcomeMessage(PageOutcome::NoPreviousPage),
              "前頁のデータが見つかりませんでした");
    EXPECT_EQ(p.page(), 1);
    EXPECT_EQ(p.keys(), firstPage);

    ASSERT_EQ(p.refresh(PageMode::Next, 0, {}), PageOutcome::Filled);
    EXPECT_EQ(p.page(), 2);
    EXPECT_EQ(p.firstNumber(), 201);
    EXPECT_EQ(p.keys().front(), 249);
    ASSERT_EQ(p.refresh(PageMode::Next, 0, {}), PageOutcome::Filled);
    EXPECT_EQ(p.page(), 3);
    EXPECT_EQ(p.rows().size(), 50u);
    const auto lastPage = p.keys();
    EXPECT_EQ(p.refresh(PageMode::Next, 0, {}), PageOutcome::NoNextPage);
    EXPECT_EQ(PageOutcomeMessage(PageOutcome::NoNextPage), "次頁のデータが見つかりませんでした");
    EXPECT_EQ(p.page(), 3);
    EXPECT_EQ(p.keys(), lastPage);

    // Back from the partial last page: a full page numbered down from
    // page x page size, and the next page is offered again.
    ASSERT_EQ(p.refresh(PageMode::Previous, 0, {}), PageOutcome::Filled);
    EXPECT_EQ(p.page(), 2);
    EXPECT_EQ(p.rows().size(), 200u);
    EXPECT_EQ(p.firstNumber(), 201);
    EXPECT_EQ(p.keys().front(), 249);
    EXPECT_EQ(p.keys().back(), 50);
    EXPECT_TRUE(p.nextVisible());

    // The row at the top of the page has gone: the move is refused.
    his().remove(249);
    EXPECT_EQ(p.refresh(PageMode::Previous, 0, {}), PageOutcome::BoundaryMissing);
    EXPECT_EQ(PageOutcomeMessage(PageOutcome::BoundaryMissing),
              "該当するデータが見つかりませんでした");
    EXPECT_EQ(p.page(), 2);
}

TEST_F(HistoryPager, EmptyTableAndFilterThatMatchesNothingShowNoPage) {
    ListPager p = pager();
    EXPECT_EQ(p.refresh(PageMode::Refill, 1, {}), PageOutcome::Empty);
    storeHourly(10);
    WeekdayButtons none; // no weekday pressed, "全曜日" up
    EXPECT_EQ(p.refresh(PageMode::Refill, 1, HistoryRowFilter({}, none)), PageOutcome::Empty);
    EXPECT_EQ(p.count(), 0);
    EXPECT_TRUE(p.rows().empty());
    EXPECT_FALSE(p.nextVisible());
    EXPECT_FALSE(p.previousVisible());
    EXPECT_FALSE(p.jumpVisible());
}

// 300 calls whose record numbers are out of step with their dates; every
// third one is from 田中.
std::vector<RecvHisRow> shuffledCalls() {
    std::vector<RecvHisRow> rows;
    for (int i = 0; i < 300; ++i) {
        RecvHisRow row = CallAt(DateTime::fromDays(DateTime{2026, 12, 5, 0, 0, 0, 0}.toDays() -
                                                   (i * 7919 % 300) / 24.0));
        row.RecNo = i;
        row.NameKanji = i % 3 ? "佐藤" : "田中　" + std::to_string(i);
        rows.push_back(row);
    }
    return rows;
}

class ConditionedPages : public HistoryPager {
protected:
    // Page `page` of seven rows of the whole order.
    std::vector<std::int64_t> pageOf(const RowFilter& filter, int page) {
        const std::vector<std::int64_t> all = wholeOrder(filter);
        const auto first = all.begin() + std::min<std::size_t>((page - 1) * 7, all.size());
        return {first, all.begin() + std::min<std::size_t>(page * 7, all.size())};
    }
    void rename(std::int64_t recNo, const std::string& name) { rename(his().table(), recNo, name); }
    static void rename(Table& table, std::int64_t recNo, const std::string& name) {
        std::optional<Record> row = table.find(recNo);
        ASSERT_TRUE(row);
        (*row)[static_cast<std::size_t>(table.fieldIndex("NameKanji"))] = name;
        ASSERT_TRUE(table.update(*row));
    }
    // A call from 田中 at the same moment as call `recNo`.
    void storeBeside(std::int64_t recNo, std::int64_t newRecNo) {
        std::optional<RecvHisRow> row = his().find(static_cast<int>(recNo));
        ASSERT_TRUE(row);
        row->RecNo = static_cast<int>(newRecNo);
        row->NameKanji = "田中　" + std::to_string(newRecNo);
        store({*row});
    }
};

// Pages inside the order under a text condition: each page is its slice of
// the whole order, also once rows have gone since the page count was shown.
TEST_F(ConditionedPages, PagesInsideTheOrderAreSlicesOfTheWholeOrder) {
    store(shuffledCalls());
    const RowFilter filter = test::NameFilter("田中");
    ASSERT_EQ(wholeOrder(filter).size(), 100u);
    ListPager p(his().table(), "RecvDateTime", true, 7);
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, filter), PageOutcome::Filled);
    for (int page = 2; page <= p.totalPages(); ++page) {
        ASSERT_EQ(p.refresh(PageMode::Refill, page, filter), PageOutcome::Filled);
        EXPECT_EQ(p.count(), 100);
        EXPECT_EQ(p.firstNumber(), (page - 1) * 7 + 1);
        EXPECT_EQ(p.keys(), pageOf(filter, page)) << "page " << page;
    }
    // Back down the pages, each asked for by its number.
    for (int page = p.totalPages() - 1; page >= 1; --page) {
        ASSERT_EQ(p.refresh(PageMode::Refill, page, filter), PageOutcome::Filled);
        EXPECT_EQ(p.keys(), pageOf(filter, page)) << "page " << page;
    }

    // Page 10 of 15 asked for with 60 of the rows gone: 40 remain, and page
    // 10 is beyond them.
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, filter), PageOutcome::Filled);
    his().table().removeWhere("\"RecNo\" < 180");
    ASSERT_EQ(wholeOrder(filter).size(), 40u);
    ASSERT_EQ(p.refresh(PageMode::Refill, 10, filter), PageOutcome::Filled);
    EXPECT_EQ(p.count(), 40);
    EXPECT_EQ(p.page(), 5); // 40 div 7
    EXPECT_EQ(p.keys(), pageOf(filter, 5));
    ASSERT_EQ(p.refresh(PageMode::Refill, 3, filter), PageOutcome::Filled);
    EXPECT_EQ(p.keys(), pageOf(filter, 3));

    his().table().removeWhere({});
    EXPECT_EQ(p.refresh(PageMode::Refill, 3, filter), PageOutcome::Empty);
    EXPECT_EQ(p.count(), 0);
    EXPECT_TRUE(p.rows().empty());
}

// The page shown, refilled after calls came in, went or changed before and
// at its first row, is still its slice of the whole order; so is the page
// under another condition, and the page after a move towards page 1.
TEST_F(ConditionedPages, ThePageShownRefilledAfterWritesIsItsSliceOfTheOrder) {
    store(shuffledCalls());
    const RowFilter tanaka = test::NameFilter("田中");
    ListPager p(his().table(), "RecvDateTime", true, 7);
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, tanaka), PageOutcome::Filled);
    ASSERT_EQ(p.refresh(PageMode::Refill, 6, tanaka), PageOutcome::Filled);
    const auto refilledAsWhole = [&](const char* after) {
        ASSERT_EQ(p.refresh(PageMode::Refill, 0, tanaka), PageOutcome::Filled) << after;
        EXPECT_EQ(p.page(), 6) << after;
        EXPECT_EQ(p.count(), static_cast<std::int64_t>(wholeOrder(tanaka).size())) << after;
        EXPECT_EQ(p.keys(), pageOf(tanaka, 6)) << after;
    };
    refilledAsWhole("nothing written");

    // Ties with the first row shown: its date, later record numbers, which
    // come before it in the newest-first order.
    const std::int64_t first = *p.firstKey();
    storeBeside(first, 1000);
    storeBeside(first, 1001);
    storeBeside(first, 1002);
    refilledAsWhole("three calls beside the first row");

    // Admitted rows gone from before the page, and from the page itself.
    std::vector<std::int64_t> before = wholeOrder(tanaka);
    for (std::size_t i : {0u, 4u, 9u, 20u, 36u, 38u})
        his().remove(static_cast<int>(before[i]));
    refilledAsWhole("six rows gone");

    rename(*p.firstKey(), "佐藤");
    refilledAsWhole("the first row no longer admitted");
    his().remove(static_cast<int>(*p.firstKey()));
    refilledAsWhole("the first row gone");

    // More calls before the page than a page holds.
    for (std::int64_t n = 0; n < 12; ++n)
        storeBeside(*p.firstKey(), 2000 + n);
    refilledAsWhole("twelve calls beside the first row");

    ASSERT_EQ(p.refresh(PageMode::Previous, 0, tanaka), PageOutcome::Filled);
    ASSERT_EQ(p.refresh(PageMode::Refill, 0, tanaka), PageOutcome::Filled);
    EXPECT_EQ(p.keys(), pageOf(tanaka, 5));
    ASSERT_EQ(p.refresh(PageMode::Refill, 6, tanaka), PageOutcome::Filled);
    EXPECT_EQ(p.keys(), pageOf(tanaka, 6));

    const RowFilter sato = test::NameFilter("佐藤");
    ASSERT_EQ(p.refresh(PageMode::Refill, 0, sato), PageOutcome::Filled);
    EXPECT_EQ(p.count(), static_cast<std::int64_t>(wholeOrder(sato).size()));
    EXPECT_EQ(p.keys(), pageOf(sato, 6));
}

// Pages asked for by number, far from the page shown, under one condition
// while calls come and go: each is its slice of the whole order, also with
// the first row of the page gone and after the page size changed.
TEST_F(ConditionedPages, PagesAskedForByNumberAfterWritesAreSlicesOfTheOrder) {
    store(shuffledCalls());
    const RowFilter tanaka = test::NameFilter("田中");
    ListPager p(his().table(), "RecvDateTime", true, 7);
    const auto jumpsTo = [&](int page, const char* after) {
        ASSERT_EQ(p.refresh(PageMode::Refill, page, tanaka), PageOutcome::Filled) << after;
        EXPECT_EQ(p.page(), page) << after;
        EXPECT_EQ(p.keys(), pageOf(tanaka, page)) << after;
    };
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, tanaka), PageOutcome::Filled);
    jumpsTo(10, "the first jump");
    jumpsTo(4, "nothing written");
    const std::int64_t startOfFour = *p.firstKey();
    jumpsTo(10, "nothing written");
    const std::int64_t startOfTen = *p.firstKey();

    const std::vector<std::int64_t> before = wholeOrder(tanaka);
    for (std::size_t i : {1u, 2u, 30u})
        his().remove(static_cast<int>(before[i]));
    storeBeside(startOfTen, 1000);
    storeBeside(startOfTen, 1001);
    jumpsTo(4, "three rows gone");
    jumpsTo(10, "two calls beside its first row");

    his().remove(static_cast<int>(startOfFour));
    jumpsTo(4, "its first row gone");
    p.setPageSize(5);
    ASSERT_EQ(p.refresh(PageMode::Refill, 12, tanaka), PageOutcome::Filled);
    const std::vector<std::int64_t> all = wholeOrder(tanaka);
    EXPECT_EQ(p.keys(), std::vector<std::int64_t>(all.begin() + 55, all.begin() + 60));
}

// The other connections to this test's database, as the server lists them.
std::int64_t otherConnections(sql::Database& db) {
    sql::Statement count(db, "SELECT count(*) FROM pg_stat_activity "
                             "WHERE datname = current_database() AND pid <> pg_backend_pid()");
    count.step();
    return count.columnInt(0);
}

// Ends every other connection to this test's database, as a server's
// administrator or restart would, and waits until they are gone.
void endOtherConnections(sql::Database& db) {
    sql::Statement end(db, "SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                           "WHERE datname = current_database() AND pid <> pg_backend_pid()");
    while (end.step()) {
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (otherConnections(db) > 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(otherConnections(db), 0);
}

// On a server the whole order under a new condition is sorted on a second
// connection while page 1 is shown, so the first page asked for by number
// starts from a row it marked instead of sorting while the user waits; with
// that connection lost, the pager sorts on its own and the next condition
// connects again.
TEST_F(ConditionedPages, TheFirstPageAskedForStartsFromARowMarkedMeanwhile) {
    if (!test::OnServer())
        GTEST_SKIP() << "only a server's order is sorted on a second connection";
    store(shuffledCalls());
    const RowFilter tanaka = test::NameFilter("田中");
    const RowFilter sato = test::NameFilter("佐藤");
    ListPager p(his().table(), "RecvDateTime", true, 7);
    // As long as a person takes to type a page number, at least.
    const auto pause = [&] { his().table().orderPrefetch().waitUntilIdle(); };
    const auto jumpsTo = [&](const RowFilter& filter, int page, int sorts, const char* after) {
        ASSERT_EQ(p.refresh(PageMode::Refill, page, filter), PageOutcome::Filled) << after;
        EXPECT_EQ(p.keys(), pageOf(filter, page)) << after;
        EXPECT_EQ(p.wholeOrderSorts(), sorts) << after;
    };
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, tanaka), PageOutcome::Filled);
    pause();
    jumpsTo(tanaka, 10, 0, "the first jump");
    jumpsTo(tanaka, 3, 0, "a jump back");

    // Calls written while the sort may still run shift the order by fewer
    // rows than a page: the marked rows still place the page.
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, sato), PageOutcome::Filled);
    storeBeside(*p.firstKey(), 1000);
    storeBeside(*p.firstKey(), 1001);
    pause();
    jumpsTo(sato, 20, 0, "a jump under a second condition after writes");

    sql::Database& db = his().table().database();
    EXPECT_EQ(otherConnections(db), 1);
    endOtherConnections(db);
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, tanaka), PageOutcome::Filled);
    pause();
    jumpsTo(tanaka, 8, 1, "the second connection lost");
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, sato), PageOutcome::Filled);
    pause();
    jumpsTo(sato, 12, 1, "connected again");

    // Another list of the table under the same condition takes the same
    // marks.
    ListPager other(his().table(), "RecvDateTime", true, 7);
    ASSERT_EQ(other.refresh(PageMode::Refill, 1, tanaka), PageOutcome::Filled);
    pause();
    ASSERT_EQ(other.refresh(PageMode::Refill, 9, tanaka), PageOutcome::Filled);
    EXPECT_EQ(other.keys(), pageOf(tanaka, 9));
    EXPECT_EQ(other.wholeOrderSorts(), 0);

    // A table closed while its sort runs leaves that sort to end on its own.
    {
        Table closing(his().table().def());
        closing.open(sql::DefaultStore(), {});
        ListPager last(closing, "RecvDateTime", true, 5);
        ASSERT_EQ(last.refresh(PageMode::Refill, 1, tanaka), PageOutcome::Filled);
    }
    jumpsTo(tanaka, 9, 1, "another table closed");
}

// While the server commits nothing after the sort that marked the pages, a
// jump takes its page's place and the count from the marks alone. Another
// desk's commit, or the list's own writes not yet committed, have the page
// counted again, and the order is sorted again for the jumps after.
TEST_F(ConditionedPages, ThePagesAreMarkedUntilTheServerCommitsAgain) {
    if (!test::OnServer())
        GTEST_SKIP() << "only a server tells what it has committed";
    store(shuffledCalls());
    // Else the server's own analysis of the new rows may commit meanwhile.
    his().table().refreshStatistics();
    const RowFilter tanaka = test::NameFilter("田中");
    ListPager p(his().table(), "RecvDateTime", true, 7);
    const auto pause = [&] { his().table().orderPrefetch().waitUntilIdle(); };
    const auto jumpsTo = [&](int page, int fromMarks, const char* after) {
        ASSERT_EQ(p.refresh(PageMode::Refill, page, tanaka), PageOutcome::Filled) << after;
        EXPECT_EQ(p.keys(), pageOf(tanaka, page)) << after;
        EXPECT_EQ(p.count(), static_cast<std::int64_t>(wholeOrder(tanaka).size())) << after;
        EXPECT_EQ(p.pagesFromMarks(), fromMarks) << after;
    };
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, tanaka), PageOutcome::Filled);
    pause();
    jumpsTo(10, 1, "nothing committed");
    jumpsTo(4, 2, "nothing committed yet");

    // The newest call no longer 田中's: every page moves by a row.
    Table desk(his().table().def());
    desk.open(sql::DefaultStore(), {});
    rename(desk, pageOf(tanaka, 1).front(), "佐藤");
    jumpsTo(8, 2, "another desk's commit");
    pause();
    jumpsTo(5, 3, "sorted again since");

    // Announced, a commit has the list refill the page shown, here page 1,
    // which has the order sorted again meanwhile.
    rename(desk, pageOf(tanaka, 1).front(), "佐藤");
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, tanaka), PageOutcome::Filled);
    pause();
    jumpsTo(7, 4, "page 1 refilled after another desk's commit");

    sql::Transaction open(his().table().database());
    rename(pageOf(tanaka, 1).front(), "佐藤");
    jumpsTo(9, 4, "inside a transaction of the list's connection");
}

// Three calls a day for two weeks from Sunday 2026-11-22.
std::vector<RecvHisRow> fortnight() {
    std::vector<RecvHisRow> rows;
    int recNo = 0;
    for (int day = 0; day < 14; ++day)
        for (int hour : {9, 13, 17}) {
            const DateTime d =
                DateTime::fromDays(DateTime{2026, 11, 22, 0, 0, 0, 0}.toDays() + day);
            RecvHisRow row = CallAt({d.year, d.month, d.day, hour, 15, 0, 0});
            row.RecNo = recNo++;
            rows.push_back(row);
        }
    return rows;
}

TEST_F(HistoryPager, WeekdayButtonsFilterAndADateRangeOverridesThem) {
    store(fortnight());
    ListPager p = pager();
    WeekdayButtons mondayAndFriday;
    mondayAndFriday.days[1] = mondayAndFriday.days[5] = true;
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, HistoryRowFilter({}, mondayAndFriday)),
              PageOutcome::Filled);
    EXPECT_EQ(p.count(), 12);
    for (const Record& record : p.rows()) {
        const int week = his().fromRecord(record).RecvWeek;
        EXPECT_TRUE(week == 2 || week == 6) << week;
    }

    WeekdayButtons all = mondayAndFriday;
    all.allWeek = true;
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, HistoryRowFilter({}, all)), PageOutcome::Filled);
    EXPECT_EQ(p.count(), 42);

    // 2026-11-28 (Saturday) to 2026-11-30 (Monday), both ends included: the
    // weekday buttons no longer apply.
    HistoryCondition range;
    range.active = true;
    range.beginDate = {2026, 11, 28, 0, 0, 0, 0};
    range.endDate = {2026, 11, 30, 0, 0, 0, 0};
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, HistoryRowFilter(range, mondayAndFriday)),
              PageOutcome::Filled);
    EXPECT_EQ(p.count(), 9);
    const auto& rows = p.rows();
    EXPECT_EQ(his().fromRecord(rows.front()).RecvDateTime, (DateTime{2026, 11, 30, 17, 15, 0, 0}));
    EXPECT_EQ(his().fromRecord(rows.back()).RecvDateTime, (DateTime{2026, 11, 28, 9, 15, 0, 0}));

    // Without a date range the buttons apply again, also to text conditions.
    HistoryCondition text;
    text.active = true;
    text.number = "03";
    EXPECT_EQ(p.refresh(PageMode::Refill, 1, HistoryRowFilter(text, mondayAndFriday)),
              PageOutcome::Filled);
    EXPECT_EQ(p.count(), 12);
}

TEST_F(HistoryPager, AndModeNeedsEveryConditionOrModeAnyOne) {
    auto rows = fortnight();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].CorpKanji = i % 2 ? "株式会社ヤマト運輸" : "有限会社さくら商店";
        rows[i].NameKanji = i % 3 ? "佐藤　花子" : "田中　一郎";
        rows[i].CorpKana = "ｻｸﾗｼｮｳﾃﾝ";
    }
    store(rows);
    ListPager p = pager();
    WeekdayButtons all{true, {}};
    HistoryCondition c;
    c.active = true;
    c.corpKanji = "ヤマト";
    c.nameKanji = "田中";
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, HistoryRowFilter(c, all)), PageOutcome::Filled);
    EXPECT_EQ(p.count(), 7); // odd and multiple of 3: 3, 9, 15, ..., 39
    c.orMode = true;
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, HistoryRowFilter(c, all)), PageOutcome::Filled);
    EXPECT_EQ(p.count(), 21 + 14 - 7);
    // Plain substring, case and width as stored: full-width kana do not
    // find the half-width ones.
    HistoryCondition kana;
    kana.active = true;
    kana.corpKana = "サクラ";
    EXPECT_EQ(p.refresh(PageMode::Refill, 1, HistoryRowFilter(kana, all)), PageOutcome::Empty);
    kana.corpKana = "ｼｮｳ";
    EXPECT_EQ(p.refresh(PageMode::Refill, 1, HistoryRowFilter(kana, all)), PageOutcome::Filled);
    EXPECT_EQ(p.count(), 42);
}

TEST_F(HistoryPager, NumberWithHyphensMatchesByItsDigitsAsAPrefix) {
    std::vector<RecvHisRow> rows = {CallAt({2026, 12, 1, 9, 0, 0, 0}, "0312345678"),
                                    CallAt({2026, 12, 1, 10, 0, 0, 0}, "0312349999"),
                                    CallAt({2026, 12, 1, 11, 0, 0, 0}, "0466123456"),
                                    CallAt({2026, 12, 1, 12, 0, 0, 0}, "P")};
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].RecNo = static_cast<int>(i);
    store(rows);
    HistorySearchInput input;
    input.number = " 03-1234 ";
    const HistoryCondition c = BuildHistoryCondition(input, {});
    EXPECT_TRUE(c.active);
    EXPECT_EQ(c.number, "031234");
    ListPager p = pager();
    ASSERT_EQ(p.refresh(PageMode::Refill, 1, HistoryRowFilter(c, {true, {}})), PageOutcome::Filled);
    EXPECT_EQ(p.keys(), (std::vector<std::int64_t>{1, 0}));
}

TEST_F(HistoryPager, NumberWithoutDigitsIsActiveButGivesNoCondition) {
    std::vector<RecvHisRow> rows = {CallAt({2026, 12, 1, 9, 0, 0, 0}, "0312345678"),
                                    CallAt({2026, 12, 1, 10, 0, 0, 0}, "0466123456")};
    rows[1].RecNo = 1;
    store(rows);
    HistorySearchInput input;
    input.number = "abc";
    input.firstRadioChecked = false;
    const HistoryCondition orMode = BuildHistoryCondition(input, {});
    EXPECT_TRUE(orMode.active);
    EXPECT_EQ(orMode.number, "");
    ListPager p = pager();
    EXPECT_EQ(p.refresh(PageMode::Refill, 1, HistoryRowFilter(orMode, {true, {}})),
              PageOutcome::Empty);
    input.firstRadioChecked = true;
    ASSERT_EQ(p.refresh(PageMode::Refill, 1,
                        HistoryRowFilter(BuildHistoryCondition(input, {}), {true, {}})),
              PageOutcome::Filled);
    EXPECT_EQ(p.count(), 2);
}

TEST(HistoryConditionBuild, NothingGivenOnlyClearsTheActiveFlag) {
    HistoryCondition before;
    before.active = true;
    before.corpKanji = "ヤマト";
    before.orMode = true;
    const HistoryCondition after = BuildHistoryCondition({}, before);
    EXPECT_FALSE(after.active);
    EXPECT_EQ(after.corpKanji, "ヤマト");
    EXPECT_TRUE(after.orMode);

    // Only "日付": active with a range, no texts; texts are cut to their
    // widths in code page 932 bytes.
    HistorySearchInput dates;
    dates.dateChecked = true;
    dates.beginDate = {2026, 12, 5, 13, 0, 0, 0};
    dates.endDate = {2026, 12, 5, 0, 0, 0, 0};
    dates.nameKanji = std::string(12, 'x') + "あいうえおかき";
    dates.firstRadioChecked = false;
    const HistoryCondition c = BuildHistoryCondition(dates, before);
    EXPECT_TRUE(c.hasDateRange());
    EXPECT_EQ(c.beginDate, (DateTime{2026, 12, 5, 0, 0, 0, 0}));
    EXPECT_EQ(c.corpKanji, "");
    EXPECT_EQ(c.nameKanji, std::string(12, 'x') + "あいうえお");
    EXPECT_TRUE(c.orMode);
}

TEST(ListSelectionRestore, RowsFoundAgainByRecordNumber) {
    const std::vector<std::int64_t> keys = {50, 40, 30, 20, 10};
    RememberedSelection r;
    r.selected = {40, 20, 99};
    r.caret = 20;
    r.top = 30;
    RestoredSelection s = RestoreSelection(keys, r);
    EXPECT_EQ(s.selected, (std::vector<int>{1, 3}));
    EXPECT_EQ(s.caret, 3);
    EXPECT_TRUE(s.caretSelected);
    EXPECT_EQ(s.top, 2);

    // Caret row and top row gone: caret on the top row, unselected.
    r.caret = 77;
    r.top = 88;
    r.topIndex = 9;
    s = RestoreSelection(keys, r);
    EXPECT_EQ(s.top, 4);
    EXPECT_EQ(s.caret, 4);
    EXPECT_FALSE(s.caretSelected);
    EXPECT_EQ(RestoreSelection({}, r).caret, -1);
}

} // namespace
} // namespace kanata
