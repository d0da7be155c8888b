#include "ui/toolkit/QtStatusBar.h"

#include <QPainter>

// A text panel that paints itself: a QLabel asks its parent layout to recompute on every new
// text, and repainting it also repaints the status bar behind it.
class StatusPanel : public QWidget {
 public:
  explicit StatusPanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  }

  void SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
  }
  const QString& Text() const { return text_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().windowText().color());
    const QRect textArea = rect().adjusted(2, 0, -2, 0);
    painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(text_, Qt::ElideRight, textArea.width()));
  }

 private:
  QString text_;
};

QtStatusBar::QtStatusBar(QWidget* parent) : QStatusBar(parent), panel_(new StatusPanel(this)) {
  setSizeGripEnabled(false);
  addWidget(panel_, 1);
}

void QtStatusBar::SetPanelText(const std::string& text) { panel_->SetText(QString::fromStdString(text)); }

std::string QtStatusBar::PanelText() const { return panel_->Text().toStdString(); }

void QtStatusBar::Refresh() { panel_->repaint(); }
