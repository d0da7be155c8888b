// SPDX-License-Identifier: MIT
#include "cli/ReadsReport.h"

#include <algorithm>
#include <numeric>

#include "cli/AddressList.h"

namespace {
constexpr const char* InCircuitAdvice =
    "In circuit: tie HOLD (pin 7) and WP (pin 3) high, leave the board unpowered (the adapter supplies the chip), "
    "hold the other chips on the bus deselected, and keep the wires under 10 cm.";

// "a, b and c"
std::string Listed(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
  }
  return text;
}

std::string Bytes(std::size_t count) { return std::to_string(count) + (count == 1 ? " byte" : " bytes"); }

// In how many bytes this bit differed, whichever way.
std::size_t Differed(const ReadsDisagreement& found, int bit) {
  return found.oneReadAsZero[bit] + found.zeroReadAsOne[bit] + found.evenlySplit[bit];
}

// " in 3 bytes; first at addresses ..."
std::string WhereTheyDiffer(const ReadsDisagreement& found) {
  return " in " + Bytes(found.addresses.size()) +
         (found.addresses.size() == 1 ? "; at address " : "; first at addresses ") + FirstAddresses(found.addresses);
}

std::string BitsLines(const ReadsDisagreement& found) {
  std::string lines = "Bits that differed (a 1 read as 0 / a 0 read as 1):";
  for (int bit = 7; bit >= 0; --bit) {
    if (Differed(found, bit) == 0) continue;
    lines += "\n  bit " + std::to_string(bit) + ": " + Bytes(Differed(found, bit)) + " (" +
             std::to_string(found.oneReadAsZero[bit]) + " / " + std::to_string(found.zeroReadAsOne[bit]) +
             (found.evenlySplit[bit] > 0 ? ", " + std::to_string(found.evenlySplit[bit]) + " split evenly" : "") + ")";
  }
  return lines;
}

// "bit 3 (4 bytes) and bit 7 (1 byte)": the bit positions that differed, highest first.
std::string BitList(const ReadsDisagreement& found) {
  std::vector<std::string> bits;
  for (int bit = 7; bit >= 0; --bit) {
    if (Differed(found, bit) > 0)
      bits.push_back("bit " + std::to_string(bit) + " (" + Bytes(Differed(found, bit)) + ")");
  }
  return Listed(bits);
}

enum class When { Throughout, FirstReads, LaterReads };

// Which reads stray from the majority: only the first ones, only the later ones, or any.
When WhenTheyDiffer(const ReadsDisagreement& found, std::vector<std::size_t>& straying) {
  for (std::size_t read = 0; read < found.bytesOffPerRead.size(); ++read) {
    if (found.bytesOffPerRead[read] > 0) straying.push_back(read);
  }
  if (found.reads < 3 || straying.empty()) return When::Throughout;
  const bool contiguous = straying.back() - straying.front() + 1 == straying.size();
  if (!contiguous || straying.size() == found.reads) return When::Throughout;
  return straying.front() == 0                ? When::FirstReads
         : straying.back() + 1 == found.reads ? When::LaterReads
                                              : When::Throughout;
}

std::string LikelyCause(const ReadsDisagreement& found, When when, bool oneRange) {
  const auto sum = [](const std::array<std::size_t, 8>& counts) {
    return std::accumulate(counts.begin(), counts.end(), std::size_t{0});
  };
  int bitPositions = 0;
  int onlyBit = 0;
  for (int bit = 0; bit < 8; ++bit) {
    if (Differed(found, bit) > 0) {
      ++bitPositions;
      onlyBit = bit;
    }
  }
  std::string cause;
  if (when == When::LaterReads) {
    cause +=
        "Only the later reads differ: the clip slipping, or the adapter's supply sagging as the reads go on; "
        "check the clip's seat and the supply. ";
  } else if (when == When::FirstReads) {
    cause += "Only the first reads differ: the chip or its supply settling; the later reads agree. ";
  }
  if (bitPositions == 1) {
    cause += "Only bit " + std::to_string(onlyBit) +
             " differs: SO is sampled at a marginal moment for that clock of each byte (a slow SO edge on a long or "
             "loaded cable, a weak inverter on the adapter); shorten the wires and check the SO line. ";
  }
  // The way the bits flip is told by proportion: one way holding four in five flips or more is a
  // pattern; a chance flip the other way among many does not make it a poor contact.
  const std::size_t down = sum(found.oneReadAsZero);
  const std::size_t up = sum(found.zeroReadAsOne);
  const std::size_t flips = up + down;
  const auto share = [flips](std::size_t some, const char* way) {
    return " (" + std::to_string(some) + " of " + std::to_string(flips) + " flips " + way + ")";
  };
  if (up > 0 && 5 * up >= 4 * flips) {
    cause += std::string(down == 0 ? "Only" : "Mostly") + " 0s read as 1s" + share(up, "0 to 1") +
             ": SO is not always driven: a floating SO pin, or another device on the bus; check SO's contact and hold "
             "the other chips deselected. ";
  } else if (down > 0 && 5 * down >= 4 * flips) {
    cause += std::string(up == 0 ? "Only" : "Mostly") + " 1s read as 0s" + share(down, "1 to 0") +
             ": something pulls SO low at times: another device on the bus, or the chip's supply dipping. ";
  } else if (down > 0 && up > 0 && bitPositions > 1) {
    cause += "Bits flip both ways (" + std::to_string(down) + " of " + std::to_string(flips) + " flips 1 to 0, " +
             std::to_string(up) + " 0 to 1): a poor contact or a noisy cable; reseat the clip, clean the pins, " +
             "shorten the cable. ";
  } else if (down == 0 && up == 0 && found.reads > 2) {
    cause +=
        "Each differing bit split the reads evenly, so the way it flips cannot be told: read more times "
        "(--reads 5). ";
  }
  if (oneRange) {
    cause +=
        "The differences sit in one part of the chip: its cells there may be weak; the majority image is the "
        "best guess, and another read of a known-good chip tells the wiring from the chip. ";
  }
  if (!cause.empty()) cause.pop_back();
  return cause;
}
}  // namespace

std::string DescribeDisagreement(const ReadsDisagreement& found) {
  const std::size_t first = found.addresses.front();
  const std::size_t last = found.addresses.back();
  const bool oneRange = found.addresses.size() > 1 && last - first < EepromSize / 4;
  const std::string where = found.addresses.size() == 1 ? "Where: at " + AddressText(first) + " only.\n"
                                                        : "Where: " + std::string(oneRange ? "all within " : "from ") +
                                                              AddressText(first) + " to " + AddressText(last) + ".\n";
  if (found.reads == 2) {
    // Two reads have no majority: which way a bit flipped cannot be told, only where and which.
    const std::string cause = LikelyCause(found, When::Throughout, oneRange);
    return "The 2 reads differ" + WhereTheyDiffer(found) + ", in " + BitList(found) + ".\n" + where +
           (cause.empty() ? "" : "Likely cause: " + cause + "\n") +
           "Read again: --until-agree 10 saves once two reads in a row agree; --reads 5 shows which way the bits "
           "flip.\n" +
           InCircuitAdvice;
  }
  std::string report = "The " + std::to_string(found.reads) + " reads do not agree: they gave " +
                       std::to_string(found.distinctImages) + " different images; the most common came from " +
                       std::to_string(found.mostCommonCount) + (found.mostCommonCount == 1 ? " read" : " reads") +
                       ".\n";
  report += "They differ" + WhereTheyDiffer(found) + ".\n" + BitsLines(found) + "\n" + where;
  std::vector<std::size_t> straying;
  const When when = WhenTheyDiffer(found, straying);
  if (found.reads >= 3 && straying.empty()) {
    report += "When: the reads split evenly wherever they differ, so no read can be told from the others.\n";
  } else if (found.reads >= 3 && straying.size() == found.reads) {
    report += "When: every read strays from the majority somewhere.\n";
  } else if (found.reads >= 3) {
    std::vector<std::string> numbers;
    numbers.reserve(straying.size());
    for (const std::size_t read : straying) numbers.push_back(std::to_string(read + 1));
    report += "When: read" + std::string(straying.size() == 1 ? " " : "s ") + Listed(numbers) +
              (straying.size() == 1 ? " strays" : " stray") + " from the others" +
              (when == When::FirstReads   ? " (the first reads)"
               : when == When::LaterReads ? " (the later reads)"
                                          : "") +
              ".\n";
  }
  report += "Likely cause: " + LikelyCause(found, when, oneRange) + "\n";
  report += InCircuitAdvice;
  return report;
}
