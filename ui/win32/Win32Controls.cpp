// SPDX-License-Identifier: MIT
#include "ui/win32/Win32Controls.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <cctype>

#include "runtime/WindowsText.h"
#include "ui/win32/FramePacedPainting.h"

namespace {
HWND AsWindow(void* control) { return static_cast<HWND>(control); }
}  // namespace

Win32ProgressBar::Win32ProgressBar(void* control)
    : control_(control), position_(static_cast<int>(SendMessageW(AsWindow(control), PBM_GETPOS, 0, 0))) {
  SendMessageW(AsWindow(control_), PBM_SETSTEP, 1, 0);  // the native control steps by 10
}

Win32ProgressBar::~Win32ProgressBar() { WithdrawFromFrames(AsWindow(control_)); }

int Win32ProgressBar::Min() const { return static_cast<int>(SendMessageW(AsWindow(control_), PBM_GETRANGE, TRUE, 0)); }

int Win32ProgressBar::Max() const { return static_cast<int>(SendMessageW(AsWindow(control_), PBM_GETRANGE, FALSE, 0)); }

void Win32ProgressBar::SetMax(int max) {
  PaintWaitingControlsNow();  // the control holds the position the new range is set around
  SendMessageW(AsWindow(control_), PBM_SETRANGE32, Min(), max);
  position_ = static_cast<int>(SendMessageW(AsWindow(control_), PBM_GETPOS, 0, 0));
}

int Win32ProgressBar::Position() const { return position_; }

void Win32ProgressBar::StepIt() {
  position_ = SteppedPosition(position_, Step(), Min(), Max());
  UpdateByNextFrame(AsWindow(control_), [control = AsWindow(control_), position = position_] {
    SendMessageW(control, PBM_SETPOS, position, 0);
  });
}

Win32StatusBar::Win32StatusBar(void* control) : control_(control) {
  int rightEdges[] = {-1};  // one part, to the right edge
  SendMessageW(AsWindow(control_), SB_SETPARTS, 1, reinterpret_cast<LPARAM>(rightEdges));
}

Win32StatusBar::~Win32StatusBar() { WithdrawFromFrames(AsWindow(control_)); }

void Win32StatusBar::SetPanelText(const std::string& text) {
  text_ = text;
  HandOverByNextFrame(AsWindow(control_), [control = AsWindow(control_), wide = WideText(text_)] {
    SendMessageW(control, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    // Assistive technology hears the new status (once a frame during a read; "File Saved" or
    // "ERROR" at the end of a save).
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
  });
}

void Win32StatusBar::Refresh() { PaintIfFrameDue(); }

unsigned long Win32SaveDialog::Flags() { return OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING; }

bool Win32SaveDialog::Execute() {
  PaintWaitingControlsNow();  // the window shows its last state before the dialog takes the screen
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

bool Win32SaveQuestion::SaveAnyway(const std::string& finding) {
  PaintWaitingControlsNow();  // the window shows its last state behind the box
  wchar_t caption[256] = L"LPT_Tool";
  GetWindowTextW(AsWindow(owner_), caption, 256);
  std::string text = finding;
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  text += "\n\nSave the image anyway?";
  return MessageBoxW(AsWindow(owner_), WideText(text).c_str(), caption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) ==
         IDYES;
}
