#include "cli/ImageReport.h"

#include "cli/AddressList.h"
#include "cli/Console.h"
#include "dump/ImageChecks.h"

void WarnAboutImage(const EepromImage& image) {
  if (const auto finding = ImageFinding(image)) WriteText(stderr, "lpt-dump: warning: " + *finding + "\n");
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
