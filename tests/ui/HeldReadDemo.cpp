// SPDX-License-Identifier: MIT
// The demo window for the tests that act while a read runs: the same window on the emulated
// adapter and 25160, behind a port that holds each read in its middle while the file named by
// LPT_TEST_HOLD exists (tests/support/ReadHold.h). Caption and image as lpt-tool-demo's.
#include <cstdint>

#include "bus/Port95.h"
#include "dump/ImageFile.h"
#include "emu/EmulatedAdapter.h"
#include "port/PortRegisters.h"
#include "runtime/EndingSignals.h"
#include "tests/support/ReadHold.h"
#include "ui/qt/ProgramEntry.h"

namespace {
class HeldPort : public PortBackend {
 public:
  std::uint8_t ReadPortByte(std::uint16_t port) override { return adapter_.ReadPortByte(port); }
  void WritePortByte(std::uint16_t port, std::uint8_t value) override {
    if (port == DataPort) hold_.OnDataWrite(value);
    adapter_.WritePortByte(port, value);
  }

 private:
  EmulatedAdapter adapter_{DemoEepromImage()};
  ReadHold hold_ = ReadHold::FromEnvironment("LPT_TEST_HOLD");
};
}  // namespace

int main(int argc, char** argv) {
  PrepareProcess();
  HeldPort port;
  InstallPortBackend(&port);
  return RunMainWindow(argc, argv, "Korvane (emulated 25160)");
}
