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
                            "hardware.\n"};
}  // namespace

int main(int argc, char** argv) {
  PrepareProcess();
  if (const auto answered = AnswerHelpOrVersion(argc, argv, Program)) return *answered;
  std::optional<FirstParallelPort> port;
  return RunMainWindow(argc, argv, "", [&port](const std::vector<std::string>& arguments) -> int {
    if (const auto refused = RefuseUnknownArguments(arguments, 0, Program)) return *refused;
    // The port is looked for only now, with the command line taken.
    InstallPortBackend(&port.emplace(AdviceReader::Window));
    return 0;
  });
}
