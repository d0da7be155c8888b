// SPDX-License-Identifier: MIT
#pragma once

// A progress bar as the read uses it.
class TProgressBar {
 public:
  virtual ~TProgressBar() = default;
  virtual int Min() const = 0;
  virtual int Max() const = 0;
  virtual void SetMax(int max) = 0;  // the position is left alone
  virtual int Step() const = 0;
  virtual int Position() const = 0;
  // Advances the position by Step; past Max it starts over from Min, as a native progress
  // control does, so a second read shows its progress again.
  virtual void StepIt() = 0;
};

// The position after one StepIt.
int SteppedPosition(int position, int step, int min, int max);
