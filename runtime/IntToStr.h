// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// Plain decimal text: no sign for non-negative numbers, no leading zeros, no fixed width. The
// name is the one the status texts are described with; the standard conversion does the work.
inline std::string IntToStr(int value) { return std::to_string(value); }
