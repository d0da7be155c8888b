// SPDX-License-Identifier: MIT
#pragma once
#include <chrono>

// When a window's changes go to the screen during a read. A read changes the window about 2,000
// times a second, far more often than a display shows a frame, and every trip to the display
// (the X server, the Wayland compositor, Windows' painting) costs time the bus then waits for.
// So each window keeps its changes and shows them about once a 60 Hz frame.
//
// A frame goes at the change after which waiting for the next one (as long as the longest gap
// between changes seen since the last frame) would take the oldest waiting change past the frame.
// That is a prediction from the gaps so far: a change that comes later than any gap before it
// (the process descheduled, a slow port access) still holds the oldest one past 16 ms.
class FramePace {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration Frame = std::chrono::milliseconds(16);

  // A change was made: true when the frame is to be shown now.
  bool FrameDueAfterChange(Clock::time_point now = Clock::now());

  // The frame was shown (also when shown early: before a dialog, at the read's end).
  void FrameShown(Clock::time_point now = Clock::now());

 private:
  Clock::time_point lastFrame_;
  Clock::time_point lastChange_;
  Clock::duration longestGapSinceFrame_{};
};
