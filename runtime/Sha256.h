// SPDX-License-Identifier: MIT
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// The SHA-256 digest of the bytes, from the system's own implementation: nettle on Linux, the
// Cryptography API: Next Generation (CNG) on Windows (Vista and later, so Windows 7 too).
std::array<std::uint8_t, 32> Sha256Digest(const std::uint8_t* data, std::size_t size);
