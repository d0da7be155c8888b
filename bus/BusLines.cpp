#include "bus/BusLines.h"

#include "bus/BusDelay.h"
#include "bus/LinesIdleOnAnyEnd.h"
#include "bus/Port95.h"

std::uint8_t CsLine = 0;
std::uint8_t SckLine = 0;
std::uint8_t SiLine = 0;

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

void PutBusIdle() {
  // From whatever an earlier program left on the lines: a transfer stopped with the chip selected
  // ends as every read ends, the clock low before the chip is deselected. Without the supply
  // pattern on bits 3..7 (a printer driver's or the kernel's probe bytes) the adapter is off, and
  // the first write powers it with the chip deselected.
  const auto latch = ReadDataLatch();
  if (latch && (*latch & (Wiring::UnusedLowBit | Wiring::SupplyBits)) == Wiring::SupplyBits) {
    NoteLineByteOnPort(*latch);
  }
  if (ChipSelectedOnBus()) {
    TakeLinesIdle();
  } else {
    SetIdleLineFlags();
    OutputLines();
  }
  BusDelay();
}

void OutputLines() {
  const std::uint8_t lineByte = ComposeLineByte(CsLine, SckLine, SiLine);
  WritePortByte(DataPort, lineByte);
  NoteLineByteOnPort(lineByte);
}
