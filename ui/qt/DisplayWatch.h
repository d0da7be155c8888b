// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

// Runs the event loop until the main window is closed. When the window can no longer be shown
// (the display server went away, or the window was destroyed from outside), the toolkit's own
// exit() would crash under the running loop or leave the port held; instead the bus is put idle
// if a read runs, and the process ends with 1.
int RunWatchingTheDisplay(QWidget& mainWindow);
