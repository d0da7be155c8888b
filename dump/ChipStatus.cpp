// SPDX-License-Identifier: MIT
#include "dump/ChipStatus.h"

#include <chrono>

#include "bus/BusDelay.h"
#include "bus/BusLines.h"
#include "bus/SpiBus.h"

namespace {
constexpr std::uint8_t ReadStatusInstruction = 0x05;
constexpr std::uint8_t WriteInProgress = 0x01;
constexpr std::uint8_t ZeroWhenIdle = 0x70;
constexpr std::uint8_t NothingDrivesSo = 0xFF;
// Ten times the longest write cycle, so a chip that was just written is waited for.
constexpr auto LongestWait = std::chrono::milliseconds(50);
}  // namespace

std::uint8_t ReadStatusRegister() {
  std::uint8_t status = 0;
  WithChipSelected([&] {
    ShiftOut(ReadStatusInstruction, 8);
    // SI back low while the status comes in, as every transaction leaves it.
    SiLine = 0;
    OutputLines();
    BusDelay();
    status = ShiftIn();
  });
  BusDelay();
  return status;
}

ChipStatus CheckChip() {
  std::uint8_t status = ReadStatusRegister();
  const auto deadline = std::chrono::steady_clock::now() + LongestWait;
  while ((status & WriteInProgress) != 0 && std::chrono::steady_clock::now() < deadline) {
    status = ReadStatusRegister();
  }
  if (status == NothingDrivesSo) return {ChipStatus::Answer::NoChip, status};
  if ((status & WriteInProgress) != 0) return {ChipStatus::Answer::Busy, status};
  if ((status & ZeroWhenIdle) != 0) return {ChipStatus::Answer::NoSuchStatus, status};
  return {ChipStatus::Answer::Ready, status};
}

std::string ProtectedBlocks(std::uint8_t status) {
  switch ((status >> 2) & 3) {
    case 1:
      return "the upper quarter (0x600-0x7FF)";
    case 2:
      return "the upper half (0x400-0x7FF)";
    case 3:
      return "all of it (0x000-0x7FF)";
    default:
      return "";
  }
}
