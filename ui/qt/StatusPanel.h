// SPDX-License-Identifier: MIT
#pragma once
#include <QString>
#include <QWidget>

#include "ui/qt/FramePacedPainting.h"

// The status bar's text panel, painting its own text: a QLabel asks its parent layout to
// recompute on every new text, and repainting it also repaints the status bar behind it.
//
// Assistive technology gets the text as text (AT-SPI's Text interface, a static text role), and
// each new text as a text change once the window is at rest (the panel's own paint, or at once
// when hidden): a screen reader reads "File Saved" or "ERROR" when a save ends, and is not handed
// the 2,048 texts of a read, whose frames paint the panel directly.
class StatusPanel : public QWidget, public FramePaintedWidget {
 public:
  explicit StatusPanel(QWidget* parent);

  void SetText(const QString& text);
  const QString& Text() const { return text_; }

  void PaintFrame(QPainter& painter) override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void TellAssistiveTechnology();

  QString text_;
  QString told_;  // the text assistive technology last heard
  bool updateAsked_ = false;
};
