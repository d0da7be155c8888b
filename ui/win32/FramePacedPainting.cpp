// SPDX-License-Identifier: MIT
#include "ui/win32/FramePacedPainting.h"

#include <utility>
#include <vector>

#include "display/FramePace.h"

namespace {
struct Waiting {
  HWND control;
  std::function<void()> apply;
};
std::vector<Waiting> waiting;
FramePace pace;

// Each control that waits gets its state and paints itself.
void HandOverWaiting() {
  if (waiting.empty()) return;
  // Taken first: applying may end in another call here.
  const std::vector<Waiting> due = std::move(waiting);
  waiting.clear();
  for (const Waiting& entry : due) {
    if (!IsWindow(entry.control)) continue;
    entry.apply();
    // No message is handled during a read, so what the control invalidated is painted here:
    // Windows' common controls only invalidate when told their state (Wine's paint at once, so
    // under Wine a control that only invalidates stands in for them in the window test).
    UpdateWindow(entry.control);
  }
  // The paints reach the screen now, not at the next wait for input: GDI's batch goes out, and
  // a wait for nothing, which handles no message and takes no input in, lets a system that puts
  // a window's painting on the screen only when the thread waits (Wine's window surfaces) do so.
  GdiFlush();
  MsgWaitForMultipleObjectsEx(0, nullptr, 0, 0, 0);
}
}  // namespace

void HandOverByNextFrame(HWND control, std::function<void()> apply) {
  for (Waiting& entry : waiting) {
    if (entry.control == control) {
      entry.apply = std::move(apply);
      return;
    }
  }
  waiting.push_back({control, std::move(apply)});
}

void WithdrawFromFrames(HWND control) {
  std::erase_if(waiting, [control](const Waiting& entry) { return entry.control == control; });
}

void PaintIfFrameDue() {
  if (pace.FrameDueAfterChange()) PaintWaitingControlsNow();
}

void UpdateByNextFrame(HWND control, std::function<void()> apply) {
  HandOverByNextFrame(control, std::move(apply));
  PaintIfFrameDue();
}

void PaintWaitingControlsNow() {
  HandOverWaiting();
  pace.FrameShown();
}
