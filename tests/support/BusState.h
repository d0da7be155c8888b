#pragma once
#include "bus/BusLines.h"

// The bus as start-up leaves it: chip deselected, clock and data low.
inline void SetIdleLines() {
  CsLine = 1;
  SckLine = 0;
  SiLine = 0;
}
