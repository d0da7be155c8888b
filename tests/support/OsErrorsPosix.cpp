// SPDX-License-Identifier: MIT
#include <cerrno>

#include "tests/support/OsErrors.h"

void SetDiskFullError() { errno = ENOSPC; }
void SetDeviceError() { errno = EIO; }
