// SPDX-License-Identifier: MIT
#pragma once
#include <functional>
#include <string>

class TProgressBar;
class TSaveDialog;
class TSaveQuestion;
class TStatusBar;

// The window's two handlers, the same whatever the toolkit.

// FormCreate: the bus's start-up (bus/BusStartUp.h), then the port left to other programs while
// the window waits.
void WindowStartUp();

// Button1Click: the read, then the save. Once the read has ended, the port is handed back and
// `whenTheReadEnds` runs (the window catches up with its screen and input); a failed read raises
// then. An image that looks wrong is saved only if the user says so: a re-read with a loose clip
// must not silently replace a good dump. A save that fails (not a short write, which shows
// "ERROR" and raises) keeps the image read: `saveFailed` shows why, and the dialog opens again
// on the same name until the image is saved or the dialog is cancelled.
void ReadAndSave(TProgressBar& progressBar, TStatusBar& statusBar, TSaveDialog& saveDialog, TSaveQuestion& question,
                 const std::function<void()>& whenTheReadEnds,
                 const std::function<void(const std::string& why)>& saveFailed);
