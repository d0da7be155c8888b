#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>

#include "bus/BusLines.h"
#include "bus/FirstParallelPort.h"
#include "bus/PortError.h"
#include "tests/support/RecordingPort.h"

namespace {
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
    EXPECT_NE(message.find("rmmod lp"), std::string::npos) << "the fix for a port held by the printer driver";
    EXPECT_EQ(message.find("lp group"), std::string::npos) << "no fix for a cause that did not occur";
  }

  ppdevWorks = true;
  port.WritePortByte(DataPort, 0xF1);
  port.WritePortByte(DataPort, 0xF0);
  EXPECT_EQ(ppdevTries, 2) << "opened once it works, then kept";
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->Writes(), (std::vector<std::uint8_t>{0xF1, 0xF0}));
}
}  // namespace

TEST(PortAdvice, FitsTheCause) {
  const auto advice = [](const char* call, int osError) {
    return PortAdviceFor(OsPortError(call, "/dev/parport0", osError));
  };
  EXPECT_NE(advice("open", ENOTTY).find("not a parallel port"), std::string::npos);
  EXPECT_NE(advice("ioctl PPCLAIM", ENXIO).find("rmmod lp"), std::string::npos);
  const std::string permission = advice("open", EACCES);
  if (geteuid() == 0) {
    EXPECT_EQ(permission.find("run as root"), std::string::npos) << "never tell root to run as root";
  } else {
    EXPECT_NE(permission.find("lp group"), std::string::npos);
  }
}
