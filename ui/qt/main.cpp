// SPDX-License-Identifier: MIT
// lpt-tool: the window on the PC's first parallel port.
#include <optional>

#include "bus/Port95.h"
#include "port/FirstParallelPort.h"
#include "runtime/EndingSignals.h"
#include "ui/qt/ProgramEntry.h"
#include "ui/qt/WindowCommandLine.h"

namespace {
const WindowProgram Program{"lpt-tool",
                            "[Qt options such as -style fusion or -reverse]\n"
                            "Reads the 25160 SPI EEPROM on the first parallel port into a window and saves it.\n"
                            "lpt-dump does the same from a terminal; lpt-tool-demo tries the window without "
                            "hardware.\n",
                            0};
}  // namespace

int main(int argc, char** argv) {
  PrepareProcess();
  if (const auto answered = ReadWindowCommandLine(argc, argv, Program).exitCode) return *answered;
  std::optional<FirstParallelPort> port;
  return RunMainWindow(argc, argv, "", [&port] {
    // The port is looked for only now, with the command line taken.
    InstallPortBackend(&port.emplace(AdviceReader::Window));
    return 0;
  });
}
