// SPDX-License-Identifier: MIT
#include "bus/BusStartUp.h"

#include "bus/BusDelay.h"
#include "bus/BusLines.h"
#include "bus/Port95.h"
#include "bus/TakeLinesIdle.h"

void BusStartUp() {
  // A transfer an earlier program stopped with the chip selected ends as every read ends, the
  // clock low before the chip is deselected. Without the supply pattern on bits 3..7 (a printer
  // driver's or the kernel's probe bytes) the adapter is off, and the first write powers it with
  // the chip deselected.
  const auto latch = ReadDataLatch();
  if (latch && (*latch & (Wiring::UnusedLowBit | Wiring::SupplyBits)) == Wiring::SupplyBits) {
    NoteLineByteOnPort(*latch);
  }
  TakeLinesIdle();
  BusDelay();
}
