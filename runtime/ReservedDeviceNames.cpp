// SPDX-License-Identifier: MIT
#include "runtime/ReservedDeviceNames.h"

#include "runtime/AsciiUpper.h"

std::string ReservedDeviceName(const std::string& name) {
  const auto lastSeparator = name.find_last_of("\\/:");
  std::string stem = AsciiUpper(name.substr(lastSeparator == std::string::npos ? 0 : lastSeparator + 1));
  stem = stem.substr(0, stem.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" || stem == "CONOUT$") {
    return stem;
  }
  // COM1-COM9 and LPT1-LPT9, and with the superscript digits ¹ ² ³ (UTF-8 C2 B9, C2 B2, C2 B3).
  const std::string digit = stem.size() > 3 ? stem.substr(3) : "";
  const bool numbered = (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" ||
                        digit == "\xC2\xB2" || digit == "\xC2\xB3";
  return numbered && (stem.rfind("LPT", 0) == 0 || stem.rfind("COM", 0) == 0) ? stem : "";
}
