// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>

#include "port/PortBackend.h"
#include "port/PortError.h"
#include "port/PortLock.h"
#include "port/PortRegisters.h"

// A parallel port reached register by register from its I/O base, whatever carries each access
// (the processor's own in/out, InpOut's driver): DataPort, StatusPort and ControlPort map onto
// base, base + 1 and base + 2. The two ways differ only in In and Out.
//
// Such access reaches any address, whether a port sits there or not, so the first write of the
// data register is read back before anything else: a real port's data register holds the byte;
// an empty bus reads 0xFF, 0x00 or anything else. A bidirectional port left reading (control bit
// 5) gets its data lines driven, and only such a port has its control register written. A
// mismatch raises ENoPortAnswers, and nothing is read from a port that is not there.
//
// Nothing here keeps a second copy of the program off the port (as the kernel's claim does for
// ppdev), so every access first takes the port's PortLock; Release lets it go. A port that
// another copy is reading raises EPortHeld before anything reaches it.
class RegisterPort : public PortBackend {
 public:
  std::uint8_t ReadPortByte(std::uint16_t port) final;
  void WritePortByte(std::uint16_t port, std::uint8_t value) final;
  void Release() final { lock_.Unlock(); }
  // The data register as read before the first write; nullopt on a bidirectional port left
  // reading, whose data register shows the lines, not the latch.
  std::optional<std::uint8_t> DataLatch() final;

 protected:
  explicit RegisterPort(std::uint16_t base) : base_(base), lock_(base) {}
  std::uint16_t Base() const { return base_; }

  virtual std::uint8_t In(std::uint16_t address) = 0;
  virtual void Out(std::uint16_t address, std::uint8_t value) = 0;
  // Where no port answers: the error, worded for this way of reaching ports.
  virtual ENoPortAnswers NoPortAnswers(std::uint8_t written, std::uint8_t readBack) const = 0;

 private:
  std::uint16_t Address(std::uint16_t port) const { return static_cast<std::uint16_t>(base_ + (port - DataPort)); }
  void Lock();

  std::uint16_t base_;
  PortLock lock_;
  bool dataChecked_ = false;
};

// "no parallel port answers at I/O 0x378 (0xF1 was written, 0xFF read back": the common start.
std::string NoPortAnswersAt(std::uint16_t base, std::uint8_t written, std::uint8_t readBack);
