// What the intake journal costs per call: the accepted record written and
// flushed to the disk (fdatasync) before the adapter's post returns, and the
// done mark once the row is stored. The file is emptied as it goes, as in
// the running program.
//
//     build/release/bench/bench_intake_journal
#include "intake/CallJournal.h"

#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {
using namespace kanata;

void BM_JournalAcceptAndDone(benchmark::State& state) {
    const std::filesystem::path folder = kanata::bench::FreshFolder();
    {
        CallJournal journal(folder / CallJournal::kFileName);
        const std::string line = "0312345678   2026/12/06  12:00:00";
        bool durable = false;
        for (auto _ : state) {
            const JournalCall call = journal.accept(line, DateTime::now(), durable);
            journal.markDone(call.seq);
        }
        state.counters["calls/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate);
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_JournalAcceptAndDone)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
