// The window and its controls on the Windows common controls, as the controls report them.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include "bus/BusLines.h"
#include "tests/support/RecordingPort.h"
#include "ui/win32/LPT_Tool.h"
#include "ui/win32/TApplication.h"
#include "ui/win32/WindowDpi.h"

namespace {
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
  wchar_t text[64] = L"";
  SendMessageW(FindWindowExW(static_cast<HWND>(Form1->Handle()), nullptr, STATUSCLASSNAMEW, nullptr), SB_GETTEXTW, 0,
               reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"Address : 2047, Content : 255");
  EXPECT_EQ(Win32SaveDialog::Flags() & OFN_OVERWRITEPROMPT, 0u);
}
}  // namespace
