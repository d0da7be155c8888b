// SPDX-License-Identifier: MIT
// Prints the status bar text of the top-level window whose caption starts with the argument,
// as the window's own status bar control reports it (WM_GETTEXT, which Windows passes between
// processes). For the end-to-end test, which drives the window from outside.
#include <windows.h>

#include <cstdio>
#include <string>

#include "runtime/WindowsText.h"

namespace {
struct Search {
  std::wstring captionStart;
  HWND found = nullptr;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  wchar_t caption[256] = L"";
  GetWindowTextW(window, caption, 256);
  if (std::wstring(caption).rfind(search->captionStart, 0) != 0) return TRUE;
  if (FindWindowExW(window, nullptr, L"msctls_statusbar32", nullptr) == nullptr) return TRUE;
  search->found = window;
  return FALSE;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  Search search{argv[1]};
  EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return 1;
  const HWND statusBar = FindWindowExW(search.found, nullptr, L"msctls_statusbar32", nullptr);
  wchar_t text[256] = L"";
  DWORD_PTR result = 0;
  SendMessageTimeoutW(statusBar, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &result);
  std::printf("%s\n", Utf8Text(text).c_str());
  return 0;
}
