// SPDX-License-Identifier: MIT
#pragma once
#include <algorithm>
#include <cctype>
#include <string>

// The text with its ASCII letters in upper case, the rest as it is: for names that Windows and
// users write in any case (LPT1, lpt1, Nul).
inline std::string AsciiUpper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return c < 0x80 ? static_cast<char>(std::toupper(c)) : static_cast<char>(c); });
  return text;
}
