// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dump/EepromImage.h"

// What an image read from the socket says about the chip and the wiring, for both front ends
// to tell the user in their own way.

// The value of every byte when all 2048 are the same (an erased chip, no chip, no supply).
std::optional<std::uint8_t> UniformByte(const EepromImage& image);

// A smaller part of the 25xxx family answers the same READ and its address counter wraps, so
// its content fills the image more than once. Returns the image's shortest period when it is
// exactly 1024, 512, 256 or 128 bytes, or nothing: a shorter pattern (one repeated byte, 0x55
// 0xAA, a 64-byte block) is no smaller part's content. UniformByte tells about one repeated byte.
std::optional<std::size_t> RepeatPeriod(const EepromImage& image);

// The 25xxx part whose size is that period ("25080" for 1024 bytes).
const char* PartOfSize(std::size_t bytes);

// What a user is told about an image that looks wrong, in one paragraph: every byte 0xFF (no
// chip answered, or an erased chip), every byte 0x00 (no supply), or a smaller part's content
// repeated. Nothing for an image that looks like a 25160's content.
std::optional<std::string> ImageFinding(const EepromImage& image);

// The addresses at which two images differ, in ascending order.
std::vector<std::size_t> DifferingAddresses(const EepromImage& first, const EepromImage& second);
