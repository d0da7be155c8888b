// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

// Runs the event loop until the main window is closed, and ends the process cleanly when the
// window can no longer be shown: the X server or Wayland compositor went away (logout, a
// dropped ssh -X, a killed Xvfb), or the main window was destroyed from outside. The toolkit's
// own reaction, exit() from inside the loop (sometimes from another thread), would destroy the
// windows under the running loop and crash; a process whose window is gone would run on
// holding the port. Instead: the bus is put idle if a read runs, and the process ends with 1.
int RunWatchingTheDisplay(QWidget& mainWindow);
