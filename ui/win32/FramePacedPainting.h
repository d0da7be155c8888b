// SPDX-License-Identifier: MIT
#pragma once
#include <windows.h>

#include <functional>

// Updates the controls during a read at the display's pace, not at the bus's. A read changes the
// window about 2,000 times a second; a common control paints itself at once on every new text or
// position (under Wine about 0.8 ms a byte for the two bars, with the image sent to the X server
// each time), which made a read three to five times as long as the bus needs.
//
// A control's new state is kept and handed to it at most once per display frame; the control
// then paints itself, so it always holds what the screen shows. Everything waiting is handed over
// at once before anything else takes the screen (a dialog, a message box) and before the window
// waits for input, so the screen is never more than a frame behind and shows the last state when
// the read ends.

// `apply` hands the control its new state (replacing an earlier one that waits).
void HandOverByNextFrame(HWND control, std::function<void()> apply);

// A control going away: nothing of it waits any longer.
void WithdrawFromFrames(HWND control);

// Hands over and paints what waits when a frame is due; returns at once otherwise.
void PaintIfFrameDue();

// Both: the new state is handed over, and painted when a frame is due.
void UpdateByNextFrame(HWND control, std::function<void()> apply);

// Hands every control what waits for it and paints it now.
void PaintWaitingControlsNow();
