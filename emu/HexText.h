#pragma once
#include <cstdio>
#include <string>

// "0xF6", "0x378": how the emulated hardware names bytes and registers in its messages.
inline std::string HexText(unsigned value, int digits = 2) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}
