#include "dump/ReadEeprom.h"

#include <exception>
#include <string>

#include "bus/BusDelay.h"
#include "bus/BusLines.h"
#include "bus/TakeLinesIdle.h"
#include "bus/Port95.h"
#include "display/TProgressBar.h"
#include "display/TStatusBar.h"
#include "dump/DumpBuffer.h"
#include "runtime/IntToStr.h"

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

void ClockPulses(int count) {
  for (int pulse = 0; pulse < count; ++pulse) ClockPulse();
}

// Clocks in one byte, most significant bit first, sampling SO right after each rising edge.
std::uint8_t ReceiveByte() {
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

// What the way out met after a port error stopped the read between two line changes, for the
// message: the clock taken low and the chip deselected, or the port failing that too. The chip
// is not left in the middle of a transaction, so the next read starts with SCK and SI low.
std::string WhatTheWayOutMet(const std::optional<std::string>& outcome) {
  if (!outcome) return "";
  const std::string met = outcome->empty() ? "\nThe clock was taken low and the chip deselected."
                                           : "\nTaking the clock low and deselecting the chip failed too: " + *outcome;
  return met + "\nCheck the cable, the adapter's supply and the parallel port (or its card), then read again.";
}

void ReadAllBytes(TProgressBar& progressBar, TStatusBar& statusBar) {
  // Select the chip.
  CsLine = 0;
  OutputLines();
  BusDelay();

  // READ instruction 0x03: six zero bits (SI is already low), then two one bits.
  ClockPulses(6);
  SiLine = 1;
  OutputLines();
  BusDelay();
  ClockPulses(2);
  SiLine = 0;
  OutputLines();
  BusDelay();

  // Start address 0x0000: sixteen zero bits.
  ClockPulses(16);

  progressBar.SetMax(static_cast<int>(EepromSize));
  for (std::size_t address = 0; address < EepromSize; ++address) {
    const std::uint8_t value = ReceiveByte();
    DumpBuffer[address] = value;
    statusBar.SetPanelText("Address : " + IntToStr(static_cast<int>(address)) + ", Content : " + IntToStr(value));
    statusBar.Refresh();
    progressBar.StepIt();
  }

  // Deselect: the lines are idle again. No wait is needed after the last change.
  CsLine = 1;
  OutputLines();
}
}  // namespace

void ReadEeprom(TProgressBar& progressBar, TStatusBar& statusBar) {
  // A read starts on a deselected chip, so that its select is a falling edge the chip sees.
  if (ChipSelectedOnBus()) {
    TakeLinesIdle();
    BusDelay();
  }
  // Whatever ends the read early (a port error, a display that fails, memory running out), the
  // clock goes low, then the chip is deselected: a chip left selected would go on from where it
  // stopped at the next read, which would then save a shifted image.
  TakeLinesIdleOnAnyEnd idleOnAnyWayOut;
  try {
    ReadAllBytes(progressBar, statusBar);
  } catch (const EPortError& error) {
    // Said in the message: what the way out met.
    const std::string afterwards = WhatTheWayOutMet(idleOnAnyWayOut.TakeLinesIdleNow());
    if (afterwards.empty()) throw;
    throw EPortError(error.what() + afterwards, error.OsError(), error.Call());
  }
}
