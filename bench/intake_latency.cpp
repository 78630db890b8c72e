// The running program under calls (see ProgramBench.h), with its tables in
// the data folder (sqlite), on a server over its Unix socket (pg_unix) or
// over TCP on 127.0.0.1 (pg_tcp):
//
// - BM_CallToCommittedRow: one call at a time, each sent with the request
//   ktcall sends, answered once the program has the call safe, and waited
//   for until its history row is committed: the time per iteration is the
//   latency from the call to the committed row; median and p95 come with it
//   (`median_ms`, `p95_ms`).
// - BM_BurstToCommittedRows: one ktcall sends 500 calls one after another;
//   calls/s is 500 over the time until the last row is committed, and
//   accepted/s how fast ktcall had them answered.
// Both with the pop-ups on (popups:1, the history list and the call view
// come up for the calls) and off (popups:0).
//
//     build/release/bench/bench_intake_latency
//     build/release/bench/bench_intake_latency --benchmark_filter=pg_tcp
//
// KANATA_BENCH_PROGRAM_STAGE=<stage folder of another build> measures that
// build's program and adapter libraries with this build's ktcall.
#include "bench/ProgramBench.h"

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <vector>

namespace {
using namespace kanata::bench;

constexpr int kBurst = 500;

struct Program {
    Program(BenchEngine engine, bool popUps)
        : store(FreshStore(engine)), line(store, BenchProgram::Role::Line, popUps, true),
          rows(store, line.dataFolder() / "Data") {}
    kanata::sql::StoreSettings store;
    BenchProgram line;
    CommittedRows rows;
};

void BM_CallToCommittedRow(benchmark::State& state, BenchEngine engine) {
    Program program(engine, state.range(0) != 0);
    int caller = 0;
    std::vector<double> latencies;
    for (auto _ : state) {
        QElapsedTimer ring;
        ring.start();
        program.line.call(NumberFor(caller++));
        program.rows.waitForRows(1);
        latencies.push_back(static_cast<double>(ring.nsecsElapsed()) / 1e6);
    }
    state.counters["calls/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["median_ms"] = Percentile(latencies, 0.5);
    state.counters["p95_ms"] = Percentile(latencies, 0.95);
}

void BM_BurstToCommittedRows(benchmark::State& state, BenchEngine engine) {
    Program program(engine, state.range(0) != 0);
    int caller = 1000;
    double accepting = 0;
    for (auto _ : state) {
        std::vector<std::string> numbers;
        for (int i = 0; i < kBurst; ++i)
            numbers.push_back(NumberFor(caller++));
        QElapsedTimer sent;
        sent.start();
        program.line.burst(numbers);
        accepting += static_cast<double>(sent.nsecsElapsed()) / 1e9;
        program.rows.waitForRows(kBurst);
    }
    const double calls = static_cast<double>(state.iterations()) * kBurst;
    state.counters["calls/s"] = benchmark::Counter(calls, benchmark::Counter::kIsRate);
    state.counters["accepted/s"] = calls / accepting;
}

#define KANATA_INTAKE_BENCH(engine, value)                                                         \
    BENCHMARK_CAPTURE(BM_CallToCommittedRow, engine, value)                                        \
        ->ArgName("popups")                                                                        \
        ->Arg(1)                                                                                   \
        ->Arg(0)                                                                                   \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(300)                                                                          \
        ->UseRealTime();                                                                           \
    BENCHMARK_CAPTURE(BM_BurstToCommittedRows, engine, value)                                      \
        ->ArgName("popups")                                                                        \
        ->Arg(1)                                                                                   \
        ->Arg(0)                                                                                   \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(1)                                                                            \
        ->UseRealTime()

KANATA_INTAKE_BENCH(sqlite, BenchEngine::Sqlite);
KANATA_INTAKE_BENCH(pg_unix, BenchEngine::PostgresqlUnix);
KANATA_INTAKE_BENCH(pg_tcp, BenchEngine::PostgresqlTcp);

} // namespace
