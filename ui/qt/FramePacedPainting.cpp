#include "ui/qt/FramePacedPainting.h"

#include <QBackingStore>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <vector>

#include "display/FramePace.h"

namespace {
struct UnsentArea {
  QPointer<QWidget> window;
  QRegion region;
};
std::vector<UnsentArea> unsent;
std::vector<QPointer<QWidget>> waitingForFrame;
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
  widget.render(store.paintDevice(), offset, QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  store.endPaint();
  AddUnsent(window, region);
}

}  // namespace

void PaintByNextFrame(QWidget& widget) {
  bool listed = false;
  for (const QPointer<QWidget>& waiting : waitingForFrame) listed = listed || waiting == &widget;
  if (!listed) waitingForFrame.emplace_back(&widget);
  if (pace.FrameDueAfterChange()) PaintWaitingControlsNow();
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
  pace.FrameShown();
}
