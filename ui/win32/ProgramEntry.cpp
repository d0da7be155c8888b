// SPDX-License-Identifier: MIT
#include "ui/win32/ProgramEntry.h"

#include <windows.h>

#include "ui/win32/LPT_Tool.h"
#include "ui/win32/TApplication.h"

int RunMainWindow(const std::wstring& caption) {
  Application.Initialize();
  Application.CreateForm(Form1);
  if (!caption.empty()) SetWindowTextW(static_cast<HWND>(Form1->Handle()), caption.c_str());
  return Application.Run();
}
