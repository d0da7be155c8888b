// SPDX-License-Identifier: MIT
#pragma once
#include <functional>

class QPainter;
class QWidget;

// Repaints during a read without waiting on the display server: a plain repaint() for each of a
// read's 2,000 updates a second waits for the X server or compositor every time, which cost up to
// a third of the bus time. A changed widget is painted into its window's backing store once per
// display frame, right before the frame is sent, so the screen is never a frame behind.

// The widget changed: it is painted once, right before the next frame is sent. `atRest`, when
// given, hands the widget the state it shows once the window comes to rest (replacing one that
// waits), in PaintWaitingControlsNow: a state that costs more to set than to paint, such as a
// QProgressBar's value, is then set once a read, while the frames paint from the widget's own.
void PaintByNextFrame(QWidget& widget, std::function<void()> atRest = {});

// Hands over and paints what is waiting and sends every painted but unsent area to the display
// server now: before anything else (a dialog, a message box) takes the screen, the window shows
// its last state.
void PaintWaitingControlsNow();

// A widget that the frames paint straight into the backing store, without the paint event's
// round through the widget system (QWidget::render): for the bars a read changes at every byte.
class FramePaintedWidget {
 public:
  // Paints the whole widget, opaque, with its top left corner at the painter's origin.
  virtual void PaintFrame(QPainter& painter) = 0;

 protected:
  ~FramePaintedWidget() = default;
};
