#pragma once
// A figure beside its floor: each iteration times the measured work and
// then, outside the benchmark's own clock, the floor it is held against, so
// both come from the same moments of a loaded machine. Reported as
// counters: ms (the work), floor_ms and ratio (work / floor).
#include <benchmark/benchmark.h>

#include <chrono>

namespace kanata::bench {

// `prepare` runs before each iteration, off both clocks.
template <class Work, class Floor, class Prepare>
void AgainstFloor(benchmark::State& state, Work&& work, Floor&& floor, Prepare&& prepare) {
    using Clock = std::chrono::steady_clock;
    double workSeconds = 0, floorSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        prepare();
        state.ResumeTiming();
        const auto start = Clock::now();
        work();
        const auto worked = Clock::now();
        state.PauseTiming();
        const auto floorStart = Clock::now();
        floor();
        floorSeconds += std::chrono::duration<double>(Clock::now() - floorStart).count();
        state.ResumeTiming();
        workSeconds += std::chrono::duration<double>(worked - start).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ms"] = workSeconds / n * 1000;
    state.counters["floor_ms"] = floorSeconds / n * 1000;
    state.counters["ratio"] = floorSeconds > 0 ? workSeconds / floorSeconds : 0;
}

template <class Work, class Floor>
void AgainstFloor(benchmark::State& state, Work&& work, Floor&& floor) {
    AgainstFloor(state, work, floor, [] {});
}

} // namespace kanata::bench
