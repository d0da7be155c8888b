// SPDX-License-Identifier: MIT
#include "emu/BitFlips.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <utility>

namespace {
// A whole number from `lowest` to `highest`, nothing else (no sign, no spaces, no wrapping).
bool ParseNumber(const std::string& text, long lowest, long highest, long& number) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) return false;
  number = std::strtol(text.c_str(), nullptr, 10);
  return number >= lowest && number <= highest;
}

// "FIRST-LAST", or "FIRST-" where `openEnd` allows it (then `last` stays as it is).
bool ParseRange(const std::string& text, long lowest, long highest, bool openEnd, long& first, long& last) {
  const auto dash = text.find('-');
  if (dash == std::string::npos) return false;
  const std::string end = text.substr(dash + 1);
  if (!ParseNumber(text.substr(0, dash), lowest, highest, first)) return false;
  if (end.empty()) return openEnd;
  return ParseNumber(end, first, highest, last);
}

constexpr long MostReads = 1000000;
}  // namespace

std::optional<BitFlips> ParseBitFlips(const std::string& text) {
  std::istringstream parts(text);
  std::string part;
  BitFlips flips;
  if (!std::getline(parts, part, ',')) return std::nullopt;
  char* end = nullptr;
  flips.share = std::strtod(part.c_str(), &end);
  if (part.empty() || *end != '\0' || !std::isfinite(flips.share) || flips.share < 0 || flips.share > 1) {
    return std::nullopt;
  }
  std::uint8_t chosenBits = 0;
  bool directionGiven = false;
  bool readsGiven = false;
  bool addressesGiven = false;
  // Each narrowing once: a second one would silently replace the first.
  const auto once = [](bool& given) { return !std::exchange(given, true); };
  while (std::getline(parts, part, ',')) {
    long first = 0;
    long last = 0;  // reads: an open end
    if (part.rfind("bit=", 0) == 0 && ParseNumber(part.substr(4), 0, 7, first)) {
      chosenBits = static_cast<std::uint8_t>(chosenBits | (1u << first));
    } else if ((part == "0to1" || part == "1to0") && once(directionGiven)) {
      flips.direction = part == "0to1" ? BitFlips::Direction::ZeroToOne : BitFlips::Direction::OneToZero;
    } else if (part.rfind("reads=", 0) == 0 && ParseRange(part.substr(6), 1, MostReads, true, first, last) &&
               once(readsGiven)) {
      flips.firstRead = static_cast<int>(first);
      flips.lastRead = static_cast<int>(last);
    } else if (part.rfind("addresses=", 0) == 0 && ParseRange(part.substr(10), 0, 2047, false, first, last) &&
               once(addressesGiven)) {
      flips.firstAddress = static_cast<std::uint16_t>(first);
      flips.lastAddress = static_cast<std::uint16_t>(last);
    } else {
      return std::nullopt;
    }
  }
  if (chosenBits != 0) flips.bits = chosenBits;
  return flips;
}
