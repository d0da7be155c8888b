#include "bus/BusLines.h"

#include "bus/BusDelay.h"
#include "bus/Port95.h"
#include "runtime/ProcessEnd.h"

std::uint8_t CsLine = 0;
std::uint8_t SckLine = 0;
std::uint8_t SiLine = 0;

namespace {
// The last line byte the port took: what the chip sees, whatever the flags say after a failure.
std::uint8_t lineByteOnPort = ComposeLineByte(1, 0, 0);
}  // namespace

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
  SetIdleLineFlags();
  OutputLines();
  BusDelay();
}

void TakeLinesIdle() {
  // From what the chip last saw, not from the flags: a write that failed may have set SCK low in
  // the flags while the port still drives it high. CS must not rise while SCK is high.
  if ((lineByteOnPort & Wiring::SckBit) != 0) {
    CsLine = (lineByteOnPort & Wiring::CsBit) != 0 ? 1 : 0;
    SiLine = (lineByteOnPort & Wiring::SiBit) != 0 ? 1 : 0;
    SckLine = 0;
    OutputLines();
  }
  SetIdleLineFlags();
  OutputLines();
}

void OutputLines() {
  const std::uint8_t lineByte = ComposeLineByte(CsLine, SckLine, SiLine);
  WritePortByte(DataPort, lineByte);
  lineByteOnPort = lineByte;
  // Selected by the last byte that reached the port: a signal now waits for the bus to go idle.
  SetEndHeld(EndHold::ChipSelected, CsLine != 1);
}

bool ChipSelectedOnBus() { return EndHeldBy(EndHold::ChipSelected); }
