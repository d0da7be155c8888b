// SPDX-License-Identifier: MIT
#include "ui/qt/QtProgressBar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionProgressBar>

#include "ui/qt/FramePacedPainting.h"

QtProgressBar::QtProgressBar(QWidget* parent) : QProgressBar(parent), position_(minimum()) {
  // A fresh QProgressBar shows "no progress" (-1); the native control starts at its minimum.
  setValue(position_);
}

void QtProgressBar::SetMax(int max) {
  ShowPosition(position_);  // the bar holds the position the new range is set around
  setMaximum(max);
  position_ = value();
}

void QtProgressBar::StepIt() {
  // QProgressBar ignores a value above its maximum, so the wrap is done here. Setting its value
  // asks the style whether to repaint and tells assistive technology (0.1 ms, a fifth of a frame's
  // paint): the frames paint the bar at position_, and the QProgressBar gets it once the read ends.
  position_ = SteppedPosition(position_, step_, minimum(), maximum());
  PaintByNextFrame(*this, [this, position = position_] { ShowPosition(position); });
}

void QtProgressBar::ShowPosition(int position) {
  // Its own repaint would wait on the display server; the frame paints the bar.
  setUpdatesEnabled(false);
  setValue(position);
  setUpdatesEnabled(true);
}

void QtProgressBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintFrame(painter);
}

void QtProgressBar::PaintFrame(QPainter& painter) {
  painter.fillRect(QRect(QPoint(0, 0), size()), palette().window());  // behind the groove's round corners
  QStyleOptionProgressBar option;
  initStyleOption(&option);
  option.progress = position_;
  const QRect groove = style()->subElementRect(QStyle::SE_ProgressBarGroove, &option, this);
  painter.drawPixmap(groove.topLeft(), Groove(option, groove.size()));
  QStyleOptionProgressBar part = option;
  part.rect = style()->subElementRect(QStyle::SE_ProgressBarContents, &option, this);
  style()->drawControl(QStyle::CE_ProgressBarContents, &part, &painter, this);
  if (option.textVisible) {
    part.rect = style()->subElementRect(QStyle::SE_ProgressBarLabel, &option, this);
    style()->drawControl(QStyle::CE_ProgressBarLabel, &part, &painter, this);
  }
}

// The style's groove (the empty bar: rounded frame, gradient) costs three quarters of a paint
// and does not change with the position, so it is drawn once into a pixmap and reused; the
// filled part and the label are drawn by the style as usual. Without it the window read at
// 1.033-1.047 of its bus pace on every platform (BM_WindowReadPace), with it at 1.010-1.022; the
// real program (bench/window-pace, 3 reads each) at 1.032 and 1.034 without it on X11 and
// Wayland, 1.027 and 1.028 with it.
const QPixmap& QtProgressBar::Groove(const QStyleOptionProgressBar& option, QSize size) {
  const GrooveLook look{size, option.palette.cacheKey(), option.state, style(), devicePixelRatioF()};
  if (look == grooveLook_ && !groove_.isNull()) return groove_;
  groove_ = QPixmap(size * look.pixelRatio);
  groove_.setDevicePixelRatio(look.pixelRatio);
  groove_.fill(Qt::transparent);
  QPainter painter(&groove_);
  QStyleOptionProgressBar empty = option;
  empty.rect = QRect(QPoint(0, 0), size);
  style()->drawControl(QStyle::CE_ProgressBarGroove, &empty, &painter, this);
  grooveLook_ = look;
  return groove_;
}
