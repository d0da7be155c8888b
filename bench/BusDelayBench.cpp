#include <benchmark/benchmark.h>

#include <chrono>

#include "bench/BenchChecks.h"
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

#if defined(__x86_64__) || defined(__i386__)
// The wait the bus was built for, 10 x 10,000 iterations written out here and not taken from
// BusDelay.h, in the same instructions as SpinBusDelay: a count changed there shows as a ratio
// away from 1, whatever the processor's speed.
void StatedWait() {
  asm volatile(
      "  mov $10, %%ecx\n"
      "  .p2align 5\n"
      "1:\n"
      "  mov $10000, %%eax\n"
      "  .p2align 5\n"
      "2:\n"
      "  dec %%eax\n"
      "  jnz 2b\n"
      "  dec %%ecx\n"
      "  jnz 1b\n"
      :
      :
      : "eax", "ecx", "cc");
}

// Checks the delay's length: BusDelay against the stated wait, measured in turns in one run.
void BM_BusDelayAgainstTheStatedWait(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  Clock::duration spin{};
  Clock::duration stated{};
  for (auto _ : state) {
    const auto start = Clock::now();
    SpinBusDelay();
    const auto between = Clock::now();
    StatedWait();
    const auto end = Clock::now();
    spin += between - start;
    stated += end - between;
  }
  const double ratio = std::chrono::duration<double>(spin) / std::chrono::duration<double>(stated);
  state.counters["ratio_to_stated_wait"] = ratio;
  if (ratio < 0.8 || ratio > 1.25) FailBenchCheck(state, "BusDelay does not wait 10 x 10,000 iterations");
}
BENCHMARK(BM_BusDelayAgainstTheStatedWait)->Unit(benchmark::kMicrosecond);
#endif
}  // namespace
