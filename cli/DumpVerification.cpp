#include "cli/DumpVerification.h"

#include <cstdio>

namespace {
constexpr int AddressesShown = 8;
}

std::string DescribeDifferences(const EepromImage& first, const EepromImage& second) {
  int count = 0;
  std::string shown;
  for (std::size_t address = 0; address < first.size(); ++address) {
    if (first[address] == second[address]) continue;
    if (++count <= AddressesShown) {
      char entry[48];
      std::snprintf(entry, sizeof entry, "%s%zu (0x%02X then 0x%02X)", shown.empty() ? "" : ", ", address,
                    first[address], second[address]);
      shown += entry;
    }
  }
  if (count == 0) return "";
  return "The two reads differ in " + std::to_string(count) + (count == 1 ? " byte" : " bytes") +
         "; first at address " + shown + (count > AddressesShown ? " and more" : "") +
         ". Nothing was saved. Check the wiring, the contacts and the supply, then try again.";
}
