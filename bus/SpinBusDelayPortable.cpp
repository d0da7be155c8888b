// SPDX-License-Identifier: MIT
#include "bus/BusDelay.h"

// On processors other than x86, the empty asm statement keeps the compiler from folding the loop away.
void SpinBusDelay() {
  for (int outer = BusDelayOuterPasses; outer != 0; --outer) {
    for (int inner = BusDelayInnerIterations; inner != 0; --inner) {
      asm volatile("" : "+r"(inner));
    }
  }
}
