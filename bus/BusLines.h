// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>

#include "port/AdapterWiring.h"  // which register bit carries which EEPROM line
#include "port/PortRegisters.h"  // DataPort, StatusPort: the registers the adapter hangs on

// Wanted levels of CS, SCK and SI: 1 = line high. Any other value counts as low.
extern std::uint8_t CsLine;
extern std::uint8_t SckLine;
extern std::uint8_t SiLine;

// Chip deselected, clock and data low: the state start-up puts the bus in and every read ends in.
// Only the flags; nothing is written. (Taking the lines there is TakeLinesIdle,
// bus/TakeLinesIdle.h.)
void SetIdleLineFlags();

// Composes the line byte from the three flags and writes it to DataPort: one write per call.
// The byte the port took is noted: it is what the chip sees, whatever the flags say later.
void OutputLines();

// The line byte the port last took (after OutputLines, or as learned from the port at start-up:
// NoteLineByteOnPort). Async-signal-safe.
std::uint8_t LineByteOnPort();
void NoteLineByteOnPort(std::uint8_t lineByte);

// Whether the line byte on the port selects the chip: a read is on the bus, which holds a
// requested end of the process back (runtime/ProcessEnd.h). Async-signal-safe.
bool ChipSelectedOnBus();

// The line byte for the given flags, without writing it.
std::uint8_t ComposeLineByte(std::uint8_t cs, std::uint8_t sck, std::uint8_t si);

// The EEPROM's SO bit as seen in a status register value: the adapter inverts it.
inline std::uint8_t SampleDataBit(std::uint8_t status) { return (status & Wiring::SoStatusBit) == 0 ? 1 : 0; }
