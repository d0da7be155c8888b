// SPDX-License-Identifier: MIT
#include "ui/win32/TApplication.h"

#include "ui/win32/FramePacedPainting.h"

#include <windows.h>

#include <commctrl.h>

#include "runtime/WindowsText.h"
#include "ui/win32/WindowDpi.h"

TApplication Application;

TApplication::TApplication() : TopLevelErrors([this](const std::string& message) { ShowError(message); }) {}

TApplication::~TApplication() = default;

void TApplication::Initialize() {
  PrepareDpiAwareness();
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
}

int TApplication::Run() {
  const auto window = static_cast<HWND>(mainForm_->Handle());
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  MSG message{};
  for (;;) {
    PaintWaitingControlsNow();  // nothing waits off the screen while the window waits for input
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
    // Tab, Return and Space work on the window as in a dialog.
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  mainForm_.reset();
  return static_cast<int>(message.wParam);
}

void TApplication::DestroyMainForm() { mainForm_.reset(); }

void TApplication::ShowError(const std::string& message) {
  const auto window = mainForm_ ? static_cast<HWND>(mainForm_->Handle()) : nullptr;
  wchar_t caption[256] = L"LPT_Tool";
  if (window != nullptr) GetWindowTextW(window, caption, 256);
  PaintWaitingControlsNow();  // the window shows its last state behind the box
  MessageBoxW(window, WideText(message).c_str(), caption, MB_OK | MB_ICONERROR);
}
