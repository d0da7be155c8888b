#include "dump/ReadsAgreement.h"

#include <algorithm>
#include <optional>

std::optional<ReadsDisagreement> CompareReads(const std::vector<EepromImage>& reads) {
  if (reads.size() < 2 ||
      std::all_of(reads.begin(), reads.end(), [&](const EepromImage& read) { return read == reads.front(); })) {
    return std::nullopt;
  }
  ReadsDisagreement result;
  result.reads = reads.size();
  std::vector<const EepromImage*> distinct;
  for (const EepromImage& read : reads) {
    const auto count = static_cast<std::size_t>(std::count(reads.begin(), reads.end(), read));
    result.mostCommonCount = std::max(result.mostCommonCount, count);
    if (std::none_of(distinct.begin(), distinct.end(), [&](const EepromImage* seen) { return *seen == read; })) {
      distinct.push_back(&read);
    }
  }
  result.distinctImages = distinct.size();

  result.bytesOffPerRead.assign(reads.size(), 0);
  for (std::size_t address = 0; address < EepromSize; ++address) {
    std::array<std::size_t, 8> ones{};
    for (const EepromImage& read : reads) {
      for (int bit = 0; bit < 8; ++bit) ones[bit] += (read[address] >> bit) & 1u;
    }
    std::uint8_t majority = 0;
    for (int bit = 0; bit < 8; ++bit) {
      if (2 * ones[bit] > reads.size()) majority = static_cast<std::uint8_t>(majority | (1u << bit));
    }
    result.majority[address] = majority;
    bool differs = false;
    for (int bit = 0; bit < 8; ++bit) {
      if (ones[bit] == 0 || ones[bit] == reads.size()) continue;
      differs = true;
      if (2 * ones[bit] == reads.size()) {
        result.evenlySplit[bit] += 1;
      } else {
        const bool high = ((majority >> bit) & 1u) != 0;
        (high ? result.oneReadAsZero : result.zeroReadAsOne)[bit] += 1;
      }
    }
    if (!differs) continue;
    result.addresses.push_back(address);
    for (std::size_t read = 0; read < reads.size(); ++read) {
      if (reads[read][address] != majority) ++result.bytesOffPerRead[read];
    }
  }
  return result;
}
