#include "ui/ProgramEntry.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "ui/LPT_Tool.h"
#include "ui/toolkit/TApplication.h"

namespace {
bool DisplayAvailable() {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}
}  // namespace

int RunMainWindow(int argc, char** argv) {
  if (!DisplayAvailable()) {
    std::fprintf(stderr,
                 "%s: no graphical display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                 "Run it on a desktop, over 'ssh -X', or under 'xvfb-run'.\n",
                 argc > 0 ? argv[0] : "lpt-tool");
    return 3;
  }
  Application.Initialize(argc, argv);
  QApplication::setApplicationName("LPT_Tool");
  Application.CreateForm(Form1);
  return Application.Run();
}
