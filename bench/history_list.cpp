// Refills the history list's page 1 and its last page with a name condition
// active, on a 100,000-row history: the count and the walk the list runs
// for every refill while the user has a search condition set.
#include "history/HistoryCondition.h"
#include "history/ListPager.h"
#include "platform/MessageService.h"

#include "bench/BenchTables.h"

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
    History() {
        if (!dm->OpenRecvHis())
            throw std::runtime_error("cannot open");
        kanata::bench::FillCallHistory(*dm, kRows, kNames);
    }
};

History& history() {
    static History h;
    return h;
}

kanata::RowFilter nameFilter() {
    kanata::HistoryCondition c;
    c.active = true;
    c.nameKanji = "田中";
    kanata::WeekdayButtons all;
    all.allWeek = true;
    return kanata::HistoryRowFilter(c, all);
}

void refill(benchmark::State& state, bool lastPage) {
    kanata::ListPager pager(history().dm->RecvHis().table(), "RecvDateTime", true, kPage);
    const kanata::RowFilter filter = nameFilter();
    pager.refresh(kanata::PageMode::Refill, 1, filter);
    const int page = lastPage ? pager.totalPages() : 1;
    for (auto _ : state) {
        pager.refresh(kanata::PageMode::Refill, page, filter);
        benchmark::DoNotOptimize(pager.rows().data());
    }
    state.counters["page"] = pager.page();
    state.counters["rows"] = static_cast<double>(pager.rows().size());
    state.counters["count"] = static_cast<double>(pager.count());
}

void BM_RefillFirstPageNameCondition(benchmark::State& state) {
    refill(state, false);
}

void BM_RefillLastPageNameCondition(benchmark::State& state) {
    refill(state, true);
}

void BM_RefillFirstPageNoCondition(benchmark::State& state) {
    kanata::ListPager pager(history().dm->RecvHis().table(), "RecvDateTime", true, kPage);
    for (auto _ : state) {
        pager.refresh(kanata::PageMode::Refill, 1, {});
        benchmark::DoNotOptimize(pager.rows().data());
    }
}

BENCHMARK(BM_RefillFirstPageNameCondition)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefillLastPageNameCondition)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefillFirstPageNoCondition)->Unit(benchmark::kMillisecond);

} // namespace
