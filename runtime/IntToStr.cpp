#include "runtime/IntToStr.h"

#include <charconv>

std::string IntToStr(int value) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::string(digits, end);
}
