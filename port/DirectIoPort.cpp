// SPDX-License-Identifier: MIT
#include "port/DirectIoPort.h"

#include <cerrno>

#include "port/ListedPorts.h"

namespace {
constexpr unsigned long RegisterCount = 3;  // data, status, control

std::string RegistersText(std::uint16_t base) {
  return "I/O ports " + IoAddressText(base) + "-" + IoAddressText(static_cast<std::uint16_t>(base + 2));
}
}  // namespace

DirectIoPort::DirectIoPort(const DirectIoCalls& calls, std::uint16_t base) : RegisterPort(base), calls_(calls) {
  if (calls_.ioperm(Base(), RegisterCount, 1) != 0) throw OsPortError("ioperm", RegistersText(Base()), errno);
}

DirectIoPort::~DirectIoPort() { calls_.ioperm(Base(), RegisterCount, 0); }

ENoPortAnswers DirectIoPort::NoPortAnswers(std::uint8_t written, std::uint8_t readBack) const {
  return ENoPortAnswers(
      NoPortAnswersAt(Base(), written, readBack) +
          "); check that the port is enabled in the BIOS setup; a PCI or PCIe card sits at another "
          "address (see /proc/ioports): use it through ppdev, or read it with lpt-dump --port direct:ADDRESS",
      ENODEV, "probe");
}
