// SPDX-License-Identifier: MIT
#include "ui/qt/ProgramEntry.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/qt/LPT_Tool.h"
#include "ui/qt/TApplication.h"

namespace {
bool EnvironmentHas(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

const char* programName = "lpt-tool";

void SayNoDisplay(const char* why) {
  std::fprintf(stderr,
               "%s: error: %s\n"
               "Run it on a desktop, over 'ssh -X', or under 'xvfb-run'; or use lpt-dump (lpt-dump --port emulate for "
               "the emulated chip), which needs no display.\n",
               programName, why);
}

// While the toolkit starts, a display that does not answer ends in a fatal message and an abort
// (and a core dump); it is told in the program's own words and ends with exit code 3 instead. The
// toolkit's warnings on the way there ("could not connect to display", "Could not load the Qt
// platform plugin") are held back: the program's message then stands alone. Once the toolkit has
// started, what it said is passed on.
QtMessageHandler toolkitHandler = nullptr;
struct HeldMessage {
  QtMsgType type;
  QByteArray category;
  QString text;
};
std::vector<HeldMessage> heldMessages;
void OnStartUpMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    heldMessages.push_back({type, QByteArray(context.category != nullptr ? context.category : "default"), message});
    return;
  }
  SayNoDisplay(
      "the display could not be opened (no X server or Wayland compositor answers at "
      "DISPLAY or WAYLAND_DISPLAY).");
  std::_Exit(3);
}
void PassOnHeldMessages() {
  for (const HeldMessage& held : heldMessages) {
    const QMessageLogContext context(nullptr, 0, nullptr, held.category.constData());
    toolkitHandler(held.type, context, held.text);
  }
  heldMessages.clear();
}
}  // namespace

void SendWindowImagesAsData() {
  if (!EnvironmentHas("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
}

int RunMainWindow(int argc, char** argv, const std::string& caption, const BeforeTheWindow& prepare) {
  if (argc > 0) programName = std::strrchr(argv[0], '/') != nullptr ? std::strrchr(argv[0], '/') + 1 : argv[0];
  if (!EnvironmentHas("QT_QPA_PLATFORM") && !EnvironmentHas("DISPLAY") && !EnvironmentHas("WAYLAND_DISPLAY")) {
    SayNoDisplay("no graphical display found (DISPLAY and WAYLAND_DISPLAY are not set).");
    return 3;
  }
  // A Wayland session without X: Qt would try X first and fail.
  if (!EnvironmentHas("QT_QPA_PLATFORM") && !EnvironmentHas("DISPLAY")) qputenv("QT_QPA_PLATFORM", "wayland");
  SendWindowImagesAsData();
  toolkitHandler = qInstallMessageHandler(OnStartUpMessage);
  Application.Initialize(argc, argv);
  qInstallMessageHandler(toolkitHandler);
  PassOnHeldMessages();
  if (prepare) {
    if (const int code = prepare(); code != 0) {
      Application.Shutdown();
      return code;
    }
  }
  QApplication::setApplicationName("LPT_Tool");
  Application.CreateForm(Form1);
  if (!caption.empty()) Form1->setWindowTitle(QString::fromStdString(caption));
  return Application.Run();
}
