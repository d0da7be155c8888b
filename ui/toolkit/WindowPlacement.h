// SPDX-License-Identifier: MIT
#pragma once
#include <algorithm>

// A rectangle on the screen: left, top, width, height.
struct ScreenArea {
  int left;
  int top;
  int width;
  int height;
};

// Where a window of this outer size goes: at its stored position where it fits whole in the
// screen's available area (the area without task bars), otherwise moved just far enough to fit,
// its top left corner kept on the screen when it is larger than the area.
inline ScreenArea PlaceOnScreen(ScreenArea window, const ScreenArea& available) {
  const auto fit = [](int position, int size, int start, int length) {
    return std::max(start, std::min(position, start + length - size));
  };
  window.left = fit(window.left, window.width, available.left, available.width);
  window.top = fit(window.top, window.height, available.top, available.height);
  return window;
}
