// SPDX-License-Identifier: MIT
#include "runtime/ProcessEnd.h"

#include <csignal>
#include <cstdlib>

#include "runtime/UntypedFile.h"

namespace {
// The two stretches hold the end differently: the chip is selected or not (the last line byte on
// the port says which, set at every write), while the holds of a save nest (the save, and the
// caller that reports its outcome) and are counted.
volatile std::sig_atomic_t chipSelected = 0;
volatile std::sig_atomic_t saveHolds = 0;
volatile std::sig_atomic_t endRequested = 0;
volatile std::sig_atomic_t endSignal = 0;
volatile std::sig_atomic_t endExitCode = 0;
void (*volatile lastWordsHook)() = nullptr;
}  // namespace

void SetChipSelected(bool selected) { chipSelected = selected ? 1 : 0; }

bool EndHeld() { return chipSelected != 0 || saveHolds != 0; }

bool EndHeldBy(EndWaitsFor hold) { return (hold == EndWaitsFor::ChipSelected ? chipSelected : saveHolds) != 0; }

// The outermost hold of a save carries an end asked for meanwhile out.
SaveHoldsTheEnd::SaveHoldsTheEnd() { saveHolds = saveHolds + 1; }

SaveHoldsTheEnd::~SaveHoldsTheEnd() {
  saveHolds = saveHolds - 1;
  if (saveHolds == 0 && ProcessEndRequested()) EndRequestedProcess();
}

void RequestProcessEnd(int signalNumber, int exitCode) {
  endSignal = signalNumber;
  endExitCode = exitCode;
  endRequested = 1;
}

bool ProcessEndRequested() { return endRequested != 0; }

void EndRequestedProcess() { EndProcess(endSignal, endExitCode); }

void EndProcess(int signalNumber, int exitCode) {
  if (void (*hook)() = lastWordsHook) hook();
  RemoveUnfinishedFile();  // a save cut short leaves what the name held, and nothing beside it
  if (signalNumber != 0) {
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
  }
  std::_Exit(exitCode);
}

void SetLastWords(void (*lastWords)()) { lastWordsHook = lastWords; }
