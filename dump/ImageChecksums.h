// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>

#include "dump/EepromImage.h"

// The figures that tell an image from another at a glance and match what standard tools print
// for the saved file: the CRC-32 of zip and PNG (crc32 FILE), from zlib, and the SHA-256
// (sha256sum FILE), from the system (runtime/Sha256.h), both in lowercase hex.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);
std::string Sha256Hex(const std::uint8_t* data, std::size_t size);

// "CRC-32 1a2b3c4d, SHA-256 9f86d0...": both figures of a whole image.
std::string ImageChecksums(const EepromImage& image);
