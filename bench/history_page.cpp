// Reads 200-row pages along RecvDateTime from a 100,000-row history, as the
// history list pages: the newest page, a page from a key in the middle (both
// directions), and a filtered page and count run in SQL.
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "platform/MessageService.h"

#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace {

using kanata::bench::NoBoxes;

constexpr int kRows = 100000;
constexpr int kPage = 200;

// One table for every benchmark of this run, built in one transaction: a
// call every few minutes over roughly a year, several callers repeating.
struct History {
    NoBoxes messages;
    std::filesystem::path folder;
    std::unique_ptr<kanata::TDMKanata195> dm;
    std::string middleKey;

    History() {
        folder = kanata::bench::FreshFolder();
        dm = std::make_unique<kanata::TDMKanata195>(folder, messages);
        if (!dm->OpenRecvHis())
            throw std::runtime_error("cannot open");
        auto& table = dm->RecvHis().table();
        kanata::sql::Transaction tx(table.database());
        kanata::sql::Statement insert(
            table.database(), "INSERT INTO RecvHis (RecNo, AxsDateTime, RecvDateTime, RecvWeek, "
                              "SchTel, Tel, CorpKanji, Division) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        const double start = kanata::DateTime{2025, 1, 1, 8, 0, 0, 0}.toDays();
        for (int i = 0; i < kRows; ++i) {
            const auto when = kanata::DateTime::fromDays(start + i * (5.0 / 1440));
            const std::string number = "03" + std::to_string(10000000 + (i * 7919) % 3000);
            insert.reset();
            insert.bind(1, i).bind(2, when.toText()).bind(3, when.toText());
            insert.bind(4, kanata::DayOfWeek(when)).bind(5, number).bind(6, number);
            insert.bind(7, "株式会社" + std::to_string(i % 500));
            insert.bind(8, i % 3 ? "1" : "0");
            insert.step();
            if (i == kRows / 2)
                middleKey = when.toText();
        }
        tx.commit();
    }
    ~History() {
        dm->CloseRecvHis();
        dm.reset();
        std::filesystem::remove_all(folder);
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
