// SPDX-License-Identifier: MIT
#include "port/RegisterPort.h"

#include "port/ListedPorts.h"
#include "runtime/HexText.h"

void RegisterPort::Lock() {
  if (lock_.TryLock()) return;
  const std::string process = lock_.Holder().empty() ? "" : "process " + lock_.Holder() + ", ";
  throw EPortHeld("I/O " + IoAddressText(base_) + " is in use by another copy of this program (" + process +
                      "a window or lpt-dump reading a chip there): wait until that read is done, then try again",
                  lock_.Holder(), "lock");
}

std::uint8_t RegisterPort::ReadPortByte(std::uint16_t port) {
  Lock();
  return In(Address(port));
}

std::optional<std::uint8_t> RegisterPort::DataLatch() {
  Lock();
  if ((In(Address(ControlPort)) & DataLinesAreInputs) != 0) return std::nullopt;
  return In(Address(DataPort));
}

void RegisterPort::WritePortByte(std::uint16_t port, std::uint8_t value) {
  Lock();
  Out(Address(port), value);
  if (dataChecked_ || port != DataPort) return;
  dataChecked_ = true;
  std::uint8_t readBack = In(Address(DataPort));
  // Only a port that answers has its control register written: its data register read back, or
  // its control register reading other than an empty bus's 0xFF. A bidirectional port left
  // reading shows its lines, not the latch, until its direction bit is cleared.
  const std::uint8_t control = In(Address(ControlPort));
  const bool controlAnswers = control != 0xFF;
  if (controlAnswers && (control & DataLinesAreInputs) != 0) {
    Out(Address(ControlPort), static_cast<std::uint8_t>(control & ~DataLinesAreInputs));
    Out(Address(DataPort), value);
    readBack = In(Address(DataPort));
  }
  if (readBack != value) throw NoPortAnswers(value, readBack);
}

std::string NoPortAnswersAt(std::uint16_t base, std::uint8_t written, std::uint8_t readBack) {
  return "no parallel port answers at I/O " + IoAddressText(base) + " (" + HexText(written) + " was written, " +
         HexText(readBack) + " read back";
}
