#pragma once
#include <cstdint>

#include "port/PortRegisters.h"  // DataPort, StatusPort: the registers the adapter hangs on

// The adapter's wiring: which register bit carries which EEPROM line.
namespace Wiring {
inline constexpr std::uint8_t CsBit = 0x01;         // data bit 0, pin 2: chip select (active low)
inline constexpr std::uint8_t SckBit = 0x02;        // data bit 1, pin 3: serial clock
inline constexpr std::uint8_t SiBit = 0x04;         // data bit 2, pin 4: serial data into the EEPROM
inline constexpr std::uint8_t UnusedLowBit = 0x08;  // data bit 3, pin 5: always low
inline constexpr std::uint8_t SupplyBits = 0xF0;    // data bits 4..7, pins 6..9: always high
inline constexpr std::uint8_t SoStatusBit = 0x10;   // status bit 4, pin 13 (Select): SO, inverted
}  // namespace Wiring

// Wanted levels of CS, SCK and SI: 1 = line high. Any other value counts as low.
extern std::uint8_t CsLine;
extern std::uint8_t SckLine;
extern std::uint8_t SiLine;

// Chip deselected, clock and data low: the state start-up puts the bus in and every read ends in.
// Only the flags; nothing is written.
void SetIdleLineFlags();

// The bus's start-up: the idle flags, written (0xF1), then one wait.
void PutBusIdle();

// The way out of a read that cannot go on: the clock taken low when the port last took it high
// (whatever the flags say), then the chip deselected with the idle flags. Writes at once, no wait.
void TakeLinesIdle();

// Composes the line byte from the three flags and writes it to DataPort: one write per call.
void OutputLines();

// Whether the last line byte written selected the chip: a read is on the bus. Async-signal-safe.
bool ChipSelectedOnBus();

// The line byte for the given flags, without writing it.
std::uint8_t ComposeLineByte(std::uint8_t cs, std::uint8_t sck, std::uint8_t si);

// The EEPROM's SO bit as seen in a status register value: the adapter inverts it.
inline std::uint8_t SampleDataBit(std::uint8_t status) { return (status & Wiring::SoStatusBit) == 0 ? 1 : 0; }
