// SPDX-License-Identifier: MIT
// The first parallel port on Windows, through the stand-in InpOut DLL beside this test.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "bus/BusLines.h"
#include "bus/BusStartUp.h"
#include "bus/Port95.h"
#include "dump/DumpBuffer.h"
#include "dump/ReadEeprom.h"
#include "port/FirstParallelPort.h"
#include "port/PortError.h"
#include "tests/support/FakeDisplays.h"
#include "tests/support/ScratchFolder.h"

namespace {
class InpOutPortTest : public ::testing::Test {
 protected:
  void TearDown() override {
    _putenv("LPT_STANDIN_IMAGE=");
    _putenv("LPT_STANDIN_DRIVER=");
    _putenv("LPT_STANDIN_BASE=");
  }
};

// The window's port when nothing answers where it looks: refused before any read, with where
// it looked and how to find the card's address.
TEST_F(InpOutPortTest, NoPortAtTheAddressIsReportedBeforeAnyRead) {
  _putenv("LPT_STANDIN_BASE=0xD010");  // the adapter sits on a card's port; 0x378 is an empty bus
  FirstParallelPort port;
  InstallPortBackend(&port);
  try {
    BusStartUp();
    ADD_FAILURE() << "an empty bus was taken for a port";
  } catch (const EPortError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("no parallel port answers at I/O 0x378 (0xF1 was written, 0xFF read back; Windows lists "
                           "no parallel port)"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("Device Manager, Ports (COM & LPT)"), std::string::npos) << message;
  }
  InstallPortBackend(nullptr);
}

TEST_F(InpOutPortTest, AWholeReadThroughInp32AndOut32WithTheRealDelayGivesTheChipsImage) {
  EepromImage image{};
  std::mt19937 random(11);
  for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
  const auto folder = NewScratchFolder("lpt-standin");
  const auto path = folder / "image.bin";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), image.size());
  _putenv(("LPT_STANDIN_IMAGE=" + path.string()).c_str());

  FirstParallelPort port;
  InstallPortBackend(&port);
  BusStartUp();
  FakeProgressBar progress;
  FakeStatusBar status;
  ReadEeprom(progress, status);
  InstallPortBackend(nullptr);
  EXPECT_EQ(DumpBuffer, image);
  EXPECT_EQ(status.texts.back(), "Address : 2047, Content : " + std::to_string(image[2047]));
  std::filesystem::remove_all(folder);
}

TEST_F(InpOutPortTest, ADriverThatIsNotOpenIsNamedWithHowToInstallIt) {
  _putenv("LPT_STANDIN_DRIVER=closed");
  FirstParallelPort port;
  try {
    port.Open();
    FAIL() << "opened without a driver";
  } catch (const EPortError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("InpOut: tried 0x378 (the system lists no parallel port): InpOut's driver is not open"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("InstallDriver.exe as administrator"), std::string::npos) << message;
    EXPECT_NE(message.find("Memory Integrity"), std::string::npos) << message;
  }
}
}  // namespace
