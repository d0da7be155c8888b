// lpt-tool-demo: the window on an emulated adapter with a 25160 in its socket, holding a
// built-in image or the 2048-byte image file given as the only argument.
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "bus/Port95.h"
#include "dump/ImageFile.h"
#include "emu/EmulatedAdapter.h"
#include "runtime/EndingSignals.h"
#include "ui/qt/ProgramEntry.h"

namespace {
constexpr const char* Usage =
    "usage: %s [IMAGE] [Qt options such as -style fusion or -reverse]\n"
    "The LPT_Tool window on an emulated adapter and 25160, so it can be tried without hardware.\n"
    "  IMAGE  a 2048-byte file the emulated chip holds (default: a built-in demo image)\n";
}

int main(int argc, char** argv) {
  PrepareProcess();
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf(Usage, argv[0]);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("lpt-tool-demo " LPT_VERSION "\n");
    return 0;
  }
  std::unique_ptr<EmulatedAdapter> adapter;
  // The caption says the chip is emulated, so a demo dump is never taken for a real one.
  return RunMainWindow(argc, argv, "Korvane (emulated 25160)", [&](const std::vector<std::string>& arguments) {
    // What Qt did not take as its own: the image, if any.
    if (arguments.size() > 1 || (arguments.size() == 1 && arguments[0].rfind('-', 0) == 0)) {
      std::fprintf(stderr, Usage, argv[0]);
      return 2;
    }
    try {
      adapter =
          std::make_unique<EmulatedAdapter>(arguments.empty() ? DemoEepromImage() : LoadEepromImage(arguments[0]));
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
      return 2;
    }
    InstallPortBackend(adapter.get());
    return 0;
  });
}
