#include "ui/toolkit/QtProgressBar.h"

#include "ui/toolkit/FramePacedPainting.h"

QtProgressBar::QtProgressBar(QWidget* parent) : QProgressBar(parent) {
  // A fresh QProgressBar shows "no progress" (-1); the native control starts at its minimum.
  setValue(minimum());
}

void QtProgressBar::SetMax(int max) { setMaximum(max); }

void QtProgressBar::StepIt() {
  // QProgressBar ignores a value above its maximum, so the wrap is done here. Its own
  // repaint (a styled bar takes 100-300 us) would come every few bytes and wait on the display
  // server; the bar is painted once per frame instead.
  setUpdatesEnabled(false);
  setValue(SteppedPosition(value(), step_, minimum(), maximum()));
  setUpdatesEnabled(true);
  PaintByNextFrame(*this);
}
