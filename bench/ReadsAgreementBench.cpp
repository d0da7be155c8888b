// SPDX-License-Identifier: MIT
// What comparing repeated reads costs: 100 reads of 2048 bytes (--reads 100), 20 bytes of each
// flipped (1%), compared. Target: a few milliseconds.
#include <benchmark/benchmark.h>

#include <random>

#include "dump/ReadsAgreement.h"

namespace {
void BM_CompareHundredFlakyReads(benchmark::State& state) {
  std::mt19937 random(9);
  EepromImage chip{};
  for (auto& byte : chip) byte = static_cast<std::uint8_t>(random());
  RepeatedReads reads;
  for (int read = 0; read < 100; ++read) {
    EepromImage flaky = chip;
    for (int flip = 0; flip < 20; ++flip) {
      flaky[random() % EepromSize] ^= static_cast<std::uint8_t>(1u << (random() % 8));
    }
    reads.Add(flaky);
  }
  for (auto _ : state) benchmark::DoNotOptimize(CompareReads(reads));
}
BENCHMARK(BM_CompareHundredFlakyReads)->Unit(benchmark::kMillisecond);
}  // namespace
