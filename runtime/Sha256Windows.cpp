// SPDX-License-Identifier: MIT
#include <windows.h>

#include <bcrypt.h>

#include <stdexcept>

#include "runtime/Sha256.h"

// BCryptHash would be one call, but only from Windows 10 on: the hash object's three calls work
// from Vista on.
std::array<std::uint8_t, 32> Sha256Digest(const std::uint8_t* data, std::size_t size) {
  std::array<std::uint8_t, 32> digest{};
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  const bool done = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0 &&
                    BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0 &&
                    BCryptHashData(hash, const_cast<PUCHAR>(data), static_cast<ULONG>(size), 0) == 0 &&
                    BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0) == 0;
  if (hash != nullptr) BCryptDestroyHash(hash);
  if (algorithm != nullptr) BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!done) throw std::runtime_error("Windows could not compute a SHA-256 (CNG's bcrypt.dll failed)");
  return digest;
}
