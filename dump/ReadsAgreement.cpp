// SPDX-License-Identifier: MIT
#include "dump/ReadsAgreement.h"

#include <algorithm>

std::optional<ReadsDisagreement> CompareReads(const RepeatedReads& reads) {
  const std::size_t count = reads.Count();
  bool allSame = true;
  for (std::size_t read = 1; read < count; ++read) allSame = allSame && reads.Same(0, read);
  if (count < 2 || allSame) return std::nullopt;

  ReadsDisagreement result;
  result.reads = count;
  for (std::size_t read = 0; read < count; ++read) {
    std::size_t same = 0;
    bool seenBefore = false;
    for (std::size_t other = 0; other < count; ++other) {
      if (!reads.Same(read, other)) continue;
      ++same;
      seenBefore = seenBefore || other < read;
    }
    result.mostCommonCount = std::max(result.mostCommonCount, same);
    if (!seenBefore) ++result.distinctImages;
  }

  // The level of each bit that most reads gave.
  std::vector<std::array<std::uint8_t, 8>> ones(EepromSize);
  for (std::size_t read = 0; read < count; ++read) {
    const EepromImage& image = reads.Read(read);
    for (std::size_t address = 0; address < EepromSize; ++address) {
      for (int bit = 0; bit < 8; ++bit) ones[address][bit] += (image[address] >> bit) & 1u;
    }
  }
  // The bits where most reads agree at an address: a read is off only where it leaves such a
  // majority. Where the reads split evenly there is none, and no read is off there.
  std::vector<std::uint8_t> decided(EepromSize, 0);
  for (std::size_t address = 0; address < EepromSize; ++address) {
    bool differs = false;
    for (int bit = 0; bit < 8; ++bit) {
      const std::size_t high = ones[address][bit];
      if (2 * high > count)
        result.majority[address] = static_cast<std::uint8_t>(result.majority[address] | (1u << bit));
      if (2 * high != count) decided[address] = static_cast<std::uint8_t>(decided[address] | (1u << bit));
      if (high == 0 || high == count) continue;
      differs = true;
      if (2 * high == count) {
        result.evenlySplit[bit] += 1;
      } else {
        (2 * high > count ? result.oneReadAsZero : result.zeroReadAsOne)[bit] += 1;
      }
    }
    if (differs) result.addresses.push_back(address);
  }
  result.bytesOffPerRead.assign(count, 0);
  for (std::size_t read = 0; read < count; ++read) {
    const EepromImage& image = reads.Read(read);
    for (const std::size_t address : result.addresses) {
      if (((image[address] ^ result.majority[address]) & decided[address]) != 0) ++result.bytesOffPerRead[read];
    }
  }
  return result;
}
