// SPDX-License-Identifier: MIT
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

namespace {
const char* TimesWord(std::size_t copies) {
  switch (copies) {
    case 2:
      return "twice";
    case 4:
      return "four times";
    case 8:
      return "eight times";
    default:
      return "sixteen times";
  }
}
}  // namespace

std::optional<std::string> ImageFinding(const EepromImage& image) {
  if (const auto value = UniformByte(image).value_or(0x55); value == 0xFF || value == 0x00) {
    return value == 0xFF ? "every byte read is 0xFF: no chip answered (check the chip's seating and the CS, SCK and SI "
                           "wiring), or the chip is erased."
                         : "every byte read is 0x00: the Select line (pin 13) reads high all the time: the adapter has "
                           "no supply, or pin 13 is not connected.";
  }
  const auto period = RepeatPeriod(image);
  if (!period) return std::nullopt;
  // Parts below the 25080 take one address byte, so the third byte of the READ already clocks
  // their address 0 out unseen: the file's byte 0 is their address 1.
  const std::string size = std::to_string(*period);
  return "the image repeats every " + size + " bytes: the file holds the same " + size + " bytes " +
         TimesWord(image.size() / *period) + ". The chip is likely a " + PartOfSize(*period) + " (" + size +
         " bytes), smaller than a 25160: check the part number printed on it, and keep the image only if that is the "
         "chip you meant to read." +
         (*period < 1024 ? " Each copy then begins with the chip's byte 1 and ends with its byte 0." : "");
}
