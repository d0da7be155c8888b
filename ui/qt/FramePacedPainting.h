#pragma once

class QWidget;

// Repaints during a read without waiting on the display server. A read updates the window
// about 2,000 times a second; a plain QWidget::repaint() hands every update to the X server or
// Wayland compositor and then waits for it (the shared-memory image to be released, a buffer
// to come back), which cost up to a third of the bus time.
//
// What is painted goes into the window's backing store at once; it is sent to the display
// server at most once per display frame, so the screen is never a frame behind.

// Paints the widget into its window's backing store before returning.
void PaintNow(QWidget& widget);

// The widget changed, and painting it costs more than a byte's share of bus time (a styled
// progress bar): it is painted once, right before the next frame is sent.
void PaintByNextFrame(QWidget& widget);

// Paints what is waiting and sends every painted but unsent area to the display server now:
// before anything else (a dialog, a message box) takes the screen, the window shows its last state.
void ShowPaintedNow();
