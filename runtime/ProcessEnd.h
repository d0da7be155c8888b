// SPDX-License-Identifier: MIT
#pragma once

// Ending the process from a signal handler, a console control event or another thread without
// cutting short a stretch of work that must finish first (a read with the chip selected must put
// the bus idle). While such a stretch holds the end, the end is only asked for; the stretch sees
// the request and ends the process itself once it is safe. Everything here is async-signal-safe.

// The stretches that hold a requested end back: a chip selected on the bus (its read ends the
// process at its next bus wait, the lines idle first), and a save under way (it ends the process
// once the image is in place or the save given up).
enum class EndWaitsFor { ChipSelected, FileBeingWritten };

// Set at every line byte the port takes (bus/BusLines.cpp).
void SetChipSelected(bool selected);
bool EndHeld();
bool EndHeldBy(EndWaitsFor hold);

// Holds a requested end back while a save lives; holds nest (the save, and the caller that
// reports its outcome), and when the outermost goes, an end asked for meanwhile is carried out.
class SaveHoldsTheEnd {
 public:
  SaveHoldsTheEnd();
  ~SaveHoldsTheEnd();
  SaveHoldsTheEnd(const SaveHoldsTheEnd&) = delete;
  SaveHoldsTheEnd& operator=(const SaveHoldsTheEnd&) = delete;
};

// Stores the request: with the signal (0: none) or else with the exit code.
void RequestProcessEnd(int signalNumber, int exitCode);
bool ProcessEndRequested();

// Ends the process as it was asked to.
[[noreturn]] void EndRequestedProcess();

// Ends the process now: the last words first (and a save's unfinished temporary file removed), then the signal's own
// default action, or _exit with the code.
[[noreturn]] void EndProcess(int signalNumber, int exitCode);

// What the program says or tidies up before it ends this way (end a progress line, remove a
// partial file). It must be async-signal-safe; nullptr for nothing.
void SetLastWords(void (*lastWords)());
