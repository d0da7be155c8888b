#pragma once
#include <cstdint>

#include "port/AdapterWiring.h"  // which register bit carries which EEPROM line
#include "port/PortRegisters.h"  // DataPort, StatusPort: the registers the adapter hangs on

// Wanted levels of CS, SCK and SI: 1 = line high. Any other value counts as low.
extern std::uint8_t CsLine;
extern std::uint8_t SckLine;
extern std::uint8_t SiLine;

// Chip deselected, clock and data low: the state start-up puts the bus in and every read ends in.
// Only the flags; nothing is written.
void SetIdleLineFlags();

// The bus's start-up: the idle flags, written (0xF1), then one wait. (The way out of a read is
// TakeLinesIdle, bus/LinesIdleOnAnyEnd.h.)
void PutBusIdle();

// Composes the line byte from the three flags and writes it to DataPort: one write per call.
// The byte the port took is noted for the way out (bus/LinesIdleOnAnyEnd.h).
void OutputLines();

// The line byte for the given flags, without writing it.
std::uint8_t ComposeLineByte(std::uint8_t cs, std::uint8_t sck, std::uint8_t si);

// The EEPROM's SO bit as seen in a status register value: the adapter inverts it.
inline std::uint8_t SampleDataBit(std::uint8_t status) { return (status & Wiring::SoStatusBit) == 0 ? 1 : 0; }
