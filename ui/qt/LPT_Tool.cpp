#include "ui/qt/LPT_Tool.h"

#include <QKeyEvent>

#include "bus/BusLines.h"
#include "dump/ReadEeprom.h"
#include "dump/SaveDump.h"
#include "ui/qt/TApplication.h"

TForm1* Form1 = nullptr;

namespace {
constexpr int StatusBarHeight = 19;  // Qt's own would be 22
constexpr QPoint StoredOuterPosition{227, 151};
}  // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent), SaveDialog1(this), Button1(nullptr), StatusBar1(nullptr), ProgressBar1(nullptr) {
  ui_.setupUi(this);
  Button1 = ui_.Button1;
  StatusBar1 = ui_.StatusBar1;
  ProgressBar1 = ui_.ProgressBar1;
  // The description's geometry is the client area; the stored position is the frame's.
  move(StoredOuterPosition);
  connect(Button1, &QPushButton::clicked, this, [this] { Application.HandleErrorsOf([this] { Button1Click(); }); });
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

void TForm1::FormCreate() { PutBusIdle(); }

void TForm1::Button1Click() {
  ReadEeprom(*ProgressBar1, *StatusBar1);
  SaveDump(SaveDialog1, *StatusBar1);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  StatusBar1->setGeometry(0, height() - StatusBarHeight, width(), StatusBarHeight);
}
