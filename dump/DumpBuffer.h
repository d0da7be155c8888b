// SPDX-License-Identifier: MIT
#pragma once
#include "dump/EepromImage.h"

// The image of the last read, index = EEPROM address. One for the process; every read
// overwrites all of it and the save writes it out.
extern EepromImage DumpBuffer;
