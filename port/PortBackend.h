// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <optional>

// One way of reaching the parallel port's registers: the kernel's ppdev interface or direct
// processor I/O on Linux, InpOut's driver on Windows, or the emulated adapter. Each call reaches the register at once;
// a backend never batches or reorders accesses, because the EEPROM sees every single line change.
class PortBackend {
 public:
  virtual ~PortBackend() = default;
  virtual std::uint8_t ReadPortByte(std::uint16_t port) = 0;
  virtual void WritePortByte(std::uint16_t port, std::uint8_t value) = 0;
  // Lets other programs (a printer, a second reader) use the port until the next access, which
  // takes it back. Best effort: a backend that shares nothing does nothing.
  virtual void Release() {}
  // What the data register drives before this program writes it, where the port can say: an
  // earlier program may have stopped with the chip selected and the clock high. nullopt where
  // it cannot say.
  virtual std::optional<std::uint8_t> DataLatch() { return std::nullopt; }
};
