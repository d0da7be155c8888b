#include "dump/ImageChecks.h"

#include <algorithm>

std::optional<std::uint8_t> UniformByte(const EepromImage& image) {
  const std::uint8_t first = image[0];
  if (std::all_of(image.begin(), image.end(), [&](std::uint8_t b) { return b == first; })) return first;
  return std::nullopt;
}

std::optional<std::size_t> RepeatPeriod(const EepromImage& image) {
  // The shortest period of all: a pattern of 2 or 64 bytes also repeats every 128, yet no part
  // in the socket explains it.
  for (std::size_t period = 1; period <= image.size() / 2; ++period) {
    if (!std::equal(image.begin() + static_cast<std::ptrdiff_t>(period), image.end(), image.begin())) continue;
    if (period == 1024 || period == 512 || period == 256 || period == 128) return period;
    return std::nullopt;
  }
  return std::nullopt;
}

const char* PartOfSize(std::size_t bytes) {
  switch (bytes) {
    case 1024:
      return "25080";
    case 512:
      return "25040";
    case 256:
      return "25020";
    case 128:
      return "25010";
    default:
      return "25xxx";
  }
}

std::vector<std::size_t> DifferingAddresses(const EepromImage& first, const EepromImage& second) {
  std::vector<std::size_t> addresses;
  for (std::size_t address = 0; address < first.size(); ++address) {
    if (first[address] != second[address]) addresses.push_back(address);
  }
  return addresses;
}
