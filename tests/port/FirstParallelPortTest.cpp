// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>

#include "bus/BusLines.h"
#include "port/DirectIoPort.h"
#include "port/FirstParallelPort.h"
#include "port/PortError.h"
#include "port/PortLock.h"
#include "port/PpdevPort.h"
#include "tests/support/RecordingPort.h"

namespace {
// Direct I/O's locks live in root's own /run/lpt-tool. A test that takes them gives its process a
// /run of its own first (a private mount namespace with an empty tmpfs there), so it never meets
// a real reader's lock and leaves none behind. False where that cannot be had (not root).
bool RunFolderOfItsOwn() {
  static const bool own = geteuid() == 0 && unshare(CLONE_NEWNS) == 0 &&
                          mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                          mount("tmpfs", "/run", "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") == 0;
  return own;
}
constexpr const char* NoRunFolderOfItsOwn =
    "needs a /run of its own where direct I/O keeps its locks: a private mount namespace, which takes root "
    "and a root folder that is a mount point (not a chroot)";

TEST(FirstParallelPort, NamesEveryAttemptAndTheFixesThenTriesAgainLater) {
  int ppdevTries = 0;
  bool ppdevWorks = false;
  RecordingPort* opened = nullptr;
  FirstParallelPort port({{"ppdev",
                           [&]() -> std::unique_ptr<PortBackend> {
                             ++ppdevTries;
                             if (!ppdevWorks) throw OsPortError("open", "/dev/parport0", ENOENT);
                             auto recorder = std::make_unique<RecordingPort>();
                             opened = recorder.get();
                             return recorder;
                           }},
                          {"direct I/O", []() -> std::unique_ptr<PortBackend> {
                             throw OsPortError("ioctl PPCLAIM", "/dev/parport0", EBUSY);
                           }}});
  try {
    port.WritePortByte(DataPort, 0xF1);
    FAIL() << "no port, yet the write went through";
  } catch (const EPortError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("ppdev: open on /dev/parport0 failed: No such file or directory"), std::string::npos);
    EXPECT_NE(message.find("direct I/O: ioctl PPCLAIM on /dev/parport0 failed: Device or resource busy"),
              std::string::npos);
    EXPECT_NE(message.find("modprobe parport_pc ppdev"), std::string::npos) << "the fix for a missing device";
    EXPECT_NE(message.find("fuser"), std::string::npos) << "the fix for a port held by another program";
    EXPECT_EQ(message.find("lp group"), std::string::npos) << "no fix for a cause that did not occur";
  }

  ppdevWorks = true;
  port.WritePortByte(DataPort, 0xF1);
  port.WritePortByte(DataPort, 0xF0);
  EXPECT_EQ(ppdevTries, 2) << "opened once it works, then kept";
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->Writes(), (std::vector<std::uint8_t>{0xF1, 0xF0}));
}

// Direct I/O would drive the lines behind the kernel's back: it is tried only where ppdev finds no
// port at all, never for one that another program holds or this user may not open.
TEST(FirstParallelPort, NeverGoesPastAPortThatIsThereButHeldOrRefused) {
  for (const int ppdevError : {ENOENT, ENODEV, ENXIO, EACCES, EBUSY, EINTR}) {
    bool directTried = false;
    FirstParallelPort port({{"ppdev",
                             [&]() -> std::unique_ptr<PortBackend> {
                               if (ppdevError == EINTR) throw EPortHeld("in use", "lp", "ioctl PPCLAIM");
                               throw OsPortError("open", "/dev/parport0", ppdevError);
                             },
                             PpdevFoundNoPort},
                            {"direct I/O", [&]() -> std::unique_ptr<PortBackend> {
                               directTried = true;
                               return std::make_unique<RecordingPort>();
                             }}});
    const bool absent = ppdevError == ENOENT || ppdevError == ENODEV || ppdevError == ENXIO;
    if (absent) {
      port.WritePortByte(DataPort, 0xF1);
    } else {
      try {
        port.WritePortByte(DataPort, 0xF1);
        ADD_FAILURE() << "a held or refused port was driven another way";
      } catch (const EPortError& error) {
        EXPECT_EQ(std::string(error.what()).find("direct I/O"), std::string::npos) << error.what();
      }
    }
    EXPECT_EQ(directTried, absent) << std::strerror(ppdevError);
  }
  EXPECT_NE(PortAdviceFor(EPortHeld("in use", "lp", "ioctl PPCLAIM")).find("rmmod lp"), std::string::npos);
  EXPECT_EQ(PortAdviceFor(EPortHeld("in use", "ppdev0", "ioctl PPCLAIM")).find("lp"), std::string::npos)
      << "no printer advice when another ppdev program holds the port";
}
}  // namespace

TEST(PortAdvice, FitsTheCause) {
  const auto advice = [](const char* call, int osError) {
    return PortAdviceFor(OsPortError(call, "/dev/parport0", osError));
  };
  EXPECT_NE(advice("open", ENOTTY).find("not a parallel port"), std::string::npos);
  EXPECT_NE(advice("ioctl PPCLAIM", ENXIO).find("modprobe parport_pc"), std::string::npos);
  EXPECT_NE(advice("ioctl PPWDATA", EIO).find("check the cable"), std::string::npos);
  EXPECT_EQ(advice("ioperm", ENOSYS).find("lp group"), std::string::npos) << "no group lets direct I/O through";
  if (geteuid() == 0) {
    EXPECT_EQ(advice("open", EMFILE).find("lp group"), std::string::npos) << "no group helps root";
  }
  // A window reads the first port only: its advice names no command-line option.
  for (const auto& [call, osError] : {std::pair{"open", ENOENT},
                                      {"open", EACCES},
                                      {"ioperm", ENOSYS},
                                      {"ioperm", EPERM},
                                      {"open", EMFILE},
                                      {"ioctl PPCLAIM", ENXIO}}) {
    const std::string forTheWindow = PortAdviceFor(OsPortError(call, "/dev/parport0", osError), AdviceReader::Window);
    EXPECT_EQ(forTheWindow.find("--"), std::string::npos) << call << " " << osError << ": " << forTheWindow;
  }
  const std::string permission = advice("open", EACCES);
  if (geteuid() == 0) {
    EXPECT_EQ(permission.find("run as root"), std::string::npos) << "never tell root to run as root";
  } else {
    EXPECT_NE(permission.find("lp group"), std::string::npos);
  }
}

// A stand-in for the processor's port instructions: a data register that latches what is
// written, or an empty bus that reads the same value whatever was written.
struct FakeIoBus {
  std::uint16_t base = DataPort;
  bool latches = true;
  std::uint8_t floating = 0xFF;
  std::uint8_t data = 0;
  std::uint8_t control = 0x24;  // a bidirectional port left with its data lines as inputs
  std::vector<std::pair<std::uint16_t, std::uint8_t>> writes;
};
FakeIoBus* bus = nullptr;
const DirectIoCalls fakeIo{[](unsigned long, unsigned long, int) { return 0; },
                           [](std::uint16_t port) -> std::uint8_t {
                             if (port == bus->base + 2) return bus->control;
                             // Left reading (control bit 5), a port's data register shows its lines.
                             const bool reading = (bus->control & DataLinesAreInputs) != 0;
                             if (port == bus->base) return bus->latches && !reading ? bus->data : bus->floating;
                             return port == bus->base + 1 ? 0x7F : 0x00;
                           },
                           [](std::uint8_t value, std::uint16_t port) {
                             bus->writes.emplace_back(port, value);
                             if (port == bus->base + 2) bus->control = value;
                             if (port == bus->base) bus->data = value;
                           }};

TEST(DirectIoPort, AcceptsAPortThatLatchesAndRefusesAnEmptyBusOnceBeforeAnyRead) {
  if (!RunFolderOfItsOwn()) GTEST_SKIP() << NoRunFolderOfItsOwn;
  using Writes = std::vector<std::pair<std::uint16_t, std::uint8_t>>;
  FakeIoBus realPort;
  bus = &realPort;
  {
    DirectIoPort port(fakeIo);
    EXPECT_TRUE(realPort.writes.empty()) << "nothing is written before the first access";
    port.WritePortByte(DataPort, 0xF1);
    port.WritePortByte(DataPort, 0xF0);
    EXPECT_EQ(port.ReadPortByte(StatusPort), 0x7F);
    EXPECT_EQ(realPort.control, 0x04) << "the data lines are driven";
    EXPECT_EQ(realPort.writes, (Writes{{DataPort, 0xF1}, {ControlPort, 0x04}, {DataPort, 0xF1}, {DataPort, 0xF0}}));
  }
  {
    FakeIoBus card;  // a PCIe card's port, its data lines driven already
    card.base = 0xD010;
    card.control = 0x04;
    bus = &card;
    DirectIoPort port(fakeIo, 0xD010);
    port.WritePortByte(DataPort, 0xF1);
    EXPECT_EQ(port.ReadPortByte(StatusPort), 0x7F);
    EXPECT_EQ(card.writes, (Writes{{0xD010, 0xF1}})) << "its control register is left alone";
  }
  {
    FakeIoBus nothing;  // --port 0x888: no port there, every register reads 0xFF
    nothing.base = 0x888;
    nothing.latches = false;
    nothing.control = 0xFF;
    bus = &nothing;
    DirectIoPort port(fakeIo, 0x888);
    EXPECT_THROW(port.WritePortByte(DataPort, 0xF1), ENoPortAnswers);
    EXPECT_EQ(nothing.writes, (Writes{{0x888, 0xF1}})) << "the control register of no port is written";
  }
  for (const std::uint8_t floating : {0xFF, 0x00}) {
    FakeIoBus empty;
    empty.latches = false;
    empty.floating = floating;
    bus = &empty;
    FirstParallelPort first(
        {{"ppdev", []() -> std::unique_ptr<PortBackend> { throw OsPortError("open", "/dev/parport0", ENOENT); }},
         {"direct I/O", [] { return std::make_unique<DirectIoPort>(fakeIo); }}});
    try {
      first.WritePortByte(DataPort, 0xF1);
      ADD_FAILURE() << "an empty bus was taken for a port";
    } catch (const EPortError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find("ppdev: open on /dev/parport0 failed"), std::string::npos) << message;
      EXPECT_NE(message.find("direct I/O: no parallel port answers at I/O 0x378"), std::string::npos) << message;
    }
    EXPECT_THROW(first.WritePortByte(DataPort, 0xF0), EPortError) << "the next access tries again, and fails again";
  }
  bus = nullptr;
}

// Two copies of the program on one port: the second, another process, stops before it touches
// the port, and takes it once the first lets go.
TEST(DirectIoPort, ASecondCopyOnThePortStopsBeforeAnyAccessUntilTheFirstLetsGo) {
  if (!RunFolderOfItsOwn()) GTEST_SKIP() << NoRunFolderOfItsOwn;
  int toChild[2];
  int toParent[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(toParent), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  char signal = 0;
  if (child == 0) {  // the first copy: reads, then lets go when told; it dies with the test
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    close(toChild[1]);
    close(toParent[0]);
    try {
      FakeIoBus first;
      first.base = 0x2E8;
      bus = &first;
      DirectIoPort port(fakeIo, 0x2E8);
      port.WritePortByte(DataPort, 0xF1);
      (void)!write(toParent[1], "r", 1);
      (void)!read(toChild[0], &signal, 1);
      port.Release();
      (void)!write(toParent[1], "f", 1);
      (void)!read(toChild[0], &signal, 1);
    } catch (...) {
      _exit(1);
    }
    _exit(0);
  }
  close(toParent[1]);  // a child that dies ends the parent's reads
  close(toChild[0]);
  ASSERT_EQ(read(toParent[0], &signal, 1), 1);
  // The lock: a file only root can make or open, holding the first copy's process ID.
  PortLock lock(0x2E8);
  struct stat folder {};
  struct stat file {};
  ASSERT_EQ(stat("/run/lpt-tool", &folder), 0);
  EXPECT_EQ(folder.st_mode & 07777, 0755u);
  ASSERT_EQ(stat(lock.Name().c_str(), &file), 0);
  EXPECT_EQ(file.st_mode & 07777, 0600u);
  EXPECT_EQ(file.st_uid, 0u);
  EXPECT_EQ(folder.st_uid, 0u);
  FakeIoBus second;
  second.base = 0x2E8;
  bus = &second;
  {
    DirectIoPort port(fakeIo, 0x2E8);
    try {
      port.WritePortByte(DataPort, 0xF1);
      ADD_FAILURE() << "two copies drove one port";
    } catch (const EPortHeld& error) {
      EXPECT_NE(
          std::string(error.what())
              .find("I/O 0x2E8 is in use by another copy of this program (process " + std::to_string(child) + ", "),
          std::string::npos)
          << error.what();
    }
    DirectIoPort inside(fakeIo, 0x2EC);  // a base typed inside the held port's eight addresses
    EXPECT_THROW(inside.WritePortByte(DataPort, 0xF1), EPortHeld);
    EXPECT_TRUE(second.writes.empty()) << "the second copy touched the port";
    ASSERT_EQ(write(toChild[1], "g", 1), 1);
    ASSERT_EQ(read(toParent[0], &signal, 1), 1);
    port.WritePortByte(DataPort, 0xF1);  // the first let go
    EXPECT_FALSE(second.writes.empty());
  }
  ASSERT_EQ(write(toChild[1], "e", 1), 1);
  int status = 0;
  waitpid(child, &status, 0);
  bus = nullptr;
}

// The lock folder and file are trusted only as root's own: whatever else stands there is named,
// with how to clear it, and the drivers' advice is not given for it.
TEST(PortLock, TrustsOnlyRootsOwnFolderAndFileAndNamesWhatIsInTheWay) {
  if (!RunFolderOfItsOwn()) GTEST_SKIP() << NoRunFolderOfItsOwn;
  const std::string lockFile = PortLock(0x378).Name();
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[] { chmod("/run/lpt-tool", 0775); }, "not root's own (or others may write to it)"},
      {[] { chmod("/run/lpt-tool", 0757); }, "not root's own (or others may write to it)"},
      {[] { (void)!chown("/run/lpt-tool", 65534, 65534); }, "not root's own (or others may write to it)"},
      {[&] { mkdir(lockFile.c_str(), 0700); }, "is a folder"},
      {[&] { (void)!symlink("/etc/passwd", lockFile.c_str()); }, "is a symbolic link"},
      {[&] { close(open(lockFile.c_str(), O_CREAT | O_WRONLY, 0644)); }, "not root's own plain file (mode 0600)"},
  };
  for (const auto& [plant, words] : cases) {
    std::filesystem::remove_all("/run/lpt-tool");
    mkdir("/run/lpt-tool", 0755);
    plant();
    PortLock lock(0x378);
    try {
      lock.TryLock();
      ADD_FAILURE() << "trusted: " << words;
    } catch (const EPortError& error) {
      EXPECT_NE(std::string(error.what()).find(words), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find("Remove it (sudo rm -r /run/lpt-tool)"), std::string::npos);
      EXPECT_EQ(PortAdviceFor(error), "") << words;
    }
  }
  std::filesystem::remove_all("/run/lpt-tool");
}

// The window's and lpt-dump's default: ppdev first, and direct I/O only where ppdev finds no port.
TEST(FirstParallelPort, TheDefaultTriesDirectIoOnlyWhereThereIsNoPpdevPort) {
  const auto attempts = DefaultParallelPortAttempts();
  ASSERT_EQ(attempts.size(), 2u);
  EXPECT_EQ(attempts[0].name, "ppdev");
  EXPECT_EQ(attempts[1].name, "direct I/O");
  ASSERT_NE(attempts[0].foundNoPort, nullptr) << "a held or refused ppdev port would be driven by direct I/O";
  EXPECT_TRUE(attempts[0].foundNoPort(OsPortError("open", "/dev/parport0", ENOENT)));
  EXPECT_FALSE(attempts[0].foundNoPort(OsPortError("open", "/dev/parport0", EACCES)));
}
