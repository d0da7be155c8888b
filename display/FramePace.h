// SPDX-License-Identifier: MIT
#pragma once
#include <chrono>

// When a window's changes go to the screen during a read: about once a 60 Hz frame, since every
// trip to the display costs time the bus then waits for. A frame goes at the change after which
// waiting for the next one (as long as the longest gap since the last frame) would take the
// oldest waiting change past the frame; a gap longer than all before it can still overrun.
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
