// SPDX-License-Identifier: MIT
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
                            "  IMAGE  a 2048-byte file the emulated chip holds (default: a built-in demo image)\n",
                            1};
}

int main(int argc, char** argv) {
  PrepareProcess();
  const WindowCommandLine commandLine = ReadWindowCommandLine(argc, argv, Program);
  if (commandLine.exitCode) return *commandLine.exitCode;
  const std::vector<std::string>& image = commandLine.operands;
  std::unique_ptr<EmulatedAdapter> adapter;
  // The caption says the chip is emulated, so a demo dump is never taken for a real one.
  return RunMainWindow(argc, argv, "Korvane (emulated 25160)", [&] {
    try {
      adapter = std::make_unique<EmulatedAdapter>(image.empty() ? DemoEepromImage() : LoadEepromImage(image[0]));
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s: error: %s\n", Program.name.c_str(), error.what());
      return 3;  // as lpt-dump's for an emulated chip's bad IMAGE
    }
    InstallPortBackend(adapter.get());
    return 0;
  });
}
