// Appends history rows one durable post at a time, as calls arrive: each
// append reads the last record number and inserts in its own committed
// transaction (synchronous=FULL). Reports rows per second.
#include "data/TDMKanata195.h"
#include "platform/MessageService.h"

#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <stdexcept>

namespace {

using kanata::bench::NoBoxes;

void BM_HistoryAppend(benchmark::State& state) {
    const auto rows = state.range(0);
    NoBoxes messages;
    for (auto _ : state) {
        state.PauseTiming();
        const auto folder = kanata::bench::FreshFolder();
        {
            kanata::TDMKanata195 dm(folder, messages);
            if (!dm.OpenRecvHis())
                throw std::runtime_error("cannot open");
            kanata::RecvHisRow row{.SchTel = "0312345678",
                                   .Tel = "03-1234-5678",
                                   .CorpKanji = "株式会社着信帳",
                                   .Division = "1"};
            state.ResumeTiming();
            for (std::int64_t i = 0; i < rows; ++i) {
                row.RecvDateTime = kanata::DateTime::now();
                if (!dm.RecvHis().append(row, messages))
                    throw std::runtime_error("not written");
            }
            state.PauseTiming();
            dm.CloseRecvHis();
        }
        std::filesystem::remove_all(folder);
        state.ResumeTiming();
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

// The full 100,000 rows fill a table to its limit; the small run is for a
// quick look (--benchmark_filter=BM_HistoryAppend/1000).
BENCHMARK(BM_HistoryAppend)
    ->Arg(1000)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
