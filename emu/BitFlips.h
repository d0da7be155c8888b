// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <optional>
#include <string>

// A flaky contact, for testing repeated reads: in `share` of the bytes the chip shifts out, one
// bit is flipped. Which bits may flip, which way, in which reads and at which addresses can be
// narrowed, so that a test knows what the report on the reads must find.
struct BitFlips {
  enum class Direction { Both, OneToZero, ZeroToOne };

  double share = 0;
  std::uint32_t seed = 1;
  std::uint8_t bits = 0xFF;  // the bit positions that may flip
  Direction direction = Direction::Both;
  int firstRead = 1;  // READ transactions counted from 1
  int lastRead = 0;   // 0: no end
  std::uint16_t firstAddress = 0;
  std::uint16_t lastAddress = 2047;

  bool AppliesTo(int read, std::uint16_t address) const {
    return read >= firstRead && (lastRead == 0 || read <= lastRead) && address >= firstAddress &&
           address <= lastAddress;
  }
};

// "SHARE[,bit=B]...[,0to1|1to0][,reads=FIRST-[LAST]][,addresses=FIRST-LAST]", for example
// "0.01,bit=3,0to1" or "0.05,reads=1-1". Nothing when the text is not of that form.
std::optional<BitFlips> ParseBitFlips(const std::string& text);
