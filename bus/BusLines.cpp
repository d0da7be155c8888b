// SPDX-License-Identifier: MIT
#include "bus/BusLines.h"

#include "bus/Port95.h"
#include "runtime/ProcessEnd.h"

std::uint8_t CsLine = 0;
std::uint8_t SckLine = 0;
std::uint8_t SiLine = 0;

namespace {
// The last line byte the port took: what the chip sees, whatever the flags say after a failure.
volatile std::uint8_t lineByteOnPort = ComposeLineByte(1, 0, 0);
}  // namespace

std::uint8_t LineByteOnPort() { return lineByteOnPort; }

void NoteLineByteOnPort(std::uint8_t lineByte) {
  lineByteOnPort = lineByte;
  // Selected by the last byte that reached the port: a signal now waits for the bus to go idle.
  SetChipSelected((lineByte & Wiring::CsBit) == 0);
}

bool ChipSelectedOnBus() { return EndHeldBy(EndWaitsFor::ChipSelected); }

std::uint8_t ComposeLineByte(std::uint8_t cs, std::uint8_t sck, std::uint8_t si) {
  std::uint8_t value = 0;
  if (cs == 1) value |= Wiring::CsBit;
  if (sck == 1) value |= Wiring::SckBit;
  if (si == 1) value |= Wiring::SiBit;
  return value | Wiring::SupplyBits;
}

void SetIdleLineFlags() {
  SckLine = 0;
  SiLine = 0;
  CsLine = 1;
}

void OutputLines() {
  const std::uint8_t lineByte = ComposeLineByte(CsLine, SckLine, SiLine);
  WritePortByte(DataPort, lineByte);
  NoteLineByteOnPort(lineByte);
}
