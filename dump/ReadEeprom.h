// SPDX-License-Identifier: MIT
#pragma once

class TProgressBar;
class TStatusBar;

// Reads the whole 25160 with one READ transaction from address 0 into DumpBuffer, showing each
// byte's address and value in the status bar and stepping the progress bar once per byte.
// Expects the bus idle with SCK and SI low, and leaves it so.
void ReadEeprom(TProgressBar& progressBar, TStatusBar& statusBar);
