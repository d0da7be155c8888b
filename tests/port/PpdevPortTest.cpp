// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/ppdev.h>
#include <poll.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <cerrno>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "bus/BusLines.h"
#include "port/PortError.h"
#include "port/PpdevPort.h"

namespace {
// A stand-in for the kernel: records each call by name and fails the one it is told to.
struct FakeKernel {
  std::vector<std::string> calls;
  std::string failing;
  int failingError = EIO;
  bool claimed = false;
  unsigned char status = 0x5A;
  std::vector<unsigned char> dataWritten;
  std::optional<std::string> holder;  // what the kernel's port list says
  bool claimBlocks = false;           // a claim waits (up to 5 s) for another program
};
FakeKernel* kernel = nullptr;

std::string NameOf(unsigned long request) {
  switch (request) {
    case PPCLAIM:
      return "PPCLAIM";
    case PPRELEASE:
      return "PPRELEASE";
    case PPDATADIR:
      return "PPDATADIR";
    case PPWDATA:
      return "PPWDATA";
    case PPRSTATUS:
      return "PPRSTATUS";
    default:
      return "other";
  }
}

bool Fails(const std::string& name) {
  if (kernel->failing != name) return false;
  errno = kernel->failingError;
  return true;
}

int FakeOpen(const char*, int flags) {
  kernel->calls.push_back((flags & O_CLOEXEC) != 0 ? "open" : "open-without-cloexec");
  return Fails("open") ? -1 : 7;
}

int FakeIoctl(int, unsigned long request, void* argument) {
  const std::string name = NameOf(request);
  kernel->calls.push_back(name);
  // The real kernel refuses everything but PPCLAIM on an unclaimed port.
  if (!kernel->claimed && name != "PPCLAIM") {
    errno = EINVAL;
    return -1;
  }
  if (name == "PPCLAIM" && kernel->claimBlocks) {
    // Waits as the kernel does: only a signal cuts the wait short.
    if (poll(nullptr, 0, 5000) != 0) return -1;
    errno = ETIMEDOUT;
    return -1;
  }
  if (Fails(name)) return -1;
  if (name == "PPCLAIM") kernel->claimed = true;
  if (name == "PPRELEASE") kernel->claimed = false;
  if (name == "PPDATADIR") {
    EXPECT_EQ(*static_cast<int*>(argument), 0) << "data lines must drive forward";
  }
  if (name == "PPWDATA") kernel->dataWritten.push_back(*static_cast<unsigned char*>(argument));
  if (name == "PPRSTATUS") *static_cast<unsigned char*>(argument) = kernel->status;
  return 0;
}

int FakeClose(int) {
  kernel->calls.push_back("close");
  return 0;
}

std::optional<std::string> FakeHolder(const std::string&) { return kernel->holder; }

const PpdevCalls fakeCalls{FakeOpen, FakeIoctl, FakeClose, FakeHolder};

class PpdevPortTest : public ::testing::Test {
 protected:
  void SetUp() override { kernel = &state; }
  void TearDown() override { kernel = nullptr; }
  std::string OpenFailure() {
    try {
      PpdevPort port("/dev/parport0", fakeCalls);
    } catch (const EPortError& error) {
      return error.what();
    }
    return "";
  }
  FakeKernel state;
};

TEST_F(PpdevPortTest, ClaimsFirstThenSetsForwardAndReleasesOnClose) {
  {
    PpdevPort port("/dev/parport0", fakeCalls);
    port.WritePortByte(DataPort, 0xF1);
    EXPECT_EQ(port.ReadPortByte(StatusPort), 0x5A);
  }
  EXPECT_EQ(state.calls,
            (std::vector<std::string>{"open", "PPCLAIM", "PPDATADIR", "PPWDATA", "PPRSTATUS", "PPRELEASE", "close"}));
  EXPECT_EQ(state.dataWritten, (std::vector<unsigned char>{0xF1}));
}

TEST_F(PpdevPortTest, EveryOpeningFailureNamesDeviceCallAndErrorAndLeavesNothingOpen) {
  state.failing = "open";
  state.failingError = ENOENT;
  EXPECT_EQ(OpenFailure(), "open on /dev/parport0 failed: No such file or directory");

  state = FakeKernel{};
  state.failing = "PPCLAIM";
  state.failingError = ENXIO;  // the kernel has no port behind the device
  EXPECT_EQ(OpenFailure(), "ioctl PPCLAIM on /dev/parport0 failed: No such device or address");
  EXPECT_EQ(state.calls.back(), "close");

  state = FakeKernel{};
  state.failing = "PPDATADIR";
  EXPECT_EQ(OpenFailure(), "ioctl PPDATADIR on /dev/parport0 failed: Input/output error");
  EXPECT_EQ(state.calls, (std::vector<std::string>{"open", "PPCLAIM", "PPDATADIR", "PPRELEASE", "close"}));
}

TEST_F(PpdevPortTest, AccessFailuresAreRaisedNotLost) {
  PpdevPort port("/dev/parport0", fakeCalls);
  state.failing = "PPWDATA";
  EXPECT_THROW(
      {
        try {
          port.WritePortByte(DataPort, 0xF0);
        } catch (const EPortError& error) {
          EXPECT_STREQ(error.what(), "ioctl PPWDATA on /dev/parport0 failed: Input/output error");
          throw;
        }
      },
      EPortError);
  state.failing = "PPRSTATUS";
  EXPECT_THROW(port.ReadPortByte(StatusPort), EPortError);
}

TEST_F(PpdevPortTest, TheIdlePortIsLeftToOtherProgramsAndTakenBackAtTheNextAccess) {
  PpdevPort port("/dev/parport0", fakeCalls);
  port.Release();
  port.Release();
  port.WritePortByte(DataPort, 0xF1);
  EXPECT_EQ(state.calls,
            (std::vector<std::string>{"open", "PPCLAIM", "PPDATADIR", "PPRELEASE", "PPCLAIM", "PPDATADIR", "PPWDATA"}));
  // Another program holds it at the next click: the claim's wait is cut short, and the message says so.
  port.Release();
  state.failing = "PPCLAIM";
  state.failingError = EINTR;
  try {
    port.WritePortByte(DataPort, 0xF0);
    ADD_FAILURE() << "no error";
  } catch (const EPortError& error) {
    EXPECT_NE(std::string(error.what()).find("is in use by another program"), std::string::npos) << error.what();
  }
}
// The kernel names who holds a busy port; the message names it, and ppdev's failure never lets
// another way drive a port that is there.
TEST_F(PpdevPortTest, AHeldPortNamesItsHolderAndIsNoMissingPort) {
  const auto failure = [&](int error, std::optional<std::string> holder) -> std::string {
    state = FakeKernel{};
    state.failing = "PPCLAIM";
    state.failingError = error;
    state.holder = std::move(holder);
    try {
      PpdevPort port("/dev/parport0", fakeCalls);
    } catch (const EPortError& error) {
      return std::string(PpdevFoundNoPort(error) ? "absent: " : "there: ") + error.what();
    }
    return "opened";
  };
  EXPECT_EQ(failure(EINTR, "lp"),
            "there: The parallel port /dev/parport0 is in use by the printer driver lp (a print job, or a print "
            "service such as CUPS).");
  EXPECT_EQ(failure(EINTR, "ppdev0"),
            "there: The parallel port /dev/parport0 is in use by another program that opened it through ppdev (the "
            "kernel names it ppdev0).");
  EXPECT_EQ(failure(EBUSY, ""), "there: The parallel port /dev/parport0 is in use by another program.");
  EXPECT_EQ(failure(ENXIO, "plip"), "there: The parallel port /dev/parport0 is in use by the kernel driver plip.");
  EXPECT_EQ(failure(ENXIO, std::nullopt), "absent: ioctl PPCLAIM on /dev/parport0 failed: No such device or address");
  EXPECT_EQ(failure(EACCES, std::nullopt).rfind("there: ", 0), 0u) << "a refused port is there";
}

TEST_F(PpdevPortTest, TheClaimGivesUpAfterASecondEvenWithItsSignalBlockedOrIgnored) {
  sigset_t blocked;
  sigset_t previous;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGRTMIN);
  pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previousAction {};
  sigaction(SIGRTMIN, &ignore, &previousAction);
  state.claimBlocks = true;
  state.holder = "ppdev1";
  EXPECT_NE(OpenFailure().find("in use by another program"), std::string::npos) << "the wait was cut short";
  sigaction(SIGRTMIN, &previousAction, nullptr);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}
}  // namespace
