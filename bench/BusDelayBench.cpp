// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include "bus/BusDelay.h"

namespace {
constexpr double IterationsPerCall = double(BusDelayOuterPasses) * BusDelayInnerIterations;

void ReportPerIteration(benchmark::State& state) {
  state.counters["iterations_per_call"] = IterationsPerCall;
  state.counters["ns_per_inner_iteration"] = benchmark::Counter(
      double(state.iterations()) * IterationsPerCall, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_BusDelay(benchmark::State& state) {
  for (auto _ : state) SpinBusDelay();
  ReportPerIteration(state);
}
BENCHMARK(BM_BusDelay)->Unit(benchmark::kMicrosecond);

// The same count of iterations in a plain register loop, for comparing against the spin.
void BareRegisterLoop() {
  for (long count = long{BusDelayOuterPasses} * BusDelayInnerIterations; count != 0; --count) {
    asm volatile("" : "+r"(count));
  }
}

void BM_BareRegisterLoop(benchmark::State& state) {
  for (auto _ : state) BareRegisterLoop();
  ReportPerIteration(state);
}
BENCHMARK(BM_BareRegisterLoop)->Unit(benchmark::kMicrosecond);

}  // namespace
