// Reads 200-row pages along RecvDateTime from a 100,000-row history, as the
// history list pages: the newest page, a page from a key in the middle (both
// directions), and a filtered page and count run in SQL.
#include "platform/MessageService.h"

#include "bench/BenchTables.h"

#include <benchmark/benchmark.h>
#include <stdexcept>

namespace {

constexpr int kRows = 100000;
constexpr int kPage = 200;

// One table for every benchmark of this run, built in one transaction.
struct History : kanata::bench::DataFolder {
    std::string middleKey;

    History() {
        if (!dm->OpenRecvHis())
            throw std::runtime_error("cannot open");
        middleKey = kanata::bench::FillCallHistory(*dm, kRows);
    }
};

History& history() {
    static History h;
    return h;
}

void readPage(benchmark::State& state, const kanata::Query& query) {
    auto& his = history().dm->RecvHis();
    std::size_t rows = 0;
    for (auto _ : state) {
        auto page = his.read(query);
        rows = page.size();
        benchmark::DoNotOptimize(page.data());
    }
    if (rows != static_cast<std::size_t>(kPage))
        state.SkipWithError("short page");
}

void BM_NewestPage(benchmark::State& state) {
    kanata::Query q;
    q.index = "RecvDateTime";
    q.descending = true;
    q.limit = kPage;
    readPage(state, q);
}

void BM_PageFromMiddleKey(benchmark::State& state) {
    kanata::Query q;
    q.index = "RecvDateTime";
    q.descending = state.range(0) != 0;
    q.from = {history().middleKey};
    q.limit = kPage;
    readPage(state, q);
}

void BM_FilteredPage(benchmark::State& state) {
    kanata::Query q;
    q.index = "RecvDateTime";
    q.descending = true;
    q.where = "Division = ? AND RecvWeek <> ?";
    q.whereArgs = {std::string("0"), std::int64_t{1}};
    q.limit = kPage;
    readPage(state, q);
}

void BM_FilteredCount(benchmark::State& state) {
    auto& his = history().dm->RecvHis();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            his.count("Division = ? AND RecvWeek <> ?", {std::string("0"), std::int64_t{1}}));
}

BENCHMARK(BM_NewestPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageFromMiddleKey)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FilteredPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FilteredCount)->Unit(benchmark::kMillisecond);

} // namespace
