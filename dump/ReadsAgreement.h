// SPDX-License-Identifier: MIT
#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "dump/EepromImage.h"

// Up to a hundred reads of one chip, each kept whole (2 KB a read, 200 KB for a hundred).
class RepeatedReads {
 public:
  void Add(const EepromImage& read) { reads_.push_back(read); }
  std::size_t Count() const { return reads_.size(); }
  const EepromImage& Read(std::size_t index) const { return reads_[index]; }
  bool Same(std::size_t first, std::size_t second) const { return reads_[first] == reads_[second]; }

 private:
  std::vector<EepromImage> reads_;
};

// What several reads of one chip say when they do not all agree: how they differ, where and
// when, for a report that points at the cause (a loose clip, a floating pin, one marginal bit).
struct ReadsDisagreement {
  std::size_t reads = 0;
  std::size_t distinctImages = 0;
  std::size_t mostCommonCount = 0;  // how many reads gave the most common image
  // Byte by byte, bit by bit, the level most reads gave: the best guess at the chip's content.
  EepromImage majority{};
  std::vector<std::size_t> addresses;  // where not all reads agree, ascending
  // For each bit position 0..7: in how many bytes that bit differed, and which way against the
  // majority (a 1 read as 0, a 0 read as 1), or split evenly, so that no way can be told.
  std::array<std::size_t, 8> oneReadAsZero{};
  std::array<std::size_t, 8> zeroReadAsOne{};
  std::array<std::size_t, 8> evenlySplit{};
  // For each read, the bytes where it leaves the majority (bits split evenly have none, so a read
  // is never off there).
  std::vector<std::size_t> bytesOffPerRead;
};

// Compares the reads; nothing when all of them agree (or there is only one).
std::optional<ReadsDisagreement> CompareReads(const RepeatedReads& reads);
