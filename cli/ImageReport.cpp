// SPDX-License-Identifier: MIT
#include "cli/ImageReport.h"

#include "cli/AddressList.h"
#include "cli/Console.h"
#include "dump/ImageChecks.h"

void WarnAboutImage(const EepromImage& image, bool chipAnswered) {
  const auto uniform = UniformByte(image);
  std::optional<std::string> finding = ImageFinding(image);
  if (uniform == 0xFF && chipAnswered) finding = "the chip answered its status read and is erased: every byte is 0xFF.";
  if (uniform == 0x00) {
    // A status read cannot tell this case: a chip that answers it reads as a status of 0x00 too.
    finding =
        "every byte read is 0x00: the Select line (pin 13) reads high all the time. SO is likely held low "
        "(a short to ground), or the adapter has no supply (data pins 6 to 9 "
        "power it), or pin 13 is not connected.";
  }
  // Put together from two pieces: from one literal GCC keeps its first 16 bytes, "lpt-dump: warnin",
  // as a constant of their own, which Debian's spelling check then reads as a misspelt word.
  if (finding) WriteText(stderr, std::string("lpt-dump: ") + "warning: " + *finding + "\n");
}

std::string DescribeDifferences(const EepromImage& first, const EepromImage& second, const std::string& subject,
                                const char* how) {
  const std::vector<std::size_t> addresses = DifferingAddresses(first, second);
  if (addresses.empty()) return "";
  const std::string shown = FirstAddresses(addresses, [&](std::size_t address) {
    char values[48];
    std::snprintf(values, sizeof values, how, first[address], second[address]);
    return std::string(values);
  });
  const std::size_t count = addresses.size();
  return subject + " differ in " + std::to_string(count) + (count == 1 ? " byte; at " : " bytes; first at ") + shown +
         ".";
}
