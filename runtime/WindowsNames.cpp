#include "runtime/WindowsNames.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

#include "runtime/WindowsText.h"

namespace {
std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

// The reserved names, in any folder, with any extension, trailing dots or spaces.
std::string ReservedDeviceName(const std::string& name) {
  const auto lastSeparator = name.find_last_of("\\/:");
  std::string stem = Upper(name.substr(lastSeparator == std::string::npos ? 0 : lastSeparator + 1));
  stem = stem.substr(0, stem.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" || stem == "CONOUT$") {
    return stem;
  }
  // COM1-COM9 and LPT1-LPT9, and with the superscript digits ¹ ² ³ (UTF-8 C2 B9, C2 B2, C2 B3),
  // which Windows reserves too.
  const std::string digit = stem.size() > 3 ? stem.substr(3) : "";
  const bool numbered = (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" ||
                        digit == "\xC2\xB2" || digit == "\xC2\xB3";
  return numbered && (stem.rfind("LPT", 0) == 0 || stem.rfind("COM", 0) == 0) ? stem : "";
}

// What Windows makes of the name: a device resolves to \\.\NAME.
std::string ResolvedDeviceName(const std::string& name) {
  const std::wstring wide = WideText(name);
  const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return "";
  std::wstring full(length, L'\0');
  full.resize(GetFullPathNameW(wide.c_str(), length, full.data(), nullptr));
  return full.rfind(L"\\\\.\\", 0) == 0 ? Upper(Utf8Text(full.substr(4))) : "";
}
}  // namespace

// A \\?\ name is taken as it stands, devices and all: it is an ordinary file name.
std::string WindowsDeviceName(const std::string& name) {
  if (name.rfind("\\\\?\\", 0) == 0) return "";
  if (name.rfind("\\\\.\\", 0) == 0) return Upper(name.substr(4));
  if (std::string device = ReservedDeviceName(name); !device.empty()) return device;
  return ResolvedDeviceName(name);
}

bool NamesAlternateStream(const std::string& name) {
  // "C:" is a drive; \\?\ and \\.\ names start with four characters of their own.
  std::size_t start = name.rfind("\\\\?\\", 0) == 0 || name.rfind("\\\\.\\", 0) == 0 ? 4 : 0;
  if (name.size() >= start + 2 && std::isalpha(static_cast<unsigned char>(name[start])) && name[start + 1] == ':') {
    start += 2;
  }
  return name.find(':', start) != std::string::npos;
}
