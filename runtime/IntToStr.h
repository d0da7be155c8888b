#pragma once
#include <string>

// Plain decimal text: no sign for non-negative numbers, no leading zeros, no fixed width.
std::string IntToStr(int value);
