// SPDX-License-Identifier: MIT
#include "bench/ReadPace.h"

#include <algorithm>
#include <numeric>

#include "dump/EepromImage.h"

namespace {
// The data bytes' writes start after select (1), instruction (2x6 + 1 + 2x2 + 1) and address (2x16).
constexpr std::size_t FirstDataWrite = 1 + 12 + 1 + 4 + 1 + 32;
constexpr std::size_t WritesPerByte = 16;
}  // namespace

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

ReadPace AnalyseReadPace(const std::vector<TimedWrite>& writes) {
  std::vector<double> excess;
  double byteMicros = 0;
  for (std::size_t byte = 0; byte < EepromSize; ++byte) {
    const std::size_t first = FirstDataWrite + byte * WritesPerByte;
    double plain = 0;
    // Writes first+1, first+3, ... are the 0xF0s; each is followed by the next 0xF2 (or 0xF1).
    for (std::size_t bit = 0; bit < 7; ++bit) {
      const std::size_t f0 = first + 2 * bit + 1;
      plain += writes[f0 + 1].micros - writes[f0].micros;
    }
    plain /= 7;
    const std::size_t last = first + WritesPerByte - 1;
    excess.push_back(writes[last + 1].micros - writes[last].micros - plain);
    byteMicros += 2 * 8 * plain;
  }
  byteMicros /= EepromSize;
  const double readMicros = writes.back().micros - writes.front().micros;
  const double allExcess = std::accumulate(excess.begin(), excess.end(), 0.0);
  const double median = Median(excess);
  return {median, median / byteMicros, readMicros / (readMicros - allExcess), allExcess / EepromSize};
}
