// SPDX-License-Identifier: MIT
#include "ui/qt/LPT_Tool.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QScreen>

#include "dump/ReadAndSave.h"
#include "ui/qt/TApplication.h"
#include "ui/qt/X11CloseRequest.h"
#include "ui/toolkit/WindowPlacement.h"

TForm1* Form1 = nullptr;

namespace {
constexpr int StatusBarHeight = 19;  // Qt's own would be 22
constexpr QPoint StoredOuterPosition{227, 151};

// The window to assistive technology: a frame (a top-level window), which a screen reader
// announces by its caption, not the filler a plain QWidget is taken for.
QAccessibleInterface* AccessibleWindow(const QString&, QObject* object) {
  auto* form = qobject_cast<TForm1*>(object);
  return form != nullptr && form->isWindow() ? new QAccessibleWidget(form, QAccessible::Window) : nullptr;
}
// Installed before any window exists: Qt 6.8 makes a window's accessible interface while the window
// is being built, and keeps the one it made first.
[[maybe_unused]] const bool accessibleAsAWindow = (QAccessible::installFactory(AccessibleWindow), true);
}  // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent), SaveDialog1(this), Button1(nullptr), StatusBar1(nullptr), ProgressBar1(nullptr) {
  ui_.setupUi(this);
  Button1 = ui_.Button1;
  StatusBar1 = ui_.StatusBar1;
  ProgressBar1 = ui_.ProgressBar1;
  // The program's icon in the title bar, the task bar and Alt+Tab, each size drawn for itself.
  // The icons are compiled into this library; a static library's resources need naming once.
  Q_INIT_RESOURCE(icons);
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) icon.addFile(QString(":/icons/lpt-tool-%1.png").arg(size));
  setWindowIcon(icon);
  // Names for assistive technology: the button's is its text; the bars say what they show.
  ProgressBar1->setAccessibleName("Read progress");
  StatusBar1->setAccessibleName("Status");
  // The description's geometry is the client area; the stored position is the frame's, kept
  // where the window fits on the screen (a large scale factor, a small screen) and moved onto it
  // where it does not. The frame's own size is known only once shown: allow for a usual one.
  constexpr QSize UsualFrame{8, 31};
  const QRect available = screen()->availableGeometry();
  const ScreenArea placed = PlaceOnScreen(
      {StoredOuterPosition.x(), StoredOuterPosition.y(), width() + UsualFrame.width(), height() + UsualFrame.height()},
      {available.x(), available.y(), available.width(), available.height()});
  move(placed.left, placed.top);
  connect(Button1, &QPushButton::clicked, this, [this] {
    inButton1Click_ = true;
    Application.HandleErrorsOf([this] { Button1Click(); });
    inButton1Click_ = false;
    if (closeAsked_) close();
  });
  Button1->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Button1 && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      Button1->click();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TForm1::FormCreate() { WindowStartUp(); }

void TForm1::Button1Click() {
  ReadAndSave(
      *ProgressBar1, *StatusBar1, SaveDialog1, SaveQuestion, [this] { AfterTheRead(); },
      [](const std::string& why) { Application.Report(why); });
}

// The read handled no events. Of what came meanwhile, a request to close the window is taken
// now (and kept until the handler returns); keys and clicks stay queued for the window, which
// the modal save dialog then blocks, so they never reach the dialog. X11's close request counts
// as input to Qt and is seen in nativeEvent instead: input put off here was seen to get lost.
void TForm1::AfterTheRead() {
  if (!CloseRequestsAreX11Events()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool TForm1::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
  if (inButton1Click_ && IsX11CloseRequest(eventType, message)) closeAsked_ = true;
  return QWidget::nativeEvent(eventType, message, result);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (inButton1Click_) {
    closeAsked_ = true;
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  StatusBar1->setGeometry(0, height() - StatusBarHeight, width(), StatusBarHeight);
}
