#include "port/RegisterPort.h"

#include "port/ListedPorts.h"
#include "runtime/HexText.h"

void RegisterPort::DriveDataLines() {
  const std::uint8_t control = In(Address(ControlPort));
  if ((control & DataLinesAreInputs) != 0) {
    Out(Address(ControlPort), static_cast<std::uint8_t>(control & ~DataLinesAreInputs));
  }
}

void RegisterPort::WritePortByte(std::uint16_t port, std::uint8_t value) {
  Out(Address(port), value);
  if (dataChecked_ || port != DataPort) return;
  dataChecked_ = true;
  const std::uint8_t readBack = In(Address(DataPort));
  if (readBack != value) throw NoPortAnswers(value, readBack);
}

std::string NoPortAnswersAt(std::uint16_t base, std::uint8_t written, std::uint8_t readBack) {
  return "no parallel port answers at I/O " + IoAddressText(base) + " (" + HexText(written) + " was written, " +
         HexText(readBack) + " read back";
}
