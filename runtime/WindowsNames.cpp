// SPDX-License-Identifier: MIT
#include "runtime/WindowsNames.h"

#include <windows.h>

#include <cctype>

#include "runtime/AsciiUpper.h"
#include "runtime/ReservedDeviceNames.h"
#include "runtime/WindowsText.h"

namespace {
// What Windows makes of the name: a device resolves to \\.\NAME.
std::string ResolvedDeviceName(const std::string& name) {
  const std::wstring wide = WideText(name);
  const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return "";
  std::wstring full(length, L'\0');
  full.resize(GetFullPathNameW(wide.c_str(), length, full.data(), nullptr));
  return full.rfind(L"\\\\.\\", 0) == 0 ? AsciiUpper(Utf8Text(full.substr(4))) : "";
}

// \\?\ and \\.\ name Windows' objects directly: after them a drive's folder (C:\t\out.bin), a
// share (UNC\server\share\...) or a volume's folder (Volume{...}\x.bin) holds files; anything
// else ("NUL", "COM1", "C:" the whole volume) is a device.
std::string DeviceAfterPrefix(const std::string& rest) {
  const std::string upper = AsciiUpper(rest);
  const bool drive = rest.size() >= 3 && std::isalpha(static_cast<unsigned char>(rest[0])) != 0 && rest[1] == ':' &&
                     (rest[2] == '\\' || rest[2] == '/');
  const auto volumeEnd = upper.find("}\\");
  const bool volume = upper.rfind("VOLUME{", 0) == 0 && volumeEnd != std::string::npos && volumeEnd + 2 < upper.size();
  return drive || volume || upper.rfind("UNC\\", 0) == 0 ? "" : upper;
}
}  // namespace

std::string WindowsDeviceName(const std::string& name) {
  if (name.rfind("\\\\?\\", 0) == 0 || name.rfind("\\\\.\\", 0) == 0) return DeviceAfterPrefix(name.substr(4));
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
