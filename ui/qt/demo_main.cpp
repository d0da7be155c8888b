// lpt-tool-demo: the window on an emulated adapter with a 25160 in its socket, holding a
// built-in image or the 2048-byte image file given as the only argument.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "bus/Port95.h"
#include "dump/ImageFile.h"
#include "emu/EmulatedAdapter.h"
#include "runtime/EndingSignals.h"
#include "ui/qt/ProgramEntry.h"
#include "ui/qt/WindowCommandLine.h"

namespace {
const WindowProgram Program{"lpt-tool-demo",
                            "[IMAGE] [Qt options such as -style fusion or -reverse]\n"
                            "The LPT_Tool window on an emulated adapter and 25160, so it can be tried without "
                            "hardware.\n"
                            "  IMAGE  a 2048-byte file the emulated chip holds (default: a built-in demo image)\n"};
}

int main(int argc, char** argv) {
  PrepareProcess();
  if (const auto answered = AnswerHelpOrVersion(argc, argv, Program)) return *answered;
  std::unique_ptr<EmulatedAdapter> adapter;
  // The caption says the chip is emulated, so a demo dump is never taken for a real one.
  return RunMainWindow(argc, argv, "Korvane (emulated 25160)", [&](const std::vector<std::string>& arguments) {
    // What Qt did not take as its own: the image, if any.
    if (const auto refused = RefuseUnknownArguments(arguments, 1, Program)) return *refused;
    std::vector<std::string> image = arguments;
    std::erase(image, "--");
    try {
      adapter = std::make_unique<EmulatedAdapter>(image.empty() ? DemoEepromImage() : LoadEepromImage(image[0]));
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s: error: %s\n", Program.name.c_str(), error.what());
      return 2;
    }
    InstallPortBackend(adapter.get());
    return 0;
  });
}
