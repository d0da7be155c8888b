// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <set>

#include "bus/BusLines.h"
#include "dump/ImageFile.h"
#include "emu/EmulatedAdapter.h"

namespace {
// Drives the adapter by hand, so each test can break the protocol on purpose.
class EmulatedAdapterTest : public ::testing::Test {
 protected:
  std::string ViolationOf(const std::vector<std::uint8_t>& writes) {
    try {
      for (std::uint8_t value : writes) adapter.WritePortByte(DataPort, value);
    } catch (const EBusViolation& error) {
      return error.what();
    }
    return "";
  }
  EmulatedAdapter adapter{AddressPatternImage()};
};

TEST_F(EmulatedAdapterTest, ReportsWhichAccessBrokeWhichRule) {
  EXPECT_EQ(ViolationOf({0xF1, 0xF0, 0xF2, 0xF6}),
            "Emulated adapter, access 4 (write 0xF6 to 0x378): SI changed while SCK was high; SPI mode 0 changes "
            "SI only while SCK is low.");
}

TEST_F(EmulatedAdapterTest, RefusesEachModeZeroViolation) {
  EXPECT_NE(ViolationOf({0xF1, 0xF0, 0xF2, 0xF3}).find("CS changed while SCK was high"), std::string::npos);
  adapter = EmulatedAdapter{AddressPatternImage()};
  EXPECT_NE(ViolationOf({0xF1, 0xF3}).find("SCK moved while the chip was deselected"), std::string::npos);
  adapter = EmulatedAdapter{AddressPatternImage()};
  EXPECT_NE(ViolationOf({0xF1, 0xF0, 0xF6}).find("SI changed in the same write as SCK"), std::string::npos);
  adapter = EmulatedAdapter{AddressPatternImage()};
  EXPECT_NE(ViolationOf({0xF1, 0xF8}).find("bits 4..7 must stay high"), std::string::npos);
  adapter = EmulatedAdapter{AddressPatternImage()};
  EXPECT_NE(ViolationOf({0x71}).find("bits 4..7 must stay high"), std::string::npos);
}

TEST_F(EmulatedAdapterTest, AnswersOnlyReadAndStatusAndOnlyItsTwoRegisters) {
  // Eight clock pulses with SI high: instruction 0xFF.
  std::vector<std::uint8_t> writes{0xF1, 0xF4};
  for (int bit = 0; bit < 8; ++bit) writes.insert(writes.end(), {0xF6, 0xF4});
  EXPECT_NE(ViolationOf(writes).find("instruction 0xFF is neither READ (0x03) nor RDSR (0x05)"), std::string::npos);
  // A chip busy with a write answers RDSR only, as a real one does.
  adapter = EmulatedAdapter{AddressPatternImage()};
  adapter.Chip().BusyFor(-1);
  writes = {0xF1, 0xF0};
  for (int bit = 0; bit < 6; ++bit) writes.insert(writes.end(), {0xF2, 0xF0});
  writes.insert(writes.end(), {0xF4, 0xF6, 0xF4, 0xF6, 0xF4});
  EXPECT_NE(ViolationOf(writes).find("READ sent while the chip is busy with a write"), std::string::npos);
  EXPECT_THROW(adapter.WritePortByte(0x37A, 0xF1), EBusViolation);
  EXPECT_THROW(adapter.ReadPortByte(DataPort), EBusViolation);
}

TEST_F(EmulatedAdapterTest, PutsNoiseOnTheSevenOtherStatusBits) {
  std::set<int> otherBits;
  for (int read = 0; read < 64; ++read) otherBits.insert(adapter.ReadPortByte(StatusPort) & ~0x10);
  EXPECT_GT(otherBits.size(), 8u);
  // Deselected, SO floats high and the inverter shows it low: never a 1 on Select.
  for (int read = 0; read < 64; ++read) EXPECT_EQ(adapter.ReadPortByte(StatusPort) & 0x10, 0);
}
}  // namespace
