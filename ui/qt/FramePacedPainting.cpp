#include "ui/qt/FramePacedPainting.h"

#include <QBackingStore>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

// What is painted reaches the display server within one 60 Hz frame.
constexpr auto FrameBudget = std::chrono::milliseconds(16);

struct UnsentArea {
  QPointer<QWidget> window;
  QRegion region;
};
std::vector<UnsentArea> unsent;
std::vector<QPointer<QWidget>> waitingForFrame;
Clock::time_point lastFrame;
Clock::time_point lastPaint;
Clock::duration longestGapSinceFrame{};

bool OnScreen(const QWidget& window) {
  return window.isVisible() && window.windowHandle() != nullptr && window.windowHandle()->isExposed() &&
         window.backingStore() != nullptr;
}

void AddUnsent(QWidget* window, const QRegion& region) {
  for (UnsentArea& area : unsent) {
    if (area.window == window) {
      area.region += region;
      return;
    }
  }
  unsent.push_back({window, region});
}

void PaintIntoBackingStore(QWidget& widget) {
  QWidget* window = widget.window();
  if (!widget.isVisible() || !OnScreen(*window)) return;  // nothing shows it; its next expose paints it
  const QPoint offset = widget.mapTo(window, QPoint(0, 0));
  const QRegion region(QRect(offset, widget.size()));
  QBackingStore& store = *window->backingStore();
  store.beginPaint(region);
  widget.render(store.paintDevice(), offset, QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  store.endPaint();
  AddUnsent(window, region);
}

// A frame is sent when waiting for the next paint (as long as the longest gap between paints
// seen since the last frame) would take the oldest unsent paint past the budget.
void ShowFrameIfDue() {
  const Clock::time_point now = Clock::now();
  longestGapSinceFrame = std::max(longestGapSinceFrame, now - lastPaint);
  lastPaint = now;
  if (now - lastFrame + longestGapSinceFrame >= FrameBudget) PaintWaitingControlsNow();
}
}  // namespace

void PaintByNextFrame(QWidget& widget) {
  bool listed = false;
  for (const QPointer<QWidget>& waiting : waitingForFrame) listed = listed || waiting == &widget;
  if (!listed) waitingForFrame.emplace_back(&widget);
  ShowFrameIfDue();
}

void PaintWaitingControlsNow() {
  for (const QPointer<QWidget>& widget : waitingForFrame) {
    if (widget) PaintIntoBackingStore(*widget);
  }
  waitingForFrame.clear();
  for (const UnsentArea& area : unsent) {
    if (area.window && OnScreen(*area.window))
      area.window->backingStore()->flush(area.region, area.window->windowHandle());
  }
  unsent.clear();
  lastFrame = Clock::now();
  longestGapSinceFrame = {};
}
