// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>

// The interface adapter between the port and the 25160, as data: the bus composes its line
// bytes from it, and the emulated adapters decode them with it. Which register bit carries which
// EEPROM line:
namespace Wiring {
inline constexpr std::uint8_t CsBit = 0x01;         // data bit 0, pin 2: chip select (active low)
inline constexpr std::uint8_t SckBit = 0x02;        // data bit 1, pin 3: serial clock
inline constexpr std::uint8_t SiBit = 0x04;         // data bit 2, pin 4: serial data into the EEPROM
inline constexpr std::uint8_t UnusedLowBit = 0x08;  // data bit 3, pin 5: always low
inline constexpr std::uint8_t SupplyBits = 0xF0;    // data bits 4..7, pins 6..9: always high
inline constexpr std::uint8_t SoStatusBit = 0x10;   // status bit 4, pin 13 (Select): SO, inverted
}  // namespace Wiring
