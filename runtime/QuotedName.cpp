// SPDX-License-Identifier: MIT
#include "runtime/QuotedName.h"

#include <cstdio>

namespace {
std::string Escaped(unsigned char byte) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\x%02x", byte);
  return escape;
}

// The length of the well-formed UTF-8 sequence that starts at `at`, or 0 when it is not one
// (a stray continuation byte, a cut sequence, an overlong form, a surrogate, beyond U+10FFFF).
std::size_t Utf8SequenceAt(const std::string& text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte, narrower after some leads
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size() || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}
}  // namespace

std::string QuotedName(const std::string& name) {
  std::string quoted = "\"";
  for (std::size_t at = 0; at < name.size(); ++at) {
    const char c = name[at];
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\t') {
      quoted += "\\t";
    } else if (c == '"') {
      quoted += "\\\"";
    } else if (byte >= 0x20 && byte < 0x7F) {
      quoted += c;
    } else if (const std::size_t length = byte >= 0x80 ? Utf8SequenceAt(name, at) : 0; length > 0) {
      quoted.append(name, at, length);
      at += length - 1;
    } else {
      // A control character, or a byte that is not UTF-8: the terminal would act on it or show garbage.
      quoted += Escaped(byte);
    }
  }
  return quoted + "\"";
}
