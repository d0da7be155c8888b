// SPDX-License-Identifier: MIT
#pragma once
// How much a window's updates slow a read down, measured from the bus itself.
//
// Every DataPort write is time-stamped. A data byte is 16 line changes; the interval after its
// last 0xF0 holds the delay and the per-byte display update, the intervals after its seven other
// 0xF0 writes the delay alone. Per byte, excess = last interval - mean of the seven plain ones,
// so the processor's drift cancels out byte by byte.
#include <cstdint>
#include <vector>

struct TimedWrite {
  double micros;  // from any fixed origin
  std::uint8_t value;
};

struct ReadPace {
  double displayMicros;  // median excess of a byte's last interval
  double byteShare;      // that, as a share of a byte's 16 bus intervals
  double readRatio;      // read time / (read time - all excess)
  double meanMicros;     // mean excess: the median plus the tail
};

// The writes of one whole read, from the chip's select to its deselect.
ReadPace AnalyseReadPace(const std::vector<TimedWrite>& writes);

double Median(std::vector<double> values);
