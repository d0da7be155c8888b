// SPDX-License-Identifier: MIT
#include "ui/qt/DisplayWatch.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "bus/BusLines.h"
#include "bus/TakeLinesIdle.h"
#include "runtime/ProcessEnd.h"

namespace {
volatile bool eventLoopRunning = false;
std::thread::id eventLoopThread;
QtMessageHandler toolkitMessages = nullptr;

[[noreturn]] void EndWithoutTheDisplay() {
  if (ChipSelectedOnBus()) {
    RequestProcessEnd(0, 1);
    if (std::this_thread::get_id() == eventLoopThread) StopBusIfRequested();
    // On another thread: the read puts the bus idle and ends the process at its next wait.
    std::this_thread::sleep_for(std::chrono::seconds(2));
  }
  EndProcess(0, 1);
}

// The toolkit says the connection broke right before it calls exit().
void OnToolkitMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  toolkitMessages(type, context, message);
  const bool connectionLost =
      message.contains("connection broke") || message.contains("connection experienced a fatal error");
  if (eventLoopRunning && connectionLost) EndWithoutTheDisplay();
}

// Any other exit() while the loop runs (the X library's own I/O error handler).
void OnExit() {
  if (eventLoopRunning) EndWithoutTheDisplay();
}

// Another X client may destroy the main window; the toolkit only sees it unmapped.
class DestroyedFromOutside : public QAbstractNativeEventFilter {
 public:
  explicit DestroyedFromOutside(const QWidget& window) : window_(window) {}
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
    if (destroyed->window != window_.winId()) return false;
    std::fprintf(stderr, "%s: the main window was destroyed from outside; ending.\n",
                 qPrintable(QApplication::applicationName()));
    EndWithoutTheDisplay();
  }

 private:
  const QWidget& window_;
};
}  // namespace

int RunWatchingTheDisplay(QWidget& mainWindow) {
  static const bool exitWatched = std::atexit(OnExit) == 0;
  (void)exitWatched;
  DestroyedFromOutside destroyWatch(mainWindow);
  QApplication::instance()->installNativeEventFilter(&destroyWatch);
  toolkitMessages = qInstallMessageHandler(OnToolkitMessage);
  eventLoopThread = std::this_thread::get_id();
  eventLoopRunning = true;
  const int result = QApplication::exec();
  eventLoopRunning = false;
  qInstallMessageHandler(toolkitMessages);
  QApplication::instance()->removeNativeEventFilter(&destroyWatch);
  return result;
}
