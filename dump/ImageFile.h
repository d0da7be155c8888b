// SPDX-License-Identifier: MIT
#pragma once
#include <string>

#include "dump/EepromImage.h"

// Reads an image file. Anything but exactly 2048 bytes, or a file that cannot be read, raises
// std::runtime_error with a message naming the file and what is wrong with it.
EepromImage LoadEepromImage(const std::string& path);

// A recognisable image for the demo: a text banner at address 0, then each cell holds the
// low byte of its address.
EepromImage DemoEepromImage();

// Cell k holds k AND 0xFF.
EepromImage AddressPatternImage();
