// SPDX-License-Identifier: MIT
#pragma once
#include <cstdio>
#include <string>

#include "dump/EepromImage.h"

// How lpt-dump tells the user what an image says about the chip and the wiring.

// Warns on standard error when the image is one repeated byte (no chip, no supply, an erased
// chip: erased for sure when `chipAnswered` its status read) or repeats like the content of a
// smaller part of the family.
void WarnAboutImage(const EepromImage& image, bool chipAnswered);

// "" when the two images agree, else one message: the number of differing bytes and the first
// addresses with both values. `how` words a pair of values, e.g. "0x%02X then 0x%02X".
std::string DescribeDifferences(const EepromImage& first, const EepromImage& second, const std::string& subject,
                                const char* how);
