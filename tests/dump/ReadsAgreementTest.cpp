// SPDX-License-Identifier: MIT
// Repeated reads of one chip: what their comparison and its report say.
#include <gtest/gtest.h>

#include "bus/BusLines.h"
#include "cli/ReadsReport.h"
#include "dump/DumpBuffer.h"
#include "dump/ImageFile.h"
#include "dump/ReadEeprom.h"
#include "dump/ReadsAgreement.h"
#include "emu/BitFlips.h"
#include "emu/EmulatedAdapter.h"
#include "tests/support/FakeDisplays.h"
#include "tests/support/RecordingPort.h"

namespace {
// The chip's image with `count` bytes changed from address `from` on (each one's low bit flipped).
EepromImage Changed(std::size_t from, std::size_t count) {
  EepromImage image = AddressPatternImage();
  for (std::size_t address = from; address < from + count; ++address) image[address] ^= 0x01;
  return image;
}

// Reads 1 and 2 clean, reads 3 and 4 with bit 6 flipped one way: where both later reads flipped,
// the four split evenly and there is no majority, so the clean reads never stray.
TEST(CompareReads, AnEvenSplitHasNoMajorityAndCleanReadsNeverStrayEitherWay) {
  for (const bool oneReadAsZero : {true, false}) {
    EepromImage clean{};
    clean.fill(oneReadAsZero ? 0x40 : 0x00);
    EepromImage third = clean;
    EepromImage fourth = clean;
    for (std::size_t address = 0; address < 300; ++address) third[address] ^= 0x40;     // alone below 100
    for (std::size_t address = 100; address < 400; ++address) fourth[address] ^= 0x40;  // alone from 300
    RepeatedReads reads;
    for (const EepromImage& read : {clean, clean, third, fourth}) reads.Add(read);
    const auto found = CompareReads(reads);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->bytesOffPerRead, (std::vector<std::size_t>{0, 0, 100, 100})) << oneReadAsZero;
    EXPECT_EQ(found->evenlySplit[6], 200u);
    EXPECT_EQ((oneReadAsZero ? found->oneReadAsZero : found->zeroReadAsOne)[6], 200u);
    const std::string report = DescribeDisagreement(*found);
    EXPECT_NE(report.find("When: reads 3 and 4 stray from the others (the later reads)."), std::string::npos) << report;
  }
}

TEST(CompareReads, OneDifferingByteIsNamedOnceInHexAndDecimal) {
  RepeatedReads reads;
  reads.Add(AddressPatternImage());
  reads.Add(Changed(305, 1));
  reads.Add(AddressPatternImage());
  const auto found = CompareReads(reads);
  ASSERT_TRUE(found);
  const std::string report = DescribeDisagreement(*found);
  EXPECT_NE(report.find("They differ in 1 byte; at address 0x0131 (305)."), std::string::npos) << report;
  EXPECT_NE(report.find("Where: at 0x0131 (305) only."), std::string::npos) << report;
  EXPECT_NE(report.find("When: read 2 strays from the others."), std::string::npos) << report;
  RepeatedReads same;
  same.Add(AddressPatternImage());
  same.Add(AddressPatternImage());
  EXPECT_FALSE(CompareReads(same));
}
// Flips only from 0 to 1 (a floating SO), three reads, seeds 1 to 8 (as `--emulate-flips 0.01,0to1
// --reads 3`): a chance byte that differs the other way (two flips meeting in one byte) must not
// turn the finding into "both ways"; the report gives the proportion.
TEST(CompareReads, OneWayFlipsAreToldByTheirProportionWhateverTheSeed) {
  for (std::uint32_t seed = 1; seed <= 8; ++seed) {
    EmulatedAdapter adapter(DemoEepromImage());
    BitFlips flips;
    flips.share = 0.01;
    flips.seed = seed;
    flips.direction = BitFlips::Direction::ZeroToOne;
    adapter.Chip().InjectBitFlips(flips);
    RecordingPort port(&adapter);
    CsLine = SckLine = SiLine = 0;
    RepeatedReads reads;
    for (int read = 0; read < 3; ++read) {
      FakeProgressBar progress;
      FakeStatusBar status;
      ReadEeprom(progress, status);
      reads.Add(DumpBuffer);
      port.events.clear();
    }
    const auto found = CompareReads(reads);
    ASSERT_TRUE(found) << "seed " << seed;
    const std::string report = DescribeDisagreement(*found);
    EXPECT_EQ(report.find("both ways"), std::string::npos) << "seed " << seed << ": " << report;
    EXPECT_NE(report.find("0s read as 1s ("), std::string::npos) << "seed " << seed << ": " << report;
    EXPECT_NE(report.find(" flips 0 to 1)"), std::string::npos) << "seed " << seed << ": " << report;
  }
  // Exactly four in five flips one way is a pattern already.
  ReadsDisagreement edge;
  edge.reads = 3;
  edge.distinctImages = 2;
  edge.mostCommonCount = 2;
  edge.addresses = {1, 2, 3, 4, 5};
  edge.zeroReadAsOne[1] = 2;
  edge.zeroReadAsOne[2] = 2;
  edge.oneReadAsZero[3] = 1;
  edge.bytesOffPerRead = {5, 0, 0};
  const std::string report = DescribeDisagreement(edge);
  EXPECT_NE(report.find("Mostly 0s read as 1s (4 of 5 flips 0 to 1)"), std::string::npos) << report;
}
}  // namespace
