#include "ui/toolkit/QtProgressBar.h"

QtProgressBar::QtProgressBar(QWidget* parent) : QProgressBar(parent) {
  // A fresh QProgressBar shows "no progress" (-1); the native control starts at its minimum.
  setValue(minimum());
}

void QtProgressBar::SetMax(int max) { setMaximum(max); }

void QtProgressBar::StepIt() {
  // QProgressBar ignores a value above its maximum, so the wrap is done here.
  setValue(SteppedPosition(value(), step_, minimum(), maximum()));
}
