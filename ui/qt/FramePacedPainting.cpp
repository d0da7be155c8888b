// SPDX-License-Identifier: MIT
#include "ui/qt/FramePacedPainting.h"

#include <QBackingStore>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <utility>
#include <vector>

#include "display/FramePace.h"

namespace {
struct UnsentArea {
  QPointer<QWidget> window;
  QRegion region;
};
std::vector<UnsentArea> unsent;
struct Waiting {
  QPointer<QWidget> widget;
  std::function<void()> atRest;
  bool paintDue;
};
std::vector<Waiting> waitingForFrame;
FramePace pace;

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
  if (auto* painted = dynamic_cast<FramePaintedWidget*>(&widget)) {
    QPainter painter(store.paintDevice());
    painter.translate(offset);
    painter.setFont(widget.font());
    painted->PaintFrame(painter);
  } else {
    widget.render(store.paintDevice(), offset, QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  }
  store.endPaint();
  AddUnsent(window, region);
}

// Paints what changed and sends it; at rest, also hands over what waits for it.
void ShowFrame(bool atRest) {
  // Taken first: handing over may end in another call here.
  std::vector<Waiting> due = std::move(waitingForFrame);
  waitingForFrame.clear();
  for (Waiting& waiting : due) {
    if (!waiting.widget) continue;
    if (atRest && waiting.atRest) waiting.atRest();
    if (waiting.paintDue) PaintIntoBackingStore(*waiting.widget);
    waiting.paintDue = false;
    if (!atRest && waiting.atRest) waitingForFrame.push_back(std::move(waiting));
  }
  for (const UnsentArea& area : unsent) {
    if (area.window && OnScreen(*area.window))
      area.window->backingStore()->flush(area.region, area.window->windowHandle());
  }
  unsent.clear();
  pace.FrameShown();
}
}  // namespace

void PaintByNextFrame(QWidget& widget, std::function<void()> atRest) {
  const auto listed = std::find_if(waitingForFrame.begin(), waitingForFrame.end(),
                                   [&widget](const Waiting& waiting) { return waiting.widget == &widget; });
  if (listed == waitingForFrame.end()) {
    waitingForFrame.push_back({&widget, std::move(atRest), true});
  } else {
    listed->paintDue = true;
    if (atRest) listed->atRest = std::move(atRest);
  }
  if (pace.FrameDueAfterChange()) ShowFrame(false);
}

void PaintWaitingControlsNow() { ShowFrame(true); }
