#include "ui/win32/FramePacedPainting.h"

#include <chrono>
#include <cstdint>
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

namespace {
// The control's pixels: from the screen, or as the control itself painted them.
std::vector<std::uint32_t> Pixels(HWND control, bool fromTheScreen) {
  RECT area{};
  GetWindowRect(control, &area);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  if (pixels.empty()) return pixels;
  BITMAPINFO format{};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const HDC source = fromTheScreen ? GetDC(nullptr) : GetWindowDC(control);
  const HDC memory = CreateCompatibleDC(source);
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(memory, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) {
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, fromTheScreen ? area.left : 0, fromTheScreen ? area.top : 0, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    pixels.assign(first, first + pixels.size());
    SelectObject(memory, previous);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(fromTheScreen ? nullptr : control, source);
  return pixels;
}

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
  const std::vector<std::uint32_t> painted = Pixels(control, false);
  while (Pixels(control, true) != painted && GetTickCount() - start < limitMs) {
    // A wait in which the system hands painted surfaces on to the screen; input stays queued.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
  }
}
