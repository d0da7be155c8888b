#pragma once
#include <windows.h>

#include <functional>

#include "ui/win32/ControlCopies.h"

// Updates the controls during a read at the display's pace, not at the bus's. A read changes the
// window about 2,000 times a second; the common controls of Wine paint themselves at once on
// every new text or position (about 0.8 ms a byte for the two bars, with the image sent to the X
// server each time), which made a read three to five times as long as the bus needs.
//
// A control's new state is kept and shown at most once per display frame. Where every control
// that waits has a copy that stands for it (ControlCopies.h), the copies are drawn over the
// controls in their place and the controls get their state later; otherwise each control is
// handed its state and paints itself. Everything waiting is handed over at once before anything
// else takes the screen (a dialog, a message box) and before the window waits for input, so the
// screen is never more than a frame behind and shows the last state, in the controls' own
// paint, when the read ends.

// `apply` hands the control its new state (replacing an earlier one that waits); `copy`, if
// given, already holds that state.
void HandOverByNextFrame(HWND control, std::function<void()> apply, ControlCopy* copy = nullptr);

// A control (and its copy) going away: nothing of it waits any longer.
void WithdrawFromFrames(HWND control, const ControlCopy* copy);

// Shows what waits when a frame is due; returns at once otherwise.
void PaintIfFrameDue();

// Both: the new state is handed over, and shown when a frame is due.
void UpdateByNextFrame(HWND control, std::function<void()> apply, ControlCopy* copy = nullptr);

// Hands every control what waits for it and paints it now.
void PaintWaitingControlsNow();

// Returns once the screen shows what the control has painted (a system may put a window's
// painting on the screen later: Wine's window surfaces, a compositor's next frame), or after
// `limitMs`. At once for a control that is not on the screen.
void WaitUntilOnScreen(HWND control, DWORD limitMs);
