// SPDX-License-Identifier: MIT
#include "ui/win32/LPT_Tool.h"

#include <windows.h>

#include <commctrl.h>

#include <tuple>

#include "dump/ReadAndSave.h"
#include "ui/win32/FramePacedPainting.h"
#include "ui/win32/WindowDpi.h"
#include "ui/win32/resource.h"

TForm1* Form1 = nullptr;

namespace {
// The window description's pixels at 96 DPI: the client area, the frame's position, the
// button, the progress bar, and the status bar's height.
constexpr SIZE ClientArea{393, 72};
constexpr POINT OuterPosition{227, 151};
constexpr RECT ButtonArea{0, 8, 393, 8 + 25};
constexpr RECT ProgressArea{0, 40, 393, 40 + 8};
constexpr int StatusBarHeight = 19;
constexpr int FontPoints = 8;

int Scaled(int pixels, unsigned dpi) { return MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI); }

void Place(HWND control, const RECT& area, unsigned dpi) {
  SetWindowPos(control, nullptr, Scaled(area.left, dpi), Scaled(area.top, dpi), Scaled(area.right - area.left, dpi),
               Scaled(area.bottom - area.top, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

// Along the bottom of the client area, over its full width, at the description's height. The
// control would size itself from its font (taller under some systems' themes, then covering
// the progress bar's lower rows), so it is placed here (CCS_NORESIZE).
void PlaceStatusBar(HWND window) {
  const unsigned dpi = DpiOfWindow(window);
  RECT client{};
  GetClientRect(window, &client);
  const int height = Scaled(StatusBarHeight, dpi);
  SetWindowPos(GetDlgItem(window, IDC_STATUSBAR1), nullptr, 0, client.bottom - height, client.right, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsCloseRequest(const MSG& message) {
  switch (message.message) {
    case WM_CLOSE:
      return true;
    case WM_SYSCOMMAND:
      return (message.wParam & 0xFFF0) == SC_CLOSE;
    case WM_SYSKEYDOWN:
      return message.wParam == VK_F4;  // Alt+F4
    case WM_NCLBUTTONUP:
      return message.wParam == HTCLOSE;  // the title bar's close button
    default:
      return false;
  }
}

// Removes the keyboard and mouse input that waited in the queue during the read, which handles
// no messages: it was typed at a window that did not answer, and must not start another read or
// fill in the save dialog. Returns whether a close was asked for among it or beside it.
bool DropInputOfTheRead() {
  // Input the system has received but not yet queued is queued first, so none of it slips past
  // to the dialog: Wine takes X events in only while the thread waits for messages, and at most
  // once a millisecond tick, so the wait spans a few ticks.
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  MSG pending;
  PeekMessageW(&pending, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD);
  bool closeAsked = false;
  MSG message;
  const auto drop = [&](UINT first, UINT last) {
    while (PeekMessageW(&message, nullptr, first, last, PM_REMOVE | PM_NOYIELD)) {
      closeAsked = closeAsked || IsCloseRequest(message);
    }
  };
  drop(WM_KEYFIRST, WM_KEYLAST);
  drop(WM_MOUSEFIRST, WM_MOUSELAST);
  drop(WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK);
  drop(WM_SYSCOMMAND, WM_SYSCOMMAND);
  drop(WM_CLOSE, WM_CLOSE);
  return closeAsked;
}

// The program's icon in the title bar (small) and the taskbar and Alt+Tab (large), each drawn
// at the size the system asks for, not scaled from another.
void ShowProgramIcon(HWND window) {
  for (const auto& [which, width, height] :
       {std::tuple{ICON_SMALL, SM_CXSMICON, SM_CYSMICON}, std::tuple{ICON_BIG, SM_CXICON, SM_CYICON}}) {
    const HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_LPT_TOOL), IMAGE_ICON,
                                   GetSystemMetrics(width), GetSystemMetrics(height), LR_SHARED);
    if (icon != nullptr) SendMessageW(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
}

// One window procedure, dispatching to the named handlers and nothing more.
INT_PTR CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_BUTTON1 && HIWORD(wParam) == BN_CLICKED && Form1 != nullptr) {
        Application.HandleErrorsOf([] { Form1->Button1Click(); });
        if (Form1->CloseAsked()) PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
      }
      return FALSE;
    case WM_SIZE:
      PlaceStatusBar(window);
      return TRUE;
    case WM_DPICHANGED: {
      if (Form1 != nullptr) Form1->Layout(HIWORD(wParam));
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(window);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
    default:
      return FALSE;
  }
}
}  // namespace

TForm1::TForm1() {
  const HWND window =
      CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FORM1), nullptr, FormProcedure, 0);
  window_ = window;
  Button1 = GetDlgItem(window, IDC_BUTTON1);
  StatusBar1 = std::make_unique<Win32StatusBar>(GetDlgItem(window, IDC_STATUSBAR1));
  ProgressBar1 = std::make_unique<Win32ProgressBar>(GetDlgItem(window, IDC_PROGRESSBAR1));
  // The progress bar's text is its name for assistive technology (the button's is its caption,
  // the status bar's its text); a progress bar shows no text of its own.
  SetWindowTextW(GetDlgItem(window, IDC_PROGRESSBAR1), L"Read progress");
  SaveDialog1.SetOwner(window);
  SaveQuestion.SetOwner(window);
  ShowProgramIcon(window);
  Layout(DpiOfWindow(window));
}

TForm1::~TForm1() {
  if (IsWindow(static_cast<HWND>(window_))) DestroyWindow(static_cast<HWND>(window_));
  if (font_ != nullptr) DeleteObject(static_cast<HFONT>(font_));
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::Layout(unsigned dpi) {
  const auto window = static_cast<HWND>(window_);
  // The bitmap "MS Sans Serif" has no sizes beyond 8 pt at 96 DPI; its TrueType twin scales.
  const HFONT font =
      CreateFontW(-MulDiv(FontPoints, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                  dpi == USER_DEFAULT_SCREEN_DPI ? L"MS Sans Serif" : L"Microsoft Sans Serif");
  for (const int control : {IDC_BUTTON1, IDC_PROGRESSBAR1, IDC_STATUSBAR1}) {
    SendDlgItemMessageW(window, control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (font_ != nullptr) DeleteObject(static_cast<HFONT>(font_));
  font_ = font;

  RECT outer{0, 0, Scaled(ClientArea.cx, dpi), Scaled(ClientArea.cy, dpi)};
  AdjustWindowRectForDpi(&outer, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)),
                         static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)), dpi);
  SetWindowPos(window, nullptr, Scaled(OuterPosition.x, dpi), Scaled(OuterPosition.y, dpi), outer.right - outer.left,
               outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Place(GetDlgItem(window, IDC_BUTTON1), ButtonArea, dpi);
  Place(GetDlgItem(window, IDC_PROGRESSBAR1), ProgressArea, dpi);
  PlaceStatusBar(window);
}

void TForm1::FormCreate() { WindowStartUp(); }

void TForm1::Button1Click() {
  ReadAndSave(
      *ProgressBar1, *StatusBar1, SaveDialog1, SaveQuestion, [this] { AfterTheRead(); },
      [](const std::string& why) { Application.Report(why); });
}

void TForm1::AfterTheRead() {
  // The screen shows the read's last byte before the dialog or an error box takes it.
  PaintWaitingControlsNow();
  if (DropInputOfTheRead()) closeAsked_ = true;
}
