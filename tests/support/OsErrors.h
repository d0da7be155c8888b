// SPDX-License-Identifier: MIT
#pragma once

// Leaves the platform's own last error as a failing system call would (errno on Linux,
// GetLastError on Windows), for stand-in file calls that fail.
void SetDiskFullError();
void SetDeviceError();
