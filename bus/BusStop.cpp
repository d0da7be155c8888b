#include "bus/BusStop.h"

#include "bus/BusLines.h"
#include "runtime/ProcessEnd.h"

void StopBusIfRequested() {
  if (!ProcessEndRequested()) return;
  try {
    TakeLinesIdle();
  } catch (...) {
    // The port failed while being put idle: nothing more can be done for it.
  }
  EndRequestedProcess();
}
