// SPDX-License-Identifier: MIT
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// The whole content of a 25160: 2048 bytes, index = address.
inline constexpr std::size_t EepromSize = 2048;
using EepromImage = std::array<std::uint8_t, EepromSize>;
