// SPDX-License-Identifier: MIT
#pragma once
#include <QString>
#include <QWidget>

#include "ui/qt/FramePacedPainting.h"

// The status bar's text panel, painting its own text: a QLabel would relayout its parent on every
// new text. Assistive technology gets the text as static text, and a new text as a change once
// the window is at rest: a screen reader reads "File Saved" or "ERROR", never a read's 2,048 texts.
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
