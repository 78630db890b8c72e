// Refills the history list's page 1 and its last page with a name condition
// active, on a 100,000-row history: the count and the walk the list runs
// for every refill while the user has a search condition set.
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "history/HistoryCondition.h"
#include "history/ListPager.h"
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
const char* const kNames[] = {"山田　太郎", "佐藤　花子", "鈴木　一郎", "田中　誠",
                              "高橋　美咲", "伊藤　健",   "渡辺　由美", "中村　隆"};

// A call every few minutes over about a year; one caller in eight is a
// 田中, so the condition admits 12,500 rows spread over the whole table.
struct History {
    NoBoxes messages;
    std::filesystem::path folder;
    std::unique_ptr<kanata::TDMKanata195> dm;

    History() {
        folder = kanata::bench::FreshFolder();
        dm = std::make_unique<kanata::TDMKanata195>(folder, messages);
        if (!dm->OpenRecvHis())
            throw std::runtime_error("cannot open");
        auto& table = dm->RecvHis().table();
        kanata::sql::Transaction tx(table.database());
        kanata::sql::Statement insert(
            table.database(),
            "INSERT INTO RecvHis (RecNo, AxsDateTime, RecvDateTime, RecvWeek, SchTel, Tel, "
            "CorpKanji, NameKanji, Division) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        const double start = kanata::DateTime{2025, 1, 1, 8, 0, 0, 0}.toDays();
        for (int i = 0; i < kRows; ++i) {
            const auto when = kanata::DateTime::fromDays(start + i * (5.0 / 1440));
            const std::string number = "03" + std::to_string(10000000 + (i * 7919) % 3000);
            insert.reset();
            insert.bind(1, i).bind(2, when.toText()).bind(3, when.toText());
            insert.bind(4, kanata::DayOfWeek(when)).bind(5, number).bind(6, number);
            insert.bind(7, "株式会社" + std::to_string(i % 500));
            insert.bind(8, kNames[i % 8]);
            insert.bind(9, i % 3 ? "1" : "0");
            insert.step();
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
