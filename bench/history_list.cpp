// Refills the history list's pages with a name condition active, on a
// 100,000-row history, and counts the rows it admits: the count and the
// walk the list runs for every refill while the user has a search condition
// set. Each figure comes beside its floor (the same work without the
// condition) and their ratio.
#include "history/HistoryCondition.h"
#include "history/ListPager.h"
#include "platform/MessageService.h"

#include "bench/BenchServer.h"
#include "bench/BenchTables.h"
#include "bench/FloorComparison.h"
#include "bench/PageJumps.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <stdexcept>

namespace {

constexpr int kRows = 100000;
constexpr int kPage = 200;
const char* const kNames[] = {"山田　太郎", "佐藤　花子", "鈴木　一郎", "田中　誠",
                              "高橋　美咲", "伊藤　健",   "渡辺　由美", "中村　隆"};

// One caller in eight is a 田中, so the condition admits 12,500 rows spread
// over the whole table.
struct History : kanata::bench::DataFolder {
    History() : DataFolder(kanata::bench::ListStore()) {
        if (!dm->OpenRecvHis())
            throw std::runtime_error("cannot open");
        kanata::bench::FillCallHistory(*dm, kRows, kNames);
        kanata::bench::SettleOnServer(dm->RecvHis().table().database(), "RecvHis");
    }
};

History& history() {
    static History h;
    return h;
}

// 田中 (two characters) admits one row in eight; 山田　太 (four) the same
// share through the trigram phrase.
kanata::RowFilter nameFilter(int which) {
    kanata::HistoryCondition c;
    c.active = true;
    c.nameKanji = which == 0 ? "田中" : "山田　太";
    kanata::WeekdayButtons all;
    all.allWeek = true;
    return kanata::HistoryRowFilter(c, all);
}

// Refills page 1, the middle page or the last page shown with a name
// condition (as when a call comes in), against the same page without one.
void BM_Refill(benchmark::State& state) {
    auto& table = history().dm->RecvHis().table();
    kanata::ListPager pager(table, "RecvDateTime", true, kPage);
    kanata::ListPager plain(table, "RecvDateTime", true, kPage);
    const kanata::RowFilter filter = nameFilter(static_cast<int>(state.range(0)));
    pager.refresh(kanata::PageMode::Refill, 1, filter);
    const int pages = pager.totalPages();
    const int page = state.range(1) == 0 ? 1 : state.range(1) == 1 ? std::max(1, pages / 2) : pages;
    plain.refresh(kanata::PageMode::Refill, page, {});
    kanata::bench::AgainstFloor(
        state, [&] { pager.refresh(kanata::PageMode::Refill, page, filter); },
        [&] { plain.refresh(kanata::PageMode::Refill, page, {}); });
    state.counters["page"] = pager.page();
    state.counters["count"] = static_cast<double>(pager.count());
}

// Jumps between pages far apart with a name condition (first:1 the first
// jump under it asked for at once, first:2 after a person's pause, first:3
// the first after another desk's commit, with the same pause).
void BM_Jump(benchmark::State& state) {
    const std::int64_t count =
        kanata::bench::JumpBetweenPages(state, history().dm->RecvHis().table(), "RecvDateTime",
                                        true, kPage, nameFilter(static_cast<int>(state.range(0))),
                                        static_cast<kanata::bench::JumpKind>(state.range(1)));
    state.counters["count"] = static_cast<double>(count);
}

// The filtered count the list runs for every refill, against counting as
// many rows along the primary key.
void BM_FilteredCount(benchmark::State& state) {
    auto& table = history().dm->RecvHis().table();
    const kanata::RowFilter filter = nameFilter(static_cast<int>(state.range(0)));
    const std::int64_t matching = table.count(filter.where, filter.args);
    std::int64_t counted = 0;
    kanata::bench::AgainstFloor(
        state, [&] { counted = table.count(filter.where, filter.args); },
        [&] { benchmark::DoNotOptimize(table.count("\"RecNo\" < ?", {matching})); });
    state.counters["count"] = static_cast<double>(counted);
}

BENCHMARK(BM_Refill)
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->ArgNames({"name", "page"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Jump)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"name", "first"})
    ->Unit(benchmark::kMillisecond);
// A set number of jumps, as each waits for a person's pause first.
BENCHMARK(BM_Jump)
    ->ArgsProduct({{0, 1}, {2, 3}})
    ->ArgNames({"name", "first"})
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilteredCount)->DenseRange(0, 1)->ArgName("name")->Unit(benchmark::kMillisecond);

} // namespace
