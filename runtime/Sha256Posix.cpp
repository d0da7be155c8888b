// SPDX-License-Identifier: MIT
#include <nettle/sha2.h>

#include "runtime/Sha256.h"

std::array<std::uint8_t, 32> Sha256Digest(const std::uint8_t* data, std::size_t size) {
  sha256_ctx context{};
  sha256_init(&context);
  sha256_update(&context, size, data);
  std::array<std::uint8_t, 32> digest{};
  sha256_digest(&context, digest.size(), digest.data());
  return digest;
}
