// lpt-tool-demo: the window on an emulated adapter with a 25160 in its socket, holding a
// built-in image or the 2048-byte image file given as the only argument.
#include <cstdio>
#include <exception>

#include "bus/Port95.h"
#include "emu/EepromImage.h"
#include "emu/EmulatedAdapter.h"
#include "ui/ProgramEntry.h"

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: %s [IMAGE]\n  IMAGE: a 2048-byte file the emulated 25160 holds\n", argv[0]);
    return 2;
  }
  EepromImage image{};
  try {
    image = argc == 2 ? LoadEepromImage(argv[1]) : DemoEepromImage();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    return 2;
  }
  EmulatedAdapter adapter(image);
  InstallPortBackend(&adapter);
  return RunMainWindow(argc, argv);
}
