#pragma once
#include <QProgressBar>

#include "ui/toolkit/TProgressBar.h"

// TProgressBar on a QProgressBar. Step lives here: QProgressBar has none of its own.
class QtProgressBar : public QProgressBar, public TProgressBar {
  Q_OBJECT
 public:
  explicit QtProgressBar(QWidget* parent = nullptr);

  int Min() const override { return minimum(); }
  int Max() const override { return maximum(); }
  void SetMax(int max) override;
  int Step() const override { return step_; }
  void SetStep(int step) { step_ = step; }
  int Position() const override { return value(); }
  void StepIt() override;

 private:
  int step_ = 1;
};
