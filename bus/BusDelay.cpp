// SPDX-License-Identifier: MIT
#include "bus/BusDelay.h"

#include "bus/TakeLinesIdle.h"

namespace {
BusDelayHook* installedHook = nullptr;
}

void BusDelay() {
  StopBusIfRequested();  // a signal or a dying display asked the read to end
  if (installedHook != nullptr) {
    installedHook->OnBusDelay();
    return;
  }
  SpinBusDelay();
}

BusDelayHook* InstallBusDelayHook(BusDelayHook* hook) {
  BusDelayHook* previous = installedHook;
  installedHook = hook;
  return previous;
}
