// SPDX-License-Identifier: MIT
#include "dump/DumpBuffer.h"

EepromImage DumpBuffer{};
