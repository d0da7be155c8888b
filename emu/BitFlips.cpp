#include "emu/BitFlips.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {
bool ParseNumber(const std::string& text, long& number) {
  if (text.empty()) return false;
  char* end = nullptr;
  number = std::strtol(text.c_str(), &end, 0);
  return *end == '\0';
}

// "FIRST-LAST" or "FIRST-" (open end: `last` stays as it is).
bool ParseRange(const std::string& text, long& first, long& last) {
  const auto dash = text.find('-');
  if (dash == std::string::npos) return false;
  const std::string end = text.substr(dash + 1);
  return ParseNumber(text.substr(0, dash), first) && (end.empty() || ParseNumber(end, last));
}
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
  while (std::getline(parts, part, ',')) {
    long first = 0;
    long last = part.rfind("addresses=", 0) == 0 ? 2047 : 0;  // an open end: the chip's last address, or no end
    if (part.rfind("bit=", 0) == 0 && ParseNumber(part.substr(4), first) && first >= 0 && first <= 7) {
      chosenBits = static_cast<std::uint8_t>(chosenBits | (1u << first));
    } else if (part == "0to1" || part == "1to0") {
      flips.direction = part == "0to1" ? BitFlips::Direction::ZeroToOne : BitFlips::Direction::OneToZero;
    } else if (part.rfind("reads=", 0) == 0 && ParseRange(part.substr(6), first, last) && first >= 1 && last >= 0 &&
               (last == 0 || last >= first)) {
      flips.firstRead = static_cast<int>(first);
      flips.lastRead = static_cast<int>(last);
    } else if (part.rfind("addresses=", 0) == 0 && ParseRange(part.substr(10), first, last) && first >= 0 &&
               last <= 2047 && first <= last) {
      flips.firstAddress = static_cast<std::uint16_t>(first);
      flips.lastAddress = static_cast<std::uint16_t>(last);
    } else {
      return std::nullopt;
    }
  }
  if (chosenBits != 0) flips.bits = chosenBits;
  return flips;
}
