#pragma once
#include <cstdint>

#include "port/PortBackend.h"
#include "port/PortError.h"
#include "port/PortRegisters.h"

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
// unless it is locked down. DataPort and StatusPort are mapped onto base and base + 1.
//
// Permission is granted whether or not a port sits at the base, so the first write of the data
// register is read back once: a real port's data register holds the byte (its data lines are
// set to outputs on opening); an empty bus reads 0xFF or 0x00. A mismatch raises
// ENoPortAnswers, and nothing is read from a port that is not there.
class DirectIoPort : public PortBackend {
 public:
  explicit DirectIoPort(const DirectIoCalls& calls = RealDirectIoCalls(), std::uint16_t base = DataPort);
  ~DirectIoPort() override;
  DirectIoPort(const DirectIoPort&) = delete;
  DirectIoPort& operator=(const DirectIoPort&) = delete;

  std::uint8_t ReadPortByte(std::uint16_t port) override;
  void WritePortByte(std::uint16_t port, std::uint8_t value) override;

 private:
  std::uint16_t Register(std::uint16_t port) const { return static_cast<std::uint16_t>(base_ + (port - DataPort)); }

  const DirectIoCalls& calls_;
  std::uint16_t base_;
  bool dataChecked_ = false;
};
