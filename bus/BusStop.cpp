#include "bus/BusStop.h"

#include <csignal>
#include <cstdlib>

#include "bus/BusLines.h"

namespace {
volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t stopSignal = 0;
volatile std::sig_atomic_t stopExitCode = 0;
void (*volatile lastWordsHook)() = nullptr;
}  // namespace

bool BusInUse() { return ChipSelectedOnBus(); }

void RequestBusStop(int signalNumber, int exitCode) {
  stopSignal = signalNumber;
  stopExitCode = exitCode;
  stopRequested = 1;
}

void StopBusIfRequested() {
  if (stopRequested == 0) return;
  stopRequested = 0;
  try {
    if (SckLine == 1) {
      SckLine = 0;
      OutputLines();
    }
    SetIdleLineFlags();
    OutputLines();
  } catch (...) {
    // The port failed while being put idle: nothing more can be done for it.
  }
  EndProcess(stopSignal, stopExitCode);
}

void EndProcess(int signalNumber, int exitCode) {
  if (void (*hook)() = lastWordsHook) hook();
  if (signalNumber != 0) {
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
  }
  std::_Exit(exitCode);
}

void SetLastWords(void (*lastWords)()) { lastWordsHook = lastWords; }
