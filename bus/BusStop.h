#pragma once

// Ending the process in the middle of a read without leaving the chip selected or the clock
// high. A signal handler, or another thread that is about to end the process, only asks; the
// read sees the request at its next wait (within one BusDelay), takes the clock low, then
// deselects the chip, and ends the process itself.

// True while the chip is selected on the bus: a read is running.
bool BusInUse();

// Asks the read to stop and end the process: with the signal (0: none) or else with the exit
// code. Async-signal-safe: it only stores the request.
void RequestBusStop(int signalNumber, int exitCode);

// Called at every bus wait: when a stop was asked for, puts the bus idle (0xF0 first when the
// clock is high, then 0xF1) and ends the process. Returns at once otherwise.
void StopBusIfRequested();

// Ends the process now, as the stop would, without touching the bus: the last words first,
// then the signal's own default action, or _exit with the code. Async-signal-safe.
[[noreturn]] void EndProcess(int signalNumber, int exitCode);

// What the program says or tidies up before it ends this way (end a progress line, remove a
// partial file). It must be async-signal-safe; nullptr for nothing.
void SetLastWords(void (*lastWords)());
