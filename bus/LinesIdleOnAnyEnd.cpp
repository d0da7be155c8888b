#include "bus/LinesIdleOnAnyEnd.h"

#include <exception>

#include "bus/BusLines.h"
#include "bus/Port95.h"
#include "runtime/ProcessEnd.h"

namespace {
// The last line byte the port took: what the chip sees, whatever the flags say after a failure.
volatile std::uint8_t lineByteOnPort = ComposeLineByte(1, 0, 0);
}  // namespace

void NoteLineByteOnPort(std::uint8_t lineByte) {
  lineByteOnPort = lineByte;
  // Selected by the last byte that reached the port: a signal now waits for the bus to go idle.
  SetEndHeld(EndWaitsFor::ChipSelected, (lineByte & Wiring::CsBit) == 0);
}

bool ChipSelectedOnBus() { return EndHeldBy(EndWaitsFor::ChipSelected); }

void TakeLinesIdle() {
  // From what the chip last saw, not from the flags: a write that failed may have set SCK low in
  // the flags while the port still drives it high. CS must not rise while SCK is high.
  const std::uint8_t onPort = lineByteOnPort;
  if ((onPort & Wiring::SckBit) != 0) {
    CsLine = (onPort & Wiring::CsBit) != 0 ? 1 : 0;
    SiLine = (onPort & Wiring::SiBit) != 0 ? 1 : 0;
    SckLine = 0;
    OutputLines();
  }
  SetIdleLineFlags();
  OutputLines();
}

std::optional<std::string> LinesIdleOnAnyWayOut::TakeIdleNow() {
  taken_ = true;
  std::optional<std::string> outcome;
  if (ChipSelectedOnBus()) {
    try {
      TakeLinesIdle();
      outcome = "";
    } catch (const std::exception& error) {
      outcome = error.what();
    }
  }
  SetIdleLineFlags();
  return outcome;
}

LinesIdleOnAnyWayOut::~LinesIdleOnAnyWayOut() {
  if (std::uncaught_exceptions() == 0) return;
  if (!taken_ && ChipSelectedOnBus()) {
    try {
      TakeLinesIdle();
    } catch (...) {
      // The port failed again; the error on its way out says so when it was the port's.
    }
  }
  SetIdleLineFlags();
}

void StopBusIfRequested() {
  if (!ProcessEndRequested()) return;
  try {
    TakeLinesIdle();
  } catch (...) {
    // The port failed while being put idle: nothing more can be done for it.
  }
  EndRequestedProcess();
}
