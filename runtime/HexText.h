// SPDX-License-Identifier: MIT
#pragma once
#include <cstdio>
#include <string>

// "0xF6", "0x378", "0xD010": how messages name bytes, registers and I/O addresses.
inline std::string HexText(unsigned value, int digits = 2) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}
