// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>

// What the 25160's status register says, read with RDSR (0x05) before a read, so that an empty
// socket is told from an erased chip: both read every byte as 0xFF. Only lpt-dump asks; the
// windows send the READ transaction alone.
//
// The register, as the 25160s on the market (Microchip 25AA160/25LC160 and AT25160B, ST M95160)
// lay it out:
//   bit 7     WPEN (or SRWD): 0 unless a writer set it
//   bits 6-4  read as 0, except on Atmel-made parts during a write cycle, where they read as 1
//   bits 3-2  BP1 BP0: the blocks protected from writes (none, the upper quarter, the upper half,
//             all)
//   bit 1     WEL, the write latch
//   bit 0     WIP, a write in progress (a write cycle lasts at most 5 ms)
// Nothing drives SO in an empty socket, and its pull-up reads as 1: 0xFF. A chip busy with a write
// can read so too (an AT25160B with WPEN set), so 0xFF is read again as a busy chip is.
struct ChipStatus {
  enum class Answer { Ready, NoChip, Busy } answer;
  std::uint8_t status;  // the last value read
};

// One RDSR transaction: select, the instruction, eight clocks in, deselect, then one wait so that
// the chip sees a deselect time before whatever selects it next.
std::uint8_t ReadStatusRegister();

// Reads the status register, and again for up to 50 ms while it says a write is in progress.
ChipStatus CheckChip();

// The blocks BP1 BP0 protect from writes, as "the upper half (0x400-0x7FF)"; "" when none.
std::string ProtectedBlocks(std::uint8_t status);
