#include <gtest/gtest.h>

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
                             if (!ppdevWorks)
                               throw EPortError("open on /dev/parport0 failed: No such file or directory");
                             auto recorder = std::make_unique<RecordingPort>();
                             opened = recorder.get();
                             return recorder;
                           }},
                          {"direct I/O", []() -> std::unique_ptr<PortBackend> {
                             throw EPortError("ioperm on I/O ports 0x378-0x37A failed: Operation not permitted");
                           }}});
  try {
    port.WritePortByte(DataPort, 0xF1);
    FAIL() << "no port, yet the write went through";
  } catch (const EPortError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("ppdev: open on /dev/parport0 failed: No such file or directory"), std::string::npos);
    EXPECT_NE(message.find("direct I/O: ioperm on I/O ports 0x378-0x37A failed: Operation not permitted"),
              std::string::npos);
    EXPECT_NE(message.find("modprobe parport_pc ppdev"), std::string::npos);
    EXPECT_NE(message.find("lp group"), std::string::npos);
    EXPECT_NE(message.find("lockdown"), std::string::npos);
  }

  ppdevWorks = true;
  port.WritePortByte(DataPort, 0xF1);
  port.WritePortByte(DataPort, 0xF0);
  EXPECT_EQ(ppdevTries, 2) << "opened once it works, then kept";
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->Writes(), (std::vector<std::uint8_t>{0xF1, 0xF0}));
}
}  // namespace
