#pragma once
// One figure per benchmark: the time of the measured step divided by the
// time of its baseline, both timed in every iteration one right after the
// other, so that a machine shared with other work slows both alike. The
// reported time is the step's own (manual time); the counter "ratio" is the
// figure to read, best as the median of --benchmark_repetitions.
#include <benchmark/benchmark.h>

#include <chrono>

// `batch` runs of each per timing, for steps too short for the clock.
template <typename Baseline, typename Step>
void MeasureRatio(benchmark::State &state, Baseline &&baseline, Step &&step, int batch = 1) {
  using Clock = std::chrono::steady_clock;
  double baselineSeconds = 0;
  double stepSeconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    for (int i = 0; i < batch; ++i) {
      baseline();
      benchmark::ClobberMemory();
    }
    const auto middle = Clock::now();
    for (int i = 0; i < batch; ++i) {
      step();
      benchmark::ClobberMemory();
    }
    const auto end = Clock::now();
    const double seconds = std::chrono::duration<double>(end - middle).count();
    baselineSeconds += std::chrono::duration<double>(middle - start).count();
    stepSeconds += seconds;
    state.SetIterationTime(seconds / batch);
  }
  if (baselineSeconds > 0)
    state.counters["ratio"] = stepSeconds / baselineSeconds;
  const double runs = double(state.iterations()) * batch;
  state.counters["baseline_us"] = runs > 0 ? 1e6 * baselineSeconds / runs : 0.0;
  state.counters["step_us"] = runs > 0 ? 1e6 * stepSeconds / runs : 0.0;
}
