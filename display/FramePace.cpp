// SPDX-License-Identifier: MIT
#include "display/FramePace.h"

#include <algorithm>

bool FramePace::FrameDueAfterChange(Clock::time_point now) {
  longestGapSinceFrame_ = std::max(longestGapSinceFrame_, now - lastChange_);
  lastChange_ = now;
  return now - lastFrame_ + longestGapSinceFrame_ >= Frame;
}

void FramePace::FrameShown(Clock::time_point now) {
  lastFrame_ = now;
  longestGapSinceFrame_ = {};
}
