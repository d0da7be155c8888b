#include "ui/win32/Win32Controls.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include "runtime/WindowsText.h"

namespace {
HWND AsWindow(void* control) { return static_cast<HWND>(control); }
}  // namespace

Win32ProgressBar::Win32ProgressBar(void* control) : control_(control) {
  SendMessageW(AsWindow(control_), PBM_SETSTEP, 1, 0);  // the native control steps by 10
}

int Win32ProgressBar::Min() const { return static_cast<int>(SendMessageW(AsWindow(control_), PBM_GETRANGE, TRUE, 0)); }

int Win32ProgressBar::Max() const { return static_cast<int>(SendMessageW(AsWindow(control_), PBM_GETRANGE, FALSE, 0)); }

void Win32ProgressBar::SetMax(int max) { SendMessageW(AsWindow(control_), PBM_SETRANGE32, Min(), max); }

int Win32ProgressBar::Position() const { return static_cast<int>(SendMessageW(AsWindow(control_), PBM_GETPOS, 0, 0)); }

void Win32ProgressBar::StepIt() {
  SendMessageW(AsWindow(control_), PBM_STEPIT, 0, 0);
  // The control only invalidates itself; no message is handled during a read, so it is painted here.
  UpdateWindow(AsWindow(control_));
}

Win32StatusBar::Win32StatusBar(void* control) : control_(control) {
  int rightEdges[] = {-1};  // one part, to the right edge
  SendMessageW(AsWindow(control_), SB_SETPARTS, 1, reinterpret_cast<LPARAM>(rightEdges));
}

void Win32StatusBar::SetPanelText(const std::string& text) {
  SendMessageW(AsWindow(control_), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(WideText(text).c_str()));
}

std::string Win32StatusBar::PanelText() const {
  const auto length = LOWORD(SendMessageW(AsWindow(control_), SB_GETTEXTLENGTHW, 0, 0));
  std::wstring text(length + 1u, L'\0');
  SendMessageW(AsWindow(control_), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return Utf8Text(text);
}

void Win32StatusBar::Refresh() {
  InvalidateRect(AsWindow(control_), nullptr, FALSE);
  UpdateWindow(AsWindow(control_));
}

unsigned long Win32SaveDialog::Flags() { return OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING; }

bool Win32SaveDialog::Execute() {
  std::wstring name = WideText(fileName_);
  name.resize(32768, L'\0');  // the longest path Windows takes
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = AsWindow(owner_);
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.Flags = Flags();
  if (!GetSaveFileNameW(&dialog)) return false;
  fileName_ = Utf8Text(name.c_str());
  return true;
}
