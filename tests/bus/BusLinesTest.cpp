// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "bus/BusLines.h"
#include "bus/BusStartUp.h"
#include "bus/Port95.h"
#include "dump/ImageFile.h"
#include "emu/EmulatedAdapter.h"
#include "port/PortError.h"
#include "tests/support/RecordingPort.h"

namespace {
struct LineCase {
  std::uint8_t cs, sck, si, expected;
};

TEST(OutputLines, WritesOneLineBytePerCallForEveryFlagCombination) {
  const LineCase cases[] = {
      {1, 0, 0, 0xF1}, {0, 0, 0, 0xF0}, {0, 1, 0, 0xF2}, {0, 0, 1, 0xF4},   {0, 1, 1, 0xF6},
      {1, 1, 1, 0xF7}, {2, 0, 0, 0xF0}, {0, 2, 2, 0xF0}, {255, 1, 0, 0xF2},
  };
  RecordingPort port;
  for (const LineCase& line : cases) {
    CsLine = line.cs;
    SckLine = line.sck;
    SiLine = line.si;
    port.events.clear();
    OutputLines();
    ASSERT_EQ(port.events.size(), 1u);
    EXPECT_EQ(port.events[0], (BusEvent{BusEvent::Kind::Write, 0x378, line.expected}))
        << "flags " << int(line.cs) << int(line.sck) << int(line.si);
    EXPECT_EQ(port.events[0].value & 0xF8, 0xF0) << "bits 4..7 high, bit 3 low";
  }
}

TEST(OutputLines, WritesAgainWhenNothingChanged) {
  RecordingPort port;
  SetIdleLineFlags();
  OutputLines();
  OutputLines();
  EXPECT_EQ(port.Writes(), (std::vector<std::uint8_t>{0xF1, 0xF1}));
}

TEST(SampleDataBit, ReadsSelectInvertedAndIgnoresTheOtherStatusBits) {
  EXPECT_EQ(SampleDataBit(0xEF), 1);
  EXPECT_EQ(SampleDataBit(0x10), 0);
  EXPECT_EQ(SampleDataBit(0x00), 1);
  EXPECT_EQ(SampleDataBit(0xFF), 0);
}

TEST(Port95, RaisesAClearErrorWithoutABackend) {
  PortBackend* previous = InstallPortBackend(nullptr);
  EXPECT_THROW(WritePortByte(DataPort, 0xF1), EPortError);
  EXPECT_THROW(ReadPortByte(StatusPort), EPortError);
  InstallPortBackend(previous);
}
// A port whose data register holds what the kernel's probe left there.
class FakeLatch : public PortBackend {
 public:
  std::uint8_t ReadPortByte(std::uint16_t) override { return 0x10; }
  void WritePortByte(std::uint16_t, std::uint8_t) override {}
  std::optional<std::uint8_t> DataLatch() override { return 0xAA; }
};

// Whatever an earlier program left on the lines, the start-up takes the bus idle as a read's end
// does: a chip left selected with the clock high gets the clock low first, then the deselect
// (the emulated chip raises an error when CS changes while SCK is high).
TEST(BusStartUp, StartsFromWhatTheDataRegisterHolds) {
  // A latch off the supply pattern (the kernel's probe left 0xAA) powers the adapter deselected.
  {
    FakeLatch probed;
    RecordingPort port(&probed);
    BusStartUp();
    EXPECT_EQ(port.Writes(), std::vector<std::uint8_t>{0xF1});
  }
  for (const std::uint8_t left : {0xF2, 0xF6, 0xF0, 0xF1}) {
    EmulatedAdapter adapter(AddressPatternImage());
    adapter.WritePortByte(0x378, 0xF1);
    if ((left & 0x01) == 0) adapter.WritePortByte(0x378, left & ~0x02);  // selected with the clock low
    adapter.WritePortByte(0x378, left);
    RecordingPort port(&adapter);
    ASSERT_NO_THROW(BusStartUp()) << "left at " << int(left);
    const bool selectedWithClockHigh = (left & 0x03) == 0x02;
    const std::vector<std::uint8_t> expected =
        selectedWithClockHigh ? std::vector<std::uint8_t>{static_cast<std::uint8_t>(left & ~0x02), 0xF1}
                              : std::vector<std::uint8_t>{0xF1};
    EXPECT_EQ(port.Writes(), expected) << "left at " << int(left);
  }
}
}  // namespace
