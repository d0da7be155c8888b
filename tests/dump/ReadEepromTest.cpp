// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <random>

#include "bus/BusLines.h"
#include "dump/ChipStatus.h"
#include "dump/DumpBuffer.h"
#include "dump/ImageFile.h"
#include "dump/ReadEeprom.h"
#include "emu/EmulatedAdapter.h"
#include "port/PortError.h"
#include "tests/support/FakeDisplays.h"
#include "tests/support/RecordingPort.h"

namespace {
using Kind = BusEvent::Kind;

// The bus as every read finds it, and the displays it is handed.
class ReadEepromTest : public ::testing::Test {
 protected:
  void SetUp() override { SetIdleLineFlags(); }
  void ReadChipHolding(const EepromImage& image, EmulatedAdapter::Socket socket = EmulatedAdapter::Socket::Chip) {
    EmulatedAdapter adapter(image, socket);
    RecordingPort port(&adapter);
    ReadEeprom(progress, status);
  }
  FakeProgressBar progress;
  FakeStatusBar status;
};

// The expected traffic of one read: each write with the delay that follows it.
std::vector<BusEvent> ExpectedTraffic(std::uint8_t status) {
  std::vector<BusEvent> events;
  const auto change = [&](std::uint8_t value) {
    events.push_back({Kind::Write, 0x378, value});
    events.push_back({Kind::Delay});
  };
  const auto pulses = [&](int count, std::uint8_t high, std::uint8_t low) {
    for (int i = 0; i < count; ++i) change(high), change(low);
  };
  change(0xF0);
  pulses(6, 0xF2, 0xF0);
  change(0xF4);
  pulses(2, 0xF6, 0xF4);
  change(0xF0);
  pulses(16, 0xF2, 0xF0);
  for (int bit = 0; bit < 8 * 2048; ++bit) {
    events.push_back({Kind::Write, 0x378, 0xF2});
    events.push_back({Kind::Read, 0x379, status});
    events.push_back({Kind::Delay});
    change(0xF0);
  }
  events.push_back({Kind::Write, 0x378, 0xF1});
  return events;
}

TEST_F(ReadEepromTest, DrivesTheExactWriteReadAndDelaySequenceTwiceInARow) {
  RecordingPort port;
  port.idleStatus = 0x10;
  ReadEeprom(progress, status);
  EXPECT_EQ(port.events, ExpectedTraffic(0x10));
  EXPECT_EQ(port.Count(Kind::Delay), 32819u);
  EXPECT_EQ(port.Count(Kind::Write), 32820u);
  EXPECT_EQ(port.Count(Kind::Read), 16384u);
  EXPECT_EQ(status.texts.size(), 2048u);
  EXPECT_EQ(status.refreshes, 2048);
  EXPECT_EQ(progress.steps, 2048);
  EXPECT_EQ(CsLine, 1);
  EXPECT_EQ(SckLine, 0);
  EXPECT_EQ(SiLine, 0);

  // The second read starts from the idle state the first one left, without writing SI first.
  port.events.clear();
  ReadEeprom(progress, status);
  EXPECT_EQ(port.events, ExpectedTraffic(0x10));
}

TEST_F(ReadEepromTest, CopiesTheChipByteForByte) {
  ReadChipHolding(AddressPatternImage());
  EXPECT_EQ(DumpBuffer, AddressPatternImage());

  EepromImage random{};
  std::mt19937 generator(2048);
  for (auto& cell : random) cell = static_cast<std::uint8_t>(generator());
  ReadChipHolding(random);
  EXPECT_EQ(DumpBuffer, random);
}

TEST_F(ReadEepromTest, ShowsEachAddressAndValueInDecimal) {
  EepromImage image = AddressPatternImage();
  image[0] = 0xA5;
  image[1] = 0;
  image[2] = 255;
  ReadChipHolding(image);
  ASSERT_EQ(status.texts.size(), 2048u);
  EXPECT_EQ(status.texts[0], "Address : 0, Content : 165");
  EXPECT_EQ(status.texts[1], "Address : 1, Content : 0");
  EXPECT_EQ(status.texts[2], "Address : 2, Content : 255");
  EXPECT_EQ(status.texts[2047], "Address : 2047, Content : 255");
  EXPECT_EQ(progress.max, 2048);
}

EepromImage Filled(std::uint8_t value) {
  EepromImage image;
  image.fill(value);
  return image;
}

TEST_F(ReadEepromTest, StoresWhatTheStatusLineShowsWhenNoChipAnswers) {
  ReadChipHolding(AddressPatternImage(), EmulatedAdapter::Socket::Empty);
  EXPECT_EQ(DumpBuffer, Filled(0xFF)) << "SO pulled high reads as 1 bits";
  ReadChipHolding(AddressPatternImage(), EmulatedAdapter::Socket::Unpowered);
  EXPECT_EQ(DumpBuffer, Filled(0x00)) << "an unpowered adapter leaves Select high";
}

TEST_F(ReadEepromTest, ReadsCorrectlyThroughTheRealBusDelay) {
  EepromImage image = AddressPatternImage();
  image[100] = 0x5A;
  EmulatedAdapter adapter(image);
  RecordingPort port(&adapter, /*spin=*/true);
  ReadEeprom(progress, status);
  EXPECT_EQ(DumpBuffer, image);
  EXPECT_EQ(port.Count(Kind::Delay), 32819u);
}
// A port that fails at one write and the `failures - 1` after it, then answers again. In the data
// bits, an even write is the clock's rising edge and an odd one its falling edge.
class PortFailingAtWrite : public EmulatedAdapter {
 public:
  PortFailingAtWrite(const EepromImage& image, int failingWrite, int failures = 1)
      : EmulatedAdapter(image), failingWrite_(failingWrite), failures_(failures) {}
  void WritePortByte(std::uint16_t port, std::uint8_t value) override {
    ++writes_;
    if (writes_ >= failingWrite_ && writes_ < failingWrite_ + failures_) {
      throw EPortError("ioctl PPWDATA on /dev/parport0 failed: Input/output error");
    }
    EmulatedAdapter::WritePortByte(port, value);
  }

 private:
  int failingWrite_;
  int failures_;
  int writes_ = 0;
};

// Reads through the failing port; the port error's message, or "" when none came.
std::string PortErrorOfRead() {
  FakeProgressBar progress;
  FakeStatusBar status;
  try {
    ReadEeprom(progress, status);
  } catch (const EPortError& error) {
    return error.what();
  }
  return "";
}

// The emulated chip refuses CS rising while SCK is high, so the way out must start from what
// the port last took, also when the failed write was the clock going low.
TEST_F(ReadEepromTest, APortErrorTakesTheClockLowThenDeselectsAndTheNextReadIsWhole) {
  // The writes tried last: the failed one, then the way out.
  const std::pair<int, std::vector<std::uint8_t>> cases[] = {
      {1000, {0xF0, 0xF2, 0xF1}},        // the rise failed: SCK is low on the port, so deselect at once
      {1001, {0xF2, 0xF0, 0xF0, 0xF1}},  // the fall failed: SCK is still high, so take it low first
  };
  for (const auto& [failingWrite, lastWrites] : cases) {
    PortFailingAtWrite port(AddressPatternImage(), failingWrite);
    RecordingPort recorder(&port);
    const std::string message = PortErrorOfRead();
    const auto writes = recorder.Writes();
    EXPECT_EQ(std::vector<std::uint8_t>(writes.end() - static_cast<std::ptrdiff_t>(lastWrites.size()), writes.end()),
              lastWrites);
    EXPECT_NE(message.find("Input/output error\nThe clock was taken low and the chip deselected."), std::string::npos)
        << message;
    EXPECT_NE(message.find("Check the cable"), std::string::npos) << message;

    ReadEeprom(progress, status);  // the same port, answering again
    EXPECT_EQ(DumpBuffer, AddressPatternImage());
  }
}

// The way out is tried once: a port that keeps failing sees one attempt, not one from the read's
// report and another from its guard.
TEST_F(ReadEepromTest, APortThatAlsoFailsTheWayOutIsNamedInTheMessageAndTheFlagsEndIdle) {
  PortFailingAtWrite port(AddressPatternImage(), 1000, 100);
  RecordingPort recorder(&port);
  const std::string message = PortErrorOfRead();
  EXPECT_NE(message.find("Input/output error\nTaking the clock low and deselecting the chip failed too: ioctl"),
            std::string::npos)
      << message;
  EXPECT_EQ(recorder.Writes().size(), 1001u) << "the failing write, then one attempt at the way out";
  EXPECT_EQ(CsLine, 1);
  EXPECT_EQ(SckLine, 0);
  EXPECT_EQ(SiLine, 0);
  RecordingPort working;
  OutputLines();  // the chip is deselected on the bus again for the tests that follow
}
// A status bar that fails at one address, as a lost display or an allocation failure would.
class StatusBarFailingAt : public FakeStatusBar {
 public:
  explicit StatusBarFailingAt(std::size_t failing) : failing_(failing) {}
  void SetPanelText(const std::string& text) override {
    if (texts.size() == failing_) throw std::runtime_error("the display has gone");
    FakeStatusBar::SetPanelText(text);
  }

 private:
  std::size_t failing_;
};

// Any error, not only the port's, takes the clock low and then deselects the chip; the next read
// then starts with a select the chip sees and copies it exactly, not shifted.
TEST_F(ReadEepromTest, AnyErrorMidReadLeavesTheBusIdleAndTheNextReadIsExact) {
  EmulatedAdapter adapter(AddressPatternImage());
  RecordingPort recorder(&adapter);
  StatusBarFailingAt failingStatus(13);
  EXPECT_THROW(ReadEeprom(progress, failingStatus), std::runtime_error);
  const auto writes = recorder.Writes();
  EXPECT_EQ(std::vector<std::uint8_t>(writes.end() - 2, writes.end()), (std::vector<std::uint8_t>{0xF0, 0xF1}));
  EXPECT_EQ(CsLine, 1);
  ReadEeprom(progress, status);
  EXPECT_EQ(DumpBuffer, AddressPatternImage());
}

// Lines left selected by whatever came before (a read cut short): the read deselects first.
TEST_F(ReadEepromTest, AReadFindingTheChipSelectedDeselectsItFirst) {
  EmulatedAdapter adapter(AddressPatternImage());
  RecordingPort recorder(&adapter);
  CsLine = 0;
  OutputLines();
  for (int pulse = 0; pulse < 5; ++pulse) {  // part of an instruction, clocked in
    SckLine = 1;
    OutputLines();
    SckLine = 0;
    OutputLines();
  }
  recorder.events.clear();
  ReadEeprom(progress, status);
  ASSERT_GE(recorder.events.size(), 3u);
  EXPECT_EQ(recorder.events[0], (BusEvent{Kind::Write, 0x378, 0xF1}));
  EXPECT_EQ(recorder.events[1], (BusEvent{Kind::Delay}));
  EXPECT_EQ(recorder.events[2], (BusEvent{Kind::Write, 0x378, 0xF0}));
  EXPECT_EQ(DumpBuffer, AddressPatternImage());
}

// lpt-dump's status read: RDSR (0x05) MSB first, SI back low, eight clocks in with the READ's
// edges and sampling, then the clock low before the deselect and one wait after it.
TEST_F(ReadEepromTest, TheStatusReadIsExactAndAReadFollowsItUnchanged) {
  EmulatedAdapter adapter(AddressPatternImage());
  adapter.Chip().SetStatus(0x08);
  RecordingPort port(&adapter);
  EXPECT_EQ(ReadStatusRegister(), 0x08);
  std::vector<std::uint8_t> expected{0xF0};
  const auto pulses = [&](int count, std::uint8_t high, std::uint8_t low) {
    for (int i = 0; i < count; ++i) expected.insert(expected.end(), {high, low});
  };
  pulses(5, 0xF2, 0xF0);
  expected.push_back(0xF4);
  pulses(1, 0xF6, 0xF4);
  expected.push_back(0xF0);
  pulses(1, 0xF2, 0xF0);
  expected.push_back(0xF4);
  pulses(1, 0xF6, 0xF4);
  expected.push_back(0xF0);
  pulses(8, 0xF2, 0xF0);
  expected.push_back(0xF1);
  EXPECT_EQ(port.Writes(), expected);
  EXPECT_EQ(port.Count(Kind::Read), 8u);
  EXPECT_EQ(port.Count(Kind::Delay), expected.size()) << "a wait after every change, the deselect included";
  EXPECT_EQ(port.events.back(), (BusEvent{Kind::Delay}));

  port.events.clear();
  ReadEeprom(progress, status);
  std::vector<std::uint8_t> readWrites;
  for (const BusEvent& event : ExpectedTraffic(0x10)) {
    if (event.kind == Kind::Write) readWrites.push_back(event.value);
  }
  EXPECT_EQ(port.Writes(), readWrites);
  EXPECT_EQ(DumpBuffer, AddressPatternImage());
}

// The chip check's answers, from the emulated socket as lpt-dump's --emulate-chip sets it.
TEST_F(ReadEepromTest, TheChipCheckTellsAnEmptySocketAndABusyChipFromOneThatAnswers) {
  using Answer = ChipStatus::Answer;
  struct Case {
    const char* socket;
    EmulatedAdapter::Socket fitted;
    std::uint8_t stored;
    int busyStatusReads;
    Answer answer;
    std::uint8_t status;
    std::size_t statusReads;  // 0: at least two (re-read while busy)
  };
  const Case cases[] = {
      {"an idle chip", EmulatedAdapter::Socket::Chip, 0x00, 0, Answer::Ready, 0x00, 1},
      {"the upper half protected", EmulatedAdapter::Socket::Chip, 0x88, 0, Answer::Ready, 0x88, 1},
      {"a write that ends", EmulatedAdapter::Socket::Chip, 0x00, 3, Answer::Ready, 0x00, 4},
      {"a write that never ends", EmulatedAdapter::Socket::Chip, 0x04, -1, Answer::Busy, 0x05, 0},
      {"an empty socket", EmulatedAdapter::Socket::Empty, 0x00, 0, Answer::NoChip, 0xFF, 0},
      {"an unpowered adapter", EmulatedAdapter::Socket::Unpowered, 0x00, 0, Answer::Ready, 0x00, 1},
  };
  for (const Case& c : cases) {
    EmulatedAdapter adapter(AddressPatternImage(), c.fitted);
    adapter.Chip().SetStatus(c.stored);
    adapter.Chip().BusyFor(c.busyStatusReads);
    RecordingPort port(&adapter);
    const ChipStatus chip = CheckChip();
    EXPECT_EQ(chip.answer, c.answer) << c.socket;
    EXPECT_EQ(chip.status, c.status) << c.socket;
    const std::size_t statusReads = port.Count(Kind::Read) / 8;
    if (c.statusReads > 0) {
      EXPECT_EQ(statusReads, c.statusReads) << c.socket;
    } else {
      EXPECT_GE(statusReads, 2u) << c.socket;
    }
    EXPECT_EQ(port.Writes().back(), 0xF1) << c.socket << ": the bus ends idle";
  }
  EXPECT_EQ(ProtectedBlocks(0x00), "");
  EXPECT_EQ(ProtectedBlocks(0x84), "the upper quarter (0x600-0x7FF)");
  EXPECT_EQ(ProtectedBlocks(0x08), "the upper half (0x400-0x7FF)");
  EXPECT_EQ(ProtectedBlocks(0x0C), "all of it (0x000-0x7FF)");
}
}  // namespace
