#include "ui/win32/FramePacedPainting.h"

#include <chrono>
#include <utility>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

// What changes reaches the screen within one 60 Hz frame.
constexpr auto FrameBudget = std::chrono::milliseconds(16);

struct Waiting {
  HWND control;
  std::function<void()> apply;
};
std::vector<Waiting> waiting;
Clock::time_point lastFrame;
}  // namespace

void HandOverByNextFrame(HWND control, std::function<void()> apply) {
  bool replaced = false;
  for (Waiting& entry : waiting) {
    if (entry.control == control) {
      entry.apply = std::move(apply);
      replaced = true;
    }
  }
  if (!replaced) waiting.push_back({control, std::move(apply)});
}

void PaintIfFrameDue() {
  if (Clock::now() - lastFrame >= FrameBudget) ShowPaintedNow();
}

void UpdateByNextFrame(HWND control, std::function<void()> apply) {
  HandOverByNextFrame(control, std::move(apply));
  PaintIfFrameDue();
}

void ShowPaintedNow() {
  // Taken first: applying may end in another call here.
  if (waiting.empty()) return;
  const std::vector<Waiting> due = std::move(waiting);
  waiting.clear();
  for (const Waiting& entry : due) {
    if (!IsWindow(entry.control)) continue;
    entry.apply();
    // No message is handled during a read, so what the control invalidated is painted here.
    UpdateWindow(entry.control);
  }
  lastFrame = Clock::now();
}
