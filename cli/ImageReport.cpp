#include "cli/ImageReport.h"

#include "cli/AddressList.h"
#include "cli/Console.h"
#include "dump/ImageChecks.h"

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

void WarnAboutImage(const EepromImage& image) {
  if (const auto value = UniformByte(image).value_or(0x55); value == 0xFF || value == 0x00) {
    WriteText(stderr, value == 0xFF ? "lpt-dump: warning: every byte read is 0xFF: no chip answered (check the chip's "
                                      "seating and the CS, SCK and SI wiring), or the chip is erased.\n"
                                    : "lpt-dump: warning: every byte read is 0x00: the Select line (pin 13) reads high "
                                      "all the time: the adapter has no supply, or pin 13 is not connected.\n");
    return;
  }
  const auto period = RepeatPeriod(image);
  if (!period) return;
  // Parts below the 25080 take one address byte, so the third byte of the READ already clocks
  // their address 0 out unseen and the image starts at their address 1.
  const std::string size = std::to_string(*period);
  WriteText(stderr, "lpt-dump: warning: the image repeats every " + size + " bytes: the chip is likely a " +
                        PartOfSize(*period) + " (" + size + " bytes), not a 25160. The file holds its content " +
                        TimesWord(image.size() / *period) +
                        (*period < 1024 ? ", each copy starting at its address 1" : "") +
                        "; keep it only if that is the chip you meant to read.\n");
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
