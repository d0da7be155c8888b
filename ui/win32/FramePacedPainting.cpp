#include "ui/win32/FramePacedPainting.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "ui/win32/MemoryPicture.h"

namespace {
using Clock = std::chrono::steady_clock;

// What changes reaches the screen within one 60 Hz frame.
constexpr auto FrameBudget = std::chrono::milliseconds(16);

struct Waiting {
  HWND control;
  std::function<void()> apply;
  ControlCopy* copy;
};
std::vector<Waiting> waiting;
std::vector<ControlCopy*> copies;  // every copy handed in; each read makes them anew
Clock::time_point lastFrame;

// The parent draws every control that waits, if each has a copy that stands for it and they
// share the parent: into a DC of the parent that reaches over its children, so the copies cover
// the controls' own pictures of their old state until they get the new one.
bool ShowCopies() {
  if (waiting.empty()) return true;
  HWND parent = nullptr;
  for (const Waiting& entry : waiting) {
    if (entry.copy == nullptr || !entry.copy->Ready()) return false;
    const HWND itsParent = GetParent(entry.control);
    if (parent != nullptr && itsParent != parent) return false;
    parent = itsParent;
  }
  if (parent == nullptr) return false;
  const HDC dc = GetDCEx(parent, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  if (dc == nullptr) return false;
  for (const Waiting& entry : waiting) entry.copy->DrawInParent(dc);
  ReleaseDC(parent, dc);
  // A wait for nothing, which handles no message and takes no input in, but lets a system that
  // puts a window's drawing on the screen only when it waits or ends a paint (Wine's window
  // surfaces) do so now, once for the frame.
  MsgWaitForMultipleObjectsEx(0, nullptr, 0, 0, 0);
  return true;
}

// Each control that waits gets its state and paints itself.
void HandOverWaiting() {
  // Taken first: applying may end in another call here.
  const std::vector<Waiting> due = std::move(waiting);
  waiting.clear();
  for (const Waiting& entry : due) {
    if (!IsWindow(entry.control)) continue;
    entry.apply();
    // No message is handled during a read, so what the control invalidated is painted here.
    UpdateWindow(entry.control);
  }
}
}  // namespace

void HandOverByNextFrame(HWND control, std::function<void()> apply, ControlCopy* copy) {
  bool replaced = false;
  for (Waiting& entry : waiting) {
    if (entry.control == control) {
      entry.apply = std::move(apply);
      entry.copy = copy;
      replaced = true;
    }
  }
  if (!replaced) waiting.push_back({control, std::move(apply), copy});
  if (copy != nullptr && std::find(copies.begin(), copies.end(), copy) == copies.end()) copies.push_back(copy);
}

void WithdrawFromFrames(HWND control, const ControlCopy* copy) {
  std::erase_if(waiting, [control](const Waiting& entry) { return entry.control == control; });
  std::erase(copies, copy);
}

void PaintIfFrameDue() {
  if (Clock::now() - lastFrame < FrameBudget) return;
  if (!ShowCopies()) HandOverWaiting();
  lastFrame = Clock::now();
}

void UpdateByNextFrame(HWND control, std::function<void()> apply, ControlCopy* copy) {
  HandOverByNextFrame(control, std::move(apply), copy);
  PaintIfFrameDue();
}

void PaintWaitingControlsNow() {
  HandOverWaiting();
  for (ControlCopy* copy : copies) copy->Forget();
}

namespace {
// The whole control lies on the screen, not covered by another window.
bool WhollyVisible(HWND control) {
  if (!IsWindowVisible(control) || IsIconic(GetAncestor(control, GA_ROOT))) return false;
  RECT area{};
  GetWindowRect(control, &area);
  const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  RECT inside{};
  if (!IntersectRect(&inside, &area, &screen) || !EqualRect(&inside, &area)) return false;
  for (const POINT corner : {POINT{area.left, area.top}, POINT{area.right - 1, area.bottom - 1}}) {
    if (WindowFromPoint(corner) != control) return false;
  }
  return true;
}
}  // namespace

void WaitUntilOnScreen(HWND control, DWORD limitMs) {
  GdiFlush();
  if (!WhollyVisible(control)) return;
  const DWORD start = GetTickCount();
  const MemoryPicture painted = MemoryPicture::InWindow(control);
  while (!(MemoryPicture::OnScreen(control) == painted) && GetTickCount() - start < limitMs) {
    // A wait in which the system hands painted surfaces on to the screen; input stays queued.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
  }
}
