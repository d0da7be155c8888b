// SPDX-License-Identifier: MIT
// What both programs set up first, tried in child processes (gtest death tests).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#include "bus/BusLines.h"
#include "dump/ImageFile.h"
#include "dump/ReadEeprom.h"
#include "emu/EmulatedAdapter.h"
#include "runtime/EndingSignals.h"
#include "runtime/ProcessEnd.h"
#include "tests/support/FakeDisplays.h"
#include "tests/support/RecordingPort.h"

namespace {
TEST(EndingSignalsDeathTest, ClosedStandardDescriptorsAreReopenedOnDevNull) {
  EXPECT_EXIT(
      {
        close(STDOUT_FILENO);
        close(STDERR_FILENO);
        EnsureStandardDescriptors();
        struct stat out {};
        struct stat err {};
        const bool devNull = fstat(STDOUT_FILENO, &out) == 0 && fstat(STDERR_FILENO, &err) == 0 &&
                             S_ISCHR(out.st_mode) && out.st_rdev == makedev(1, 3) && err.st_rdev == makedev(1, 3);
        _exit(devNull ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// The recording port of the child, for its last words: the data register writes at the end.
RecordingPort* childPort = nullptr;
void PrintLastWrites() {
  char text[64];
  int length = 0;
  const auto writes = childPort->Writes();
  for (std::size_t i = writes.size() - 3; i < writes.size(); ++i) {
    length += std::snprintf(text + length, sizeof text - length, "%02X ", writes[i]);
  }
  (void)!write(STDERR_FILENO, text, length);
}

// Raises the signal at the given bus wait of a read, as a user pressing Ctrl+C would.
class SignalAtDelay : public BusDelayHook {
 public:
  SignalAtDelay(int signalNumber, std::size_t delay) : signal_(signalNumber), delay_(delay) {}
  void OnBusDelay() override {
    if (++delays_ == delay_) std::raise(signal_);
  }

 private:
  int signal_;
  std::size_t delay_;
  std::size_t delays_ = 0;
};

void ReadUntilSignalled(int signalNumber, std::size_t delay) {
  const rlimit noCore{0, 0};  // SIGQUIT's core dump is the system's business, not the test's
  setrlimit(RLIMIT_CORE, &noCore);
  PrepareProcess();
  EmulatedAdapter adapter(AddressPatternImage());
  RecordingPort port(&adapter);
  childPort = &port;
  SetLastWords(PrintLastWrites);
  SignalAtDelay signaller(signalNumber, delay);
  InstallBusDelayHook(&signaller);
  SetIdleLineFlags();
  FakeProgressBar progress;
  FakeStatusBar status;
  ReadEeprom(progress, status);
  _exit(0);
}

TEST(EndingSignalsDeathTest, ASignalDuringAReadTakesTheClockLowThenDeselectsBeforeTheProcessEnds) {
  // Delay 100 follows a 0xF2 (clock high) of the address; delay 101 a 0xF0.
  EXPECT_EXIT(ReadUntilSignalled(SIGINT, 100), ::testing::KilledBySignal(SIGINT), "F2 F0 F1 $");
  EXPECT_EXIT(ReadUntilSignalled(SIGTERM, 101), ::testing::KilledBySignal(SIGTERM), "F2 F0 F1 $");
  EXPECT_EXIT(ReadUntilSignalled(SIGHUP, 5000), ::testing::KilledBySignal(SIGHUP), "F0 F2 F0 F1 $|F2 F0 F1 $");
  EXPECT_EXIT(ReadUntilSignalled(SIGQUIT, 100), ::testing::KilledBySignal(SIGQUIT), "F2 F0 F1 $");
  // Every other signal that ends a process, SIGALRM and the real-time ones too.
  for (const int signalNumber : {SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGRTMIN, SIGRTMAX}) {
    EXPECT_EXIT(ReadUntilSignalled(signalNumber, 100), ::testing::KilledBySignal(signalNumber), "F2 F0 F1 $")
        << strsignal(signalNumber);
  }
}

TEST(EndingSignalsDeathTest, WithoutARunningReadTheProcessEndsASecondLaterWithTheSignal) {
  EXPECT_EXIT(
      {
        PrepareProcess();
        SetChipSelected(true);  // a port that failed with the chip selected
        std::raise(SIGTERM);
        sleep(10);
        _exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

TEST(EndingSignalsDeathTest, ASignalWhileTheBusIsIdleEndsTheProcessAtOnce) {
  EXPECT_EXIT(
      {
        PrepareProcess();
        RecordingPort port;
        SetIdleLineFlags();
        std::raise(SIGTERM);
        _exit(port.events.empty() ? 0 : 1);
      },
      ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_EXIT(
      {
        PrepareProcess();
        std::raise(SIGALRM);  // the programs' own timing never takes it for its own
        _exit(0);
      },
      ::testing::KilledBySignal(SIGALRM), "");
}
}  // namespace
