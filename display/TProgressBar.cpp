// SPDX-License-Identifier: MIT
#include "display/TProgressBar.h"

int SteppedPosition(int position, int step, int min, int max) {
  const int next = position + step;
  return next > max ? min : next;
}
