#pragma once

// Ending the process in the middle of a read without leaving the chip selected or the clock
// high. A signal handler, or another thread that is about to end the process, only asks
// (RequestProcessEnd); the read sees the request at its next wait (within one BusDelay), takes
// the clock low, then deselects the chip, and ends the process itself.

// Called at every bus wait: when an end was asked for, puts the bus idle (0xF0 first when the
// clock is high, then 0xF1) and ends the process. Returns at once otherwise.
void StopBusIfRequested();
