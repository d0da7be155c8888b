// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>

#include "port/RegisterPort.h"

// The processor I/O calls the direct backend makes, replaceable so tests can stand in for a
// port that latches, a bus that floats, or a refused permission.
struct DirectIoCalls {
  int (*ioperm)(unsigned long from, unsigned long count, int on);
  std::uint8_t (*inb)(std::uint16_t port);
  void (*outb)(std::uint8_t value, std::uint16_t port);
};
const DirectIoCalls& RealDirectIoCalls();

// A parallel port through the processor's own I/O instructions (x86 only), at 0x378 (the first
// port on the board) unless given another base (a PCI or PCIe card's, as /proc/ioports shows
// it). Needs permission for the three registers from the base, which the kernel grants to root
// unless it is locked down, whether or not a port sits there: RegisterPort checks that one answers.
class DirectIoPort : public RegisterPort {
 public:
  explicit DirectIoPort(const DirectIoCalls& calls = RealDirectIoCalls(), std::uint16_t base = DataPort);
  ~DirectIoPort() override;
  DirectIoPort(const DirectIoPort&) = delete;
  DirectIoPort& operator=(const DirectIoPort&) = delete;

 private:
  std::uint8_t In(std::uint16_t address) override { return calls_.inb(address); }
  void Out(std::uint16_t address, std::uint8_t value) override { calls_.outb(value, address); }
  ENoPortAnswers NoPortAnswers(std::uint8_t written, std::uint8_t readBack) const override;

  const DirectIoCalls& calls_;
};
