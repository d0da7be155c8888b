// The window and its controls on the Windows common controls, as the controls report them.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "bus/BusLines.h"
#include "tests/support/RecordingPort.h"
#include "ui/win32/FramePacedPainting.h"
#include "ui/win32/LPT_Tool.h"
#include "ui/win32/MemoryPicture.h"
#include "ui/win32/TApplication.h"
#include "ui/win32/WindowDpi.h"
#include "ui/win32/resource.h"

namespace {
// Handles the thread's messages until no paint is pending and the screen shows both bars as the
// window holds them (under Wine the screen is the X server's, which takes its time), within a
// deadline that a loaded machine keeps too. False when the deadline passed first.
bool HandleMessagesUntilOnScreen(HWND window) {
  const HWND bars[] = {GetDlgItem(window, IDC_PROGRESSBAR1), GetDlgItem(window, IDC_STATUSBAR1)};
  const auto shown = [&] {
    if (!IsWindowVisible(window) || (GetQueueStatus(QS_PAINT) & QS_PAINT) != 0) return false;
    for (const HWND bar : bars) {
      if (!(MemoryPicture::OnScreen(bar) == MemoryPicture::InWindow(bar))) return false;
    }
    return true;
  };
  const DWORD start = GetTickCount();
  MSG message{};
  for (;;) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (shown()) return true;
    if (GetTickCount() - start > 60000) return false;
    Sleep(10);
  }
}

// The window on a recorded bus, with errors collected instead of shown in boxes.
class Win32WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CsLine = SckLine = SiLine = 0;
    Application.Initialize();
    previousHandler = Application.SetErrorHandler([this](const std::string& message) { errors.push_back(message); });
  }
  void TearDown() override {
    Application.DestroyMainForm();
    Application.SetErrorHandler(previousHandler);
    EXPECT_TRUE(errors.empty()) << errors.front();
  }
  // The window on the screen, painted.
  static HWND ShowTheWindow() {
    Application.CreateForm(Form1);
    const auto window = static_cast<HWND>(Form1->Handle());
    ShowWindow(window, SW_SHOWNORMAL);
    EXPECT_TRUE(HandleMessagesUntilOnScreen(window)) << "the window did not reach the screen within a minute";
    return window;
  }
  static RECT ChildArea(HWND child) {
    RECT area{};
    GetWindowRect(child, &area);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&area), 2);
    return area;
  }
  RecordingPort port;
  std::vector<std::string> errors;
  TApplication::ErrorHandler previousHandler;
};

TEST_F(Win32WindowTest, LooksAsDescribedAndStartsTheBusIdle) {
  Application.CreateForm(Form1);
  EXPECT_EQ(port.events, (std::vector<BusEvent>{{BusEvent::Kind::Write, DataPort, 0xF1}, {BusEvent::Kind::Delay}}));

  const auto window = static_cast<HWND>(Form1->Handle());
  wchar_t caption[64] = L"";
  GetWindowTextW(window, caption, 64);
  EXPECT_STREQ(caption, L"Korvane");
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0) << "no icon in the title bar";
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0) << "no icon for the taskbar";
  const UINT dpi = DpiOfWindow(window);
  const auto scaled = [dpi](int pixels) { return MulDiv(pixels, static_cast<int>(dpi), 96); };
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, scaled(393));
  EXPECT_EQ(client.bottom, scaled(72));
  const RECT button = ChildArea(static_cast<HWND>(Form1->Button1));
  EXPECT_EQ(button.left, 0);
  EXPECT_EQ(button.top, scaled(8));
  EXPECT_EQ(button.right, scaled(393));
  EXPECT_EQ(button.bottom, scaled(33));
  const RECT statusBar = ChildArea(FindWindowExW(window, nullptr, STATUSCLASSNAMEW, nullptr));
  EXPECT_EQ(statusBar.bottom, client.bottom) << "along the bottom";
  EXPECT_EQ(statusBar.top, client.bottom - scaled(19)) << "the description's height, clear of the progress bar";
  EXPECT_EQ(statusBar.right - statusBar.left, client.right) << "over the full width";
  EXPECT_EQ(Form1->StatusBar1->PanelText(), "");
}

TEST_F(Win32WindowTest, TheProgressBarStepsByOneAndStartsOverPastItsMaximum) {
  Application.CreateForm(Form1);
  Win32ProgressBar& bar = *Form1->ProgressBar1;
  EXPECT_EQ(bar.Min(), 0);
  EXPECT_EQ(bar.Max(), 100);
  bar.StepIt();
  bar.SetMax(2048);
  EXPECT_EQ(bar.Max(), 2048);
  EXPECT_EQ(bar.Position(), 1) << "setting the maximum leaves the position alone";
  for (int step = 1; step < 2048; ++step) bar.StepIt();
  EXPECT_EQ(bar.Position(), 2048);
  bar.StepIt();
  EXPECT_LE(bar.Position(), 1) << "the native control starts over from the beginning (Wine keeps the remainder)";
}

TEST_F(Win32WindowTest, TheStatusTextIsThePanelsOwnAndTheDialogAsksNothingBeforeReplacing) {
  Application.CreateForm(Form1);
  Form1->StatusBar1->SetPanelText("Address : 2047, Content : 255");
  Form1->StatusBar1->Refresh();
  PaintWaitingControlsNow();  // the control gets its text by the next frame
  wchar_t text[64] = L"";
  SendMessageW(FindWindowExW(static_cast<HWND>(Form1->Handle()), nullptr, STATUSCLASSNAMEW, nullptr), SB_GETTEXTW, 0,
               reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"Address : 2047, Content : 255");
  EXPECT_EQ(Win32SaveDialog::Flags() & OFN_OVERWRITEPROMPT, 0u);
}

// The screen as the save dialog is created (before its loop paints anything that waits), and the
// dialog cancelled once it is up.
MemoryPicture statusWhenTheDialogOpened;
MemoryPicture progressWhenTheDialogOpened;
LRESULT CALLBACK WatchForTheDialog(int code, WPARAM window, LPARAM parameter) {
  const auto dialog = reinterpret_cast<HWND>(window);
  if (code == HCBT_CREATEWND && statusWhenTheDialogOpened.Empty() &&
      reinterpret_cast<CBT_CREATEWNDW*>(parameter)->lpcs->hwndParent == Form1->Handle()) {
    statusWhenTheDialogOpened = MemoryPicture::OnScreen(GetDlgItem(static_cast<HWND>(Form1->Handle()), IDC_STATUSBAR1));
    progressWhenTheDialogOpened =
        MemoryPicture::OnScreen(GetDlgItem(static_cast<HWND>(Form1->Handle()), IDC_PROGRESSBAR1));
  }
  if (code == HCBT_ACTIVATE && GetParent(dialog) == Form1->Handle()) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  return CallNextHookEx(nullptr, code, window, parameter);
}

TEST_F(Win32WindowTest, TheScreenShowsTheReadsLastByteWhenTheSaveDialogOpens) {
  const HWND window = ShowTheWindow();
  const HHOOK hook = SetWindowsHookExW(WH_CBT, WatchForTheDialog, nullptr, GetCurrentThreadId());
  Form1->Button1Click();
  UnhookWindowsHookEx(hook);
  ASSERT_FALSE(statusWhenTheDialogOpened.Empty()) << "no save dialog was created";
  PaintWaitingControlsNow();  // as the window does before it waits for input
  ASSERT_TRUE(HandleMessagesUntilOnScreen(window)) << "the window did not reach the screen within a minute";
  EXPECT_EQ(Form1->StatusBar1->PanelText(), "Address : 2047, Content : 0");
  EXPECT_TRUE(statusWhenTheDialogOpened == MemoryPicture::OnScreen(GetDlgItem(window, IDC_STATUSBAR1)))
      << "the status bar on the screen was behind the read when the dialog opened";
  EXPECT_TRUE(progressWhenTheDialogOpened == MemoryPicture::OnScreen(GetDlgItem(window, IDC_PROGRESSBAR1)))
      << "the progress bar on the screen was behind the read when the dialog opened";
}

// A frame during a read: the bars' new state is shown once a frame is due.
void ShowNextFrame(Win32StatusBar& status) {
  Sleep(20);
  status.Refresh();
}

TEST_F(Win32WindowTest, DuringAReadTheWindowShowsCopiesOfTheBarsThatLookExactlyLikeTheirOwnPaint) {
  const HWND window = ShowTheWindow();
  const HWND progress = GetDlgItem(window, IDC_PROGRESSBAR1);
  const HWND status = GetDlgItem(window, IDC_STATUSBAR1);
  Win32ProgressBar& bar = *Form1->ProgressBar1;
  bar.SetMax(2048);
  for (const int byte : {11, 700, 1024, 2047}) {
    while (bar.Position() < byte) bar.StepIt();
    Form1->StatusBar1->SetPanelText("Address : " + std::to_string(byte) + ", Content : 255");
    const auto progressBefore = MemoryPicture::InWindow(progress);
    const auto statusBefore = MemoryPicture::InWindow(status);
    ShowNextFrame(*Form1->StatusBar1);
    EXPECT_NE(SendMessageW(progress, PBM_GETPOS, 0, 0), byte) << "the bar painted itself instead of its copy";
    const auto progressCopy = MemoryPicture::InWindow(progress);
    const auto statusCopy = MemoryPicture::InWindow(status);
    EXPECT_FALSE(progressCopy == progressBefore) << "no new position shown at byte " << byte;
    EXPECT_FALSE(statusCopy == statusBefore) << "no new text shown at byte " << byte;
    EXPECT_TRUE(MemoryPicture::OnScreen(progress) == progressCopy)
        << "the frame did not reach the screen at byte " << byte;
    EXPECT_TRUE(MemoryPicture::OnScreen(status) == statusCopy) << "the frame did not reach the screen at byte " << byte;

    PaintWaitingControlsNow();  // the bars get their state and paint themselves
    EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), byte);
    EXPECT_TRUE(MemoryPicture::InWindow(progress) == progressCopy)
        << "the progress bar's copy differs from it at " << byte;
    EXPECT_TRUE(MemoryPicture::InWindow(status) == statusCopy) << "the status bar's copy differs from it at " << byte;
  }
}

TEST_F(Win32WindowTest, ABarWithoutAFaithfulCopyPaintsItselfEachFrame) {
  const HWND window = ShowTheWindow();
  const HWND status = GetDlgItem(window, IDC_STATUSBAR1);
  int twoParts[] = {100, -1};  // the copy stands only for a status bar of one part
  SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(twoParts));
  Form1->StatusBar1->SetPanelText("Address : 5, Content : 7");
  Form1->ProgressBar1->StepIt();
  ShowNextFrame(*Form1->StatusBar1);
  wchar_t text[64] = L"";
  SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"Address : 5, Content : 7") << "the status bar did not get its text with the frame";
  EXPECT_EQ(SendMessageW(GetDlgItem(window, IDC_PROGRESSBAR1), PBM_GETPOS, 0, 0), Form1->ProgressBar1->Position());
}
}  // namespace
