#include "runtime/ProcessEnd.h"

#include <csignal>
#include <cstdlib>

#include "runtime/UntypedFile.h"

namespace {
volatile std::sig_atomic_t holds[2] = {0, 0};
volatile std::sig_atomic_t endRequested = 0;
volatile std::sig_atomic_t endSignal = 0;
volatile std::sig_atomic_t endExitCode = 0;
void (*volatile lastWordsHook)() = nullptr;
}  // namespace

void SetEndHeld(EndWaitsFor hold, bool held) { holds[static_cast<int>(hold)] = held ? 1 : 0; }

bool EndHeld() { return holds[0] != 0 || holds[1] != 0; }

bool EndHeldBy(EndWaitsFor hold) { return holds[static_cast<int>(hold)] != 0; }

// Nested holds of one stretch (a save inside the stretch that reports it) count: the outermost
// one carries the end out.
HeldProcessEnd::HeldProcessEnd(EndWaitsFor hold) : hold_(hold) {
  const int stretch = static_cast<int>(hold_);
  holds[stretch] = holds[stretch] + 1;
}

HeldProcessEnd::~HeldProcessEnd() {
  const int stretch = static_cast<int>(hold_);
  holds[stretch] = holds[stretch] - 1;
  if (holds[stretch] == 0 && ProcessEndRequested()) EndRequestedProcess();
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
