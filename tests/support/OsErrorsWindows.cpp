// SPDX-License-Identifier: MIT
#include <windows.h>

#include "tests/support/OsErrors.h"

void SetDiskFullError() { SetLastError(ERROR_DISK_FULL); }
void SetDeviceError() { SetLastError(ERROR_GEN_FAILURE); }
