// SPDX-License-Identifier: MIT
#pragma once
#include <windows.h>

#include <functional>

// Updates the controls during a read at the display's pace, not the bus's: a common control
// paints itself at once on every new text or position, which made a read three to five times as
// long as the bus needs. A control's new state is handed to it at most once per display frame,
// and everything waiting is handed over before a dialog takes the screen or the window waits for
// input, so the screen is never more than a frame behind.

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
