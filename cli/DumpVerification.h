#pragma once
#include <string>

#include "dump/EepromImage.h"

// Compares two reads of the same chip. Returns "" when they agree, else a message for the user
// with the number of differing bytes and the first differing addresses.
std::string DescribeDifferences(const EepromImage& first, const EepromImage& second);
