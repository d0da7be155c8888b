// SPDX-License-Identifier: MIT
#include "dump/ReadEeprom.h"

#include "bus/SpiBus.h"
#include "display/TProgressBar.h"
#include "display/TStatusBar.h"
#include "dump/DumpBuffer.h"
#include "runtime/IntToStr.h"

namespace {
constexpr std::uint8_t ReadInstruction = 0x03;

void ReadAllBytes(TProgressBar& progressBar, TStatusBar& statusBar) {
  // The READ instruction, then the start address 0x0000; SI ends low with the address's last bit.
  ShiftOut(std::uint32_t{ReadInstruction} << 16, 24);
  progressBar.SetMax(static_cast<int>(EepromSize));
  for (std::size_t address = 0; address < EepromSize; ++address) {
    const std::uint8_t value = ShiftIn();
    DumpBuffer[address] = value;
    statusBar.SetPanelText("Address : " + IntToStr(static_cast<int>(address)) + ", Content : " + IntToStr(value));
    statusBar.Refresh();
    progressBar.StepIt();
  }
}
}  // namespace

void ReadEeprom(TProgressBar& progressBar, TStatusBar& statusBar) {
  WithChipSelected([&] { ReadAllBytes(progressBar, statusBar); });
}
