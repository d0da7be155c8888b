#include "dump/ReadEeprom.h"

#include <exception>
#include <string>

#include "bus/BusDelay.h"
#include "bus/BusLines.h"
#include "bus/LinesIdleOnAnyEnd.h"
#include "bus/Port95.h"
#include "dump/DumpBuffer.h"
#include "runtime/IntToStr.h"
#include "ui/toolkit/TProgressBar.h"
#include "ui/toolkit/TStatusBar.h"

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

// A port error can stop the read between two line changes. When the chip was selected, one
// attempt takes the clock low and deselects it, so the chip is not left in the middle of a
// transaction; what that attempt met is added to the message. The flags end idle in any case,
// so the next read starts with SCK and SI low, as the first instruction bits need.
std::string LinesIdleAfterPortError() {
  if (!ChipSelectedOnBus()) return "";
  std::string outcome;
  try {
    TakeLinesIdle();
    outcome = "\nThe clock was taken low and the chip deselected.";
  } catch (const std::exception& error) {
    outcome = std::string("\nTaking the clock low and deselecting the chip failed too: ") + error.what();
  }
  return outcome + "\nCheck the cable, the adapter's supply and the parallel port (or its card), then read again.";
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
  const LinesIdleOnAnyWayOut idleOnAnyWayOut;
  try {
    ReadAllBytes(progressBar, statusBar);
  } catch (const EPortError& error) {
    // Said in the message: what the way out met.
    const std::string afterwards = LinesIdleAfterPortError();
    if (afterwards.empty()) throw;
    throw EPortError(error.what() + afterwards, error.OsError(), error.Call());
  }
}
