// SPDX-License-Identifier: MIT
#pragma once

// The bus's start-up, as the window's creation and lpt-dump begin: what an earlier program left on
// the data lines is learned where the port can tell, the lines are taken idle from there (the
// first byte written is 0xF1 unless a chip was left selected with the clock high), then one wait.
void BusStartUp();
