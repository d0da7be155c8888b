// SPDX-License-Identifier: MIT
#include "emu/EmulatedAdapter.h"

#include <string>

#include "port/AdapterWiring.h"
#include "port/PortRegisters.h"
#include "runtime/HexText.h"

EmulatedAdapter::EmulatedAdapter(const EepromImage& image, Socket socket, std::uint32_t noiseSeed)
    : chip_(image), socket_(socket), noise_(noiseSeed) {}

void EmulatedAdapter::Violation(const std::string& access, const std::string& rule) const {
  throw EBusViolation("Emulated adapter, access " + std::to_string(accesses_) + " (" + access + "): " + rule + ".");
}

void EmulatedAdapter::WritePortByte(std::uint16_t port, std::uint8_t value) {
  ++accesses_;
  const std::string access = "write " + HexText(value) + " to " + HexText(port, 3);
  if (port != DataPort)
    Violation(access, "the adapter has nothing on this register; only the data register is written");
  if ((value & (Wiring::UnusedLowBit | Wiring::SupplyBits)) != Wiring::SupplyBits) {
    Violation(access, "data bits 4..7 must stay high (they supply the adapter) and bit 3 low");
  }
  latch_ = value;
  if (socket_ != Socket::Chip) return;
  try {
    chip_.Drive(value & Wiring::CsBit, value & Wiring::SckBit, value & Wiring::SiBit);
  } catch (const EBusViolation& broken) {
    Violation(access, broken.what());
  }
}

std::uint8_t EmulatedAdapter::ReadPortByte(std::uint16_t port) {
  ++accesses_;
  if (port != StatusPort) {
    Violation("read of " + HexText(port, 3), "the adapter answers only on the status register");
  }
  bool so = true;  // a floating SO is pulled high
  if (socket_ == Socket::Chip && chip_.So().has_value()) so = *chip_.So();
  // The inverter puts SO's complement on Select; unpowered, the port's own pull-up reads high.
  const bool selectHigh = socket_ == Socket::Unpowered ? true : !so;
  const auto noise = static_cast<std::uint8_t>(noise_() & ~Wiring::SoStatusBit);
  return static_cast<std::uint8_t>(noise | (selectHigh ? Wiring::SoStatusBit : 0));
}
