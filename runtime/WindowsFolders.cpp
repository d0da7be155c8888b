// SPDX-License-Identifier: MIT
#include "runtime/WindowsFolders.h"

#include <windows.h>

namespace {
// "C:\x" or "\\server\share": a folder that does not depend on the current one.
bool IsAbsoluteFolder(const std::wstring& folder) {
  return (folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/')) ||
         folder.rfind(L"\\\\", 0) == 0;
}

}  // namespace

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L"";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring SystemFolder() {
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? L"" : std::wstring(path, length) + L"\\";
}

std::vector<std::wstring> DllSearchFolders() {
  std::vector<std::wstring> folders{ProgramFolder()};
  if (const std::wstring system = SystemFolder(); !system.empty()) folders.push_back(system);
  const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  std::wstring path(size, L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), size));
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find(L';', start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring folder = path.substr(start, end - start);
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
      folder = folder.substr(1, folder.size() - 2);
    if (IsAbsoluteFolder(folder)) {
      if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
      folders.push_back(folder);
    }
    start = end + 1;
  }
  return folders;
}
