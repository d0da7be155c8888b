// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>

#include "port/PortBackend.h"
#include "port/PortError.h"
#include "port/PortLock.h"
#include "port/PortRegisters.h"

// A parallel port reached register by register from its I/O base (the processor's in/out, or
// InpOut's driver, which differ only in In and Out): DataPort, StatusPort and ControlPort map
// onto base, base + 1 and base + 2.
//
// Such access reaches any address, port or not, so the first data byte written is read back: a
// mismatch raises ENoPortAnswers before anything is read. A bidirectional port left reading
// (control bit 5) gets its data lines driven; no other port has its control register written.
// Every access first takes the port's PortLock, so a second copy raises EPortHeld instead.
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
