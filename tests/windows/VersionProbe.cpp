// SPDX-License-Identifier: MIT
// Reads each program's version information as Explorer's Details tab does and checks that it
// names the product, the version and the license, and that the program carries the icon
// Explorer shows for it. Exit 0 when every program passes.
//   version_probe VERSION PROGRAM.exe...
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/WindowsText.h"
#include "ui/win32/resource.h"

namespace {
std::wstring Field(const std::vector<char>& block, const wchar_t* name) {
  wchar_t* value = nullptr;
  UINT length = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) return L"";
  return std::wstring(value, length > 0 ? length - 1 : 0);
}
// An icon group in the program's resources: Explorer shows the first one.
bool HasIcon(const wchar_t* program) {
  const HMODULE module = LoadLibraryExW(program, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return false;
  const bool found = FindResourceW(module, MAKEINTRESOURCEW(IDI_LPT_TOOL), RT_GROUP_ICON) != nullptr;
  FreeLibrary(module);
  return found;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  int failures = 0;
  for (int i = 2; i < argc; ++i) {
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeW(argv[i], &ignored));
    const bool read = !block.empty() && GetFileVersionInfoW(argv[i], 0, static_cast<DWORD>(block.size()), block.data());
    const bool fits = read && Field(block, L"ProductName") == L"LPT_Tool" && Field(block, L"FileVersion") == argv[1] &&
                      Field(block, L"LegalCopyright").find(L"MIT License") != std::wstring::npos &&
                      !Field(block, L"FileDescription").empty();
    const bool icon = HasIcon(argv[i]);
    std::printf("%s: %s %s, %s, %s\n", Utf8Text(argv[i]).c_str(), read ? "version" : "no version information",
                Utf8Text(Field(block, L"FileVersion")).c_str(), Utf8Text(Field(block, L"FileDescription")).c_str(),
                icon ? "icon" : "no icon");
    if (!fits || !icon) ++failures;
  }
  return failures;
}
