// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <functional>

// The SPI mode 0 steps both transactions the chip is sent (READ, and lpt-dump's status read) are
// made of. Every line change goes through the line flags, OutputLines and BusDelay.

// Shifts out the `count` low bits of `bits`, most significant first: SI changes (with its own
// wait) only where the next bit differs, then one clock pulse. SI is left at the last bit.
void ShiftOut(std::uint32_t bits, int count);

// Clocks in one byte, most significant bit first, sampling SO right after each rising edge.
std::uint8_t ShiftIn();

// Runs `transfer` with the chip selected, from a deselected chip, and deselects it at the end.
// Whatever ends it early, the clock goes low and then the chip is deselected: a chip left selected
// would go on from where it stopped. A port error's message says what that way out met.
void WithChipSelected(const std::function<void()>& transfer);
