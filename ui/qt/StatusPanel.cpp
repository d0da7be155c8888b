// SPDX-License-Identifier: MIT
#include "ui/qt/StatusPanel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>

namespace {
// The panel as assistive technology sees it: static text whose name and text are what it shows.
class AccessibleStatusPanel : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit AccessibleStatusPanel(StatusPanel* panel) : QAccessibleWidget(panel, QAccessible::StaticText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text kind) const override {
    return kind == QAccessible::Name ? Shown() : QAccessibleWidget::text(kind);
  }

  // Read-only text without a caret or selection.
  QString text(int start, int end) const override { return Shown().mid(start, end - start); }
  int characterCount() const override { return static_cast<int>(Shown().size()); }
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return {};
  }

 private:
  const QString& Shown() const { return static_cast<const StatusPanel*>(object())->Text(); }
};

QAccessibleInterface* AccessibleFor(const QString&, QObject* object) {
  auto* panel = dynamic_cast<StatusPanel*>(object);
  return panel != nullptr ? new AccessibleStatusPanel(panel) : nullptr;
}
}  // namespace

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent) {
  static const bool installed = (QAccessible::installFactory(AccessibleFor), true);
  (void)installed;
  setObjectName("StatusPanel");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

void StatusPanel::SetText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  // One request to repaint is enough until the window paints it (after a read, or at once).
  if (!updateAsked_) update();
  updateAsked_ = true;
  if (!isVisible()) TellAssistiveTechnology();
}

void StatusPanel::paintEvent(QPaintEvent*) {
  updateAsked_ = false;
  QPainter painter(this);
  PaintFrame(painter);
  TellAssistiveTechnology();
}

void StatusPanel::PaintFrame(QPainter& painter) {
  const QRect area(QPoint(0, 0), size());
  painter.fillRect(area, palette().window());
  painter.setPen(palette().windowText().color());
  const QRect textArea = area.adjusted(2, 0, -2, 0);
  const QFontMetrics metrics = fontMetrics();
  const QPoint origin(textArea.left(), textArea.top() + (textArea.height() - metrics.height()) / 2 + metrics.ascent());
  // Cut at the panel's edge: eliding would lay the text out twice at every frame, and every
  // status fits a window of the button's width.
  painter.setClipRect(textArea);
  painter.drawText(origin, text_);
}

void StatusPanel::TellAssistiveTechnology() {
  if (told_ == text_) return;
  QAccessibleTextUpdateEvent changed(this, 0, told_, text_);
  QAccessible::updateAccessibility(&changed);
  QAccessibleEvent renamed(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&renamed);
  told_ = text_;
}
