// SPDX-License-Identifier: MIT
#include "ui/win32/WindowDpi.h"

namespace {
template <typename Function>
Function LookUp(const char* name) {
  // USER32 is loaded into every windowed process; what it lacks on this Windows stays null.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using AdjustForDpiCall = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

const GetDpiForWindowCall getDpiForWindow = LookUp<GetDpiForWindowCall>("GetDpiForWindow");
const AdjustForDpiCall adjustWindowRectExForDpi = LookUp<AdjustForDpiCall>("AdjustWindowRectExForDpi");

unsigned SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<unsigned>(dpi) : USER_DEFAULT_SCREEN_DPI;
}
}  // namespace

void PrepareDpiAwareness() {
  // Windows 10 takes per-monitor awareness from the manifest; before it, the system DPI.
  if (getDpiForWindow == nullptr) SetProcessDPIAware();
}

unsigned DpiOfWindow(HWND window) { return getDpiForWindow != nullptr ? getDpiForWindow(window) : SystemDpi(); }

void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD extendedStyle, unsigned dpi) {
  if (adjustWindowRectExForDpi != nullptr) {
    adjustWindowRectExForDpi(rect, style, FALSE, extendedStyle, dpi);
  } else {
    AdjustWindowRectEx(rect, style, FALSE, extendedStyle);  // the system DPI is the window's
  }
}
