// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>

// What the 25160's status register says, read with RDSR (0x05) before a read, so that an empty
// socket is told from an erased chip: both read every byte as 0xFF. Only lpt-dump asks; the
// windows send the READ transaction alone.
//
// The register of every 25160 on the market (25AA160/25LC160, AT25160B, M95160): bit 7 WPEN,
// bits 6-4 zero (one on Atmel parts during a write), bits 3-2 BP1 BP0 (the blocks protected from
// writes), bit 1 WEL, bit 0 WIP (a write in progress, at most 5 ms). An empty socket reads 0xFF
// (SO's pull-up), as a busy AT25160B with WPEN set may, so 0xFF is read again as busy is.
struct ChipStatus {
  // NoSuchStatus: bits 6-4 set with no write in progress, which no 25160 returns (SO floats or is
  // miswired).
  enum class Answer { Ready, NoChip, NoSuchStatus, Busy } answer;
  std::uint8_t status;  // the last value read
};

// One RDSR transaction: select, the instruction, eight clocks in, deselect, then one wait so that
// the chip sees a deselect time before whatever selects it next.
std::uint8_t ReadStatusRegister();

// Reads the status register, and again for up to 50 ms while it says a write is in progress.
ChipStatus CheckChip();

// The blocks BP1 BP0 protect from writes, as "the upper half (0x400-0x7FF)"; "" when none.
std::string ProtectedBlocks(std::uint8_t status);
