// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>

// The first parallel port's registers as the bus addresses them. Each backend maps these onto
// the port it really reaches (a card's base, a ppdev call, the emulated adapter).
inline constexpr std::uint16_t DataPort = 0x378;
inline constexpr std::uint16_t StatusPort = 0x379;
inline constexpr std::uint16_t ControlPort = 0x37A;

// Control bit 5: a bidirectional port's data lines read the outside instead of driving the latch.
inline constexpr std::uint8_t DataLinesAreInputs = 0x20;
