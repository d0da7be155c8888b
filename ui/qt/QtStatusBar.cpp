#include "ui/qt/QtStatusBar.h"

#include <QPainter>

#include "ui/qt/FramePacedPainting.h"

// A text panel that paints itself: a QLabel asks its parent layout to recompute on every new
// text, and repainting it also repaints the status bar behind it.
class StatusPanel : public QWidget {
 public:
  explicit StatusPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("StatusPanel");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  }

  void SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    // One request to repaint is enough until the panel paints (during a read, once a frame).
    if (!updateAsked_) update();
    updateAsked_ = true;
    if (!isVisible()) TellAssistiveTechnology();
  }
  const QString& Text() const { return text_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    updateAsked_ = false;
    TellAssistiveTechnology();
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().windowText().color());
    const QRect textArea = rect().adjusted(2, 0, -2, 0);
    const QFontMetrics metrics = fontMetrics();
    const QPoint origin(textArea.left(),
                        textArea.top() + (textArea.height() - metrics.height()) / 2 + metrics.ascent());
    // Cut at the panel's edge: eliding would lay the text out twice at every frame, and every
    // status fits a window of the button's width.
    painter.setClipRect(textArea);
    painter.drawText(origin, text_);
  }

 private:
  // The panel's accessible name is the text it shows, given with each paint: during a read at the
  // display's pace, not 2,048 times. A new name is announced (a name change event), so a screen
  // reader hears "File Saved" or "ERROR" when the save ends.
  void TellAssistiveTechnology() {
    if (accessibleName() != text_) setAccessibleName(text_);
  }

  QString text_;
  bool updateAsked_ = false;
};

QtStatusBar::QtStatusBar(QWidget* parent) : QStatusBar(parent), panel_(new StatusPanel(this)) {
  setSizeGripEnabled(false);
  addWidget(panel_, 1);
}

void QtStatusBar::SetPanelText(const std::string& text) { panel_->SetText(QString::fromStdString(text)); }

std::string QtStatusBar::PanelText() const { return panel_->Text().toStdString(); }

void QtStatusBar::Refresh() { PaintByNextFrame(*panel_); }
