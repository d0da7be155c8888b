#include <gtest/gtest.h>

#include "bus/BusLines.h"
#include "bus/Port95.h"
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
}  // namespace
