// SPDX-License-Identifier: MIT
#include "dump/ImageChecksums.h"

#include <zlib.h>

#include <cstdio>

#include "runtime/Sha256.h"

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  return static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0), data, static_cast<uInt>(size)));
}

std::string Sha256Hex(const std::uint8_t* data, std::size_t size) {
  std::string hex;
  char pair[3];
  for (const std::uint8_t byte : Sha256Digest(data, size)) {
    std::snprintf(pair, sizeof pair, "%02x", byte);
    hex += pair;
  }
  return hex;
}

std::string ImageChecksums(const EepromImage& image) {
  char crc[9];
  std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(Crc32(image.data(), image.size())));
  return std::string("CRC-32 ") + crc + ", SHA-256 " + Sha256Hex(image.data(), image.size());
}
