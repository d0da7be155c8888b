// SPDX-License-Identifier: MIT
// What the X server shows of the window during and after a read: its pixels are read back from
// the server, so a repaint that stayed in the process's own buffer would be caught.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include "bus/BusLines.h"
#include "bus/Port95.h"
#include "dump/ImageFile.h"
#include "emu/EmulatedAdapter.h"
#include "tests/support/DialogDriver.h"
#include "ui/qt/LPT_Tool.h"
#include "ui/qt/QtProgressBar.h"
#include "ui/qt/QtStatusBar.h"
#include "ui/qt/TApplication.h"

namespace {
QImage ServerPixels(const QWidget& widget) {
  const QPoint at = widget.mapTo(widget.window(), QPoint(0, 0));
  return QGuiApplication::primaryScreen()
      ->grabWindow(widget.window()->winId(), at.x(), at.y(), widget.width(), widget.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

QImage RenderedInProcess(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Takes the server's picture of the status bar once, halfway through the read.
class MidReadCamera : public PortBackend {
 public:
  explicit MidReadCamera(PortBackend& inner) : inner_(inner) {}
  std::uint8_t ReadPortByte(std::uint16_t port) override { return inner_.ReadPortByte(port); }
  void WritePortByte(std::uint16_t port, std::uint8_t value) override {
    inner_.WritePortByte(port, value);
    if (++writes_ == 16 * 1024) midRead = ServerPixels(*Form1->StatusBar1);
  }
  QImage midRead;

 private:
  PortBackend& inner_;
  int writes_ = 0;
};

// Takes the server's pictures the moment the save dialog is shown, before its loop runs.
class DialogShowCamera : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && qobject_cast<QFileDialog*>(watched) != nullptr && status.isNull()) {
      status = ServerPixels(*Form1->StatusBar1);
      progress = ServerPixels(*Form1->ProgressBar1);
    }
    return false;
  }
  QImage status;
  QImage progress;
};

TEST(ScreenPixels, TheServerShowsEveryReadAndItsLastByteBeforeTheDialog) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs under a real X server";
  // The demo's image: the plain address pattern repeats every 256 bytes, which the window would
  // question before the save dialog.
  EmulatedAdapter adapter(DemoEepromImage());
  MidReadCamera camera(adapter);
  InstallPortBackend(&camera);
  SetIdleLineFlags();
  Application.CreateForm(Form1);
  Form1->show();
  while (!Form1->windowHandle()->isExposed()) QApplication::processEvents();
  QApplication::processEvents();
  const QImage beforeRead = ServerPixels(*Form1->StatusBar1);

  DialogShowCamera atDialog;
  qApp->installEventFilter(&atDialog);
  DialogDriver dialogs;
  dialogs.AnswerWith(std::nullopt);
  Form1->Button1->click();
  qApp->removeEventFilter(&atDialog);

  ASSERT_EQ(Form1->StatusBar1->PanelText(), "Address : 2047, Content : 255");
  EXPECT_NE(camera.midRead, beforeRead) << "the status bar changed on screen while the read ran";
  EXPECT_EQ(atDialog.status, RenderedInProcess(*Form1->StatusBar1)) << "the last text is on screen";
  EXPECT_EQ(atDialog.progress, RenderedInProcess(*Form1->ProgressBar1)) << "the full bar is on screen";
  EXPECT_NE(camera.midRead, atDialog.status);
  Application.DestroyMainForm();
  InstallPortBackend(nullptr);
}
}  // namespace
