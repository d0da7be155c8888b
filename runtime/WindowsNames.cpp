#include "runtime/WindowsNames.h"

#include <algorithm>
#include <cctype>

namespace {
std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}
}  // namespace

// The device that a name reaches instead of a file: CON, PRN, AUX, NUL, COM1 to COM9 and LPT1
// to LPT9, with any extension or folder ("C:\\x\\lpt1.bin" is the port too), and \\.\ device
// paths. A \\?\ name is taken as it stands, devices and all: it is an ordinary file name.
std::string WindowsDeviceName(const std::string& name) {
  if (name.rfind("\\\\?\\", 0) == 0) return "";
  const auto lastSeparator = name.find_last_of("\\/:");
  std::string stem = Upper(name.substr(lastSeparator == std::string::npos ? 0 : lastSeparator + 1));
  stem = stem.substr(0, stem.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return stem;
  const bool numbered = stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9';
  return numbered && (stem.rfind("LPT", 0) == 0 || stem.rfind("COM", 0) == 0) ? stem : "";
}

bool NamesAlternateStream(const std::string& name) {
  // "C:" is a drive; \\?\ and \\.\ names start with four characters of their own.
  std::size_t start = name.rfind("\\\\?\\", 0) == 0 || name.rfind("\\\\.\\", 0) == 0 ? 4 : 0;
  if (name.size() >= start + 2 && std::isalpha(static_cast<unsigned char>(name[start])) && name[start + 1] == ':') {
    start += 2;
  }
  return name.find(':', start) != std::string::npos;
}
