// SPDX-License-Identifier: MIT
#pragma once
#include <optional>
#include <string>

// Leaving the bus idle, whatever ends a read: its end, a port error, any exception, or a signal
// (or a dying display) that asks the process to end. The one place that knows how, starting from
// the line byte the port last took (bus/BusLines.h).

// Takes the lines idle from what the chip sees: where it is selected with the clock high (whatever
// the flags say), the clock goes low first; then the chip is deselected (0xF1), the flags left
// idle. Writes at once, no wait.
void TakeLinesIdle();

// Takes the lines idle (ignoring a port that fails again) and leaves the flags idle when an
// exception leaves the scope; nothing on a normal way out. A caller that reports what the way out
// met takes it at once with TakeLinesIdleNow; the scope's end then only leaves the flags idle:
// one attempt at the port, never two.
class TakeLinesIdleOnAnyEnd {
 public:
  TakeLinesIdleOnAnyEnd() = default;
  TakeLinesIdleOnAnyEnd(const TakeLinesIdleOnAnyEnd&) = delete;
  TakeLinesIdleOnAnyEnd& operator=(const TakeLinesIdleOnAnyEnd&) = delete;
  ~TakeLinesIdleOnAnyEnd();

  // Where the chip is selected, takes the lines idle now: "" when that worked, else what the
  // port said. nullopt where the chip was not selected (nothing to do).
  std::optional<std::string> TakeLinesIdleNow();

 private:
  bool taken_ = false;
};

// Called at every bus wait: when an end was asked for, takes the lines idle (when the clock is
// high, first a write that takes it low with CS and SI as they were, then 0xF1) and ends the
// process. Returns at once otherwise.
void StopBusIfRequested();
