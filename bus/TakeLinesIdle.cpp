// SPDX-License-Identifier: MIT
#include "bus/TakeLinesIdle.h"

#include <exception>

#include "bus/BusLines.h"
#include "bus/Port95.h"
#include "runtime/ProcessEnd.h"

void TakeLinesIdle() {
  // From what the chip last saw, not from the flags: a write that failed may have set SCK low in
  // the flags while the port still drives it high. CS must not rise while SCK is high.
  const std::uint8_t onPort = LineByteOnPort();
  if ((onPort & Wiring::SckBit) != 0 && (onPort & Wiring::CsBit) == 0) {
    CsLine = 0;
    SiLine = (onPort & Wiring::SiBit) != 0 ? 1 : 0;
    SckLine = 0;
    OutputLines();
  }
  SetIdleLineFlags();
  OutputLines();
}

std::optional<std::string> TakeLinesIdleOnAnyEnd::TakeLinesIdleNow() {
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

TakeLinesIdleOnAnyEnd::~TakeLinesIdleOnAnyEnd() {
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
