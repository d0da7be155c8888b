// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <random>

#include "emu/Eeprom25160.h"
#include "port/PortBackend.h"

// The interface adapter with a 25160 in its socket, as a port backend (port/AdapterWiring.h); the
// seven other status bits carry noise. A write with bit 3 high or a supply bit (4..7) low, any
// other register, or a broken SPI rule raises EBusViolation naming the access.
class EmulatedAdapter : public PortBackend {
 public:
  enum class Socket {
    Chip,      // a 25160 answers
    Empty,     // no chip: SO floats and its pull-up reads high, so every byte reads 0xFF
    Unpowered  // no supply on the adapter: the status line reads high, so every byte reads 0x00
  };

  explicit EmulatedAdapter(const EepromImage& image, Socket socket = Socket::Chip, std::uint32_t noiseSeed = 1);

  std::uint8_t ReadPortByte(std::uint16_t port) override;
  void WritePortByte(std::uint16_t port, std::uint8_t value) override;
  std::optional<std::uint8_t> DataLatch() override { return latch_; }  // the last byte written

  Eeprom25160& Chip() { return chip_; }

 private:
  [[noreturn]] void Violation(const std::string& access, const std::string& rule) const;

  Eeprom25160 chip_;
  Socket socket_;
  std::minstd_rand noise_;
  unsigned long accesses_ = 0;
  std::optional<std::uint8_t> latch_;
};
