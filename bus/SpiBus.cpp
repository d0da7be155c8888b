// SPDX-License-Identifier: MIT
#include "bus/SpiBus.h"

#include <optional>
#include <string>

#include "bus/BusDelay.h"
#include "bus/BusLines.h"
#include "bus/Port95.h"
#include "bus/TakeLinesIdle.h"
#include "port/PortError.h"

namespace {
// One full clock period in SPI mode 0: rise, wait, fall, wait.
void ClockPulse() {
  SckLine = 1;
  OutputLines();
  BusDelay();
  SckLine = 0;
  OutputLines();
  BusDelay();
}

// What the way out met after a port error stopped a transaction between two line changes, for
// the message: the clock taken low and the chip deselected, or the port failing that too. The
// chip is not left in the middle of a transaction, so the next one starts with SCK and SI low.
std::string WhatTheWayOutMet(const std::optional<std::string>& outcome) {
  if (!outcome) return "";
  const std::string met = outcome->empty() ? "\nThe clock was taken low and the chip deselected."
                                           : "\nTaking the clock low and deselecting the chip failed too: " + *outcome;
  return met + "\nCheck the cable, the adapter's supply and the parallel port (or its card), then read again.";
}
}  // namespace

void ShiftOut(std::uint32_t bits, int count) {
  for (int bit = count - 1; bit >= 0; --bit) {
    const std::uint8_t level = (bits >> bit) & 1;
    if (SiLine != level) {
      SiLine = level;
      OutputLines();
      BusDelay();
    }
    ClockPulse();
  }
}

std::uint8_t ShiftIn() {
  std::uint8_t accumulator = 0;
  for (unsigned mask = 0x80; mask != 0; mask >>= 1) {
    SckLine = 1;
    OutputLines();
    if (SampleDataBit(ReadPortByte(StatusPort)) == 1) accumulator |= mask;
    BusDelay();
    SckLine = 0;
    OutputLines();
    BusDelay();
  }
  return accumulator;
}

void WithChipSelected(const std::function<void()>& transfer) {
  if (ChipSelectedOnBus()) {
    TakeLinesIdle();
    BusDelay();
  }
  TakeLinesIdleOnAnyEnd idleOnAnyEnd;
  try {
    CsLine = 0;
    OutputLines();
    BusDelay();
    transfer();
    // Deselect: the lines are idle again. No wait is needed after the last change.
    CsLine = 1;
    OutputLines();
  } catch (const EPortError& error) {
    const std::string afterwards = WhatTheWayOutMet(idleOnAnyEnd.TakeLinesIdleNow());
    if (afterwards.empty()) throw;
    throw EPortError(error.what() + afterwards, error.OsError(), error.Call());
  }
}
