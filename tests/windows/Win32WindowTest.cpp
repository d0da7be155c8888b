// SPDX-License-Identifier: MIT
// The window and its controls on the Windows common controls, as the controls report them.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bus/BusLines.h"
#include "bus/Port95.h"
#include "dump/ImageFile.h"
#include "emu/EmulatedAdapter.h"
#include "port/PortRegisters.h"
#include "runtime/WindowsText.h"
#include "tests/support/FileContents.h"
#include "tests/support/MemoryPicture.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/ScratchFolder.h"
#include "ui/win32/FramePacedPainting.h"
#include "ui/win32/LPT_Tool.h"
#include "ui/win32/TApplication.h"
#include "ui/win32/WindowDpi.h"
#include "ui/win32/resource.h"

namespace {
HWND Bar(HWND window, int id) { return GetDlgItem(window, id); }

// The screen shows each bar as the bar paints the state it holds.
bool ScreenShowsTheBarsAsTheyAre(HWND window) {
  for (const int bar : {IDC_PROGRESSBAR1, IDC_STATUSBAR1}) {
    if (!(MemoryPicture::OnScreen(Bar(window, bar)) == MemoryPicture::Of(Bar(window, bar)))) return false;
  }
  return true;
}

// The deadline of every wait for the screen: the X server under a loaded machine takes its time.
constexpr DWORD ScreenDeadlineMs = 30000;

// Handles the window's messages, as its loop does (what waits is painted before each wait for
// input), until `done` holds or the deadline passes.
template <typename Done>
bool RunTheWindowUntil(Done done) {
  const DWORD start = GetTickCount();
  MSG message{};
  for (;;) {
    PaintWaitingControlsNow();
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (done()) return true;
    if (GetTickCount() - start > ScreenDeadlineMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
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
    EXPECT_TRUE(RunTheWindowUntil([window] {
      return IsWindowVisible(window) && (GetQueueStatus(QS_PAINT) & QS_PAINT) == 0 &&
             ScreenShowsTheBarsAsTheyAre(window);
    })) << "the window did not reach the screen";
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
  wchar_t progressName[64] = L"";
  GetWindowTextW(GetDlgItem(window, IDC_PROGRESSBAR1), progressName, 64);
  EXPECT_STREQ(progressName, L"Read progress") << "the progress bar's name for assistive technology";
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

// Windows' common controls only invalidate when handed a state, and no message is handled during a
// read: the frame paints what it handed over itself. (Wine's bars paint at once, so a plain
// control that only invalidates stands in for Windows' here.)
TEST_F(Win32WindowTest, AFramePaintsAControlThatOnlyInvalidates) {
  const HWND window = ShowTheWindow();
  const HWND control =
      CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 40, 10, window, nullptr, nullptr, nullptr);
  ASSERT_TRUE(RunTheWindowUntil([control] { return !GetUpdateRect(control, nullptr, FALSE); }));
  HandOverByNextFrame(control, [control] { InvalidateRect(control, nullptr, FALSE); });
  PaintWaitingControlsNow();
  EXPECT_FALSE(GetUpdateRect(control, nullptr, FALSE)) << "the control was left waiting for a paint";
  DestroyWindow(control);
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

// The emulated adapter and 25160 behind the window's reads, with a test's action at the first
// bit of each byte (a byte is eight status reads).
class WatchedAdapter : public PortBackend {
 public:
  WatchedAdapter(const EepromImage& image, std::function<void(int byte)> atByte)
      : adapter_(image), atByte_(std::move(atByte)), previous_(InstallPortBackend(this)) {}
  ~WatchedAdapter() override { InstallPortBackend(previous_); }
  WatchedAdapter(const WatchedAdapter&) = delete;
  WatchedAdapter& operator=(const WatchedAdapter&) = delete;

  std::uint8_t ReadPortByte(std::uint16_t port) override {
    if (port == StatusPort && statusReads_++ % 8 == 0) atByte_(static_cast<int>((statusReads_ / 8) % EepromSize));
    return adapter_.ReadPortByte(port);
  }
  void WritePortByte(std::uint16_t port, std::uint8_t value) override { adapter_.WritePortByte(port, value); }
  std::optional<std::uint8_t> DataLatch() override { return adapter_.DataLatch(); }

 private:
  EmulatedAdapter adapter_;
  std::function<void(int)> atByte_;
  PortBackend* previous_;
  unsigned long statusReads_ = 0;
};

std::wstring StatusText(HWND window) {
  wchar_t text[128] = L"";
  GetWindowTextW(Bar(window, IDC_STATUSBAR1), text, 128);  // WM_GETTEXT: the first part's text
  return text;
}

int ProgressPosition(HWND window) {
  return static_cast<int>(SendMessageW(Bar(window, IDC_PROGRESSBAR1), PBM_GETPOS, 0, 0));
}

// Waits until the screen shows the bars as they are, handling no message and doing nothing that
// would put the window's painting on the screen (a wait for messages would, under Wine): that is
// the window's own job during a read. False when the deadline passed first.
bool WaitUntilTheScreenShowsTheBars(HWND window) {
  const DWORD start = GetTickCount();
  while (!ScreenShowsTheBarsAsTheyAre(window)) {
    if (GetTickCount() - start > ScreenDeadlineMs) return false;
    Sleep(5);
  }
  return true;
}

std::wstring AddressText(int address, int content) {
  return L"Address : " + std::to_wstring(address) + L", Content : " + std::to_wstring(content);
}

// How the test answers the windows that a read opens: the save dialog is moved off the bars and
// answered once the screen shows the read's end (or the deadline passed); an error box is closed,
// and the dialog that then opens again for the same image is cancelled.
struct DialogAnswers {
  std::wstring saveAs;  // empty: cancel
  std::wstring expectedStatus;
  bool endShown = false;
  std::wstring statusAtTheDialog;
  int positionAtTheDialog = -1;
  int errorBoxes = 0;
  HWND dialog = nullptr;
  DWORD dialogSince = 0;
};
DialogAnswers answers;

BOOL CALLBACK FindVisibleEdit(HWND child, LPARAM result) {
  wchar_t kind[32] = L"";
  GetClassNameW(child, kind, 32);
  if (_wcsicmp(kind, L"Edit") != 0 || !IsWindowVisible(child)) return TRUE;
  *reinterpret_cast<HWND*>(result) = child;
  return FALSE;
}

// The dialog's file name box: its one visible edit control.
HWND FileNameEdit(HWND dialog) {
  HWND found = nullptr;
  EnumChildWindows(dialog, FindVisibleEdit, reinterpret_cast<LPARAM>(&found));
  return found;
}

void CALLBACK LookAtTheScreenBehindTheDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  const auto window = static_cast<HWND>(Form1->Handle());
  answers.statusAtTheDialog = StatusText(window);
  answers.positionAtTheDialog = ProgressPosition(window);
  answers.endShown = answers.statusAtTheDialog == answers.expectedStatus &&
                     answers.positionAtTheDialog == Form1->ProgressBar1->Position() &&
                     ScreenShowsTheBarsAsTheyAre(window);
  if (!answers.endShown && GetTickCount() - answers.dialogSince < ScreenDeadlineMs) return;
  KillTimer(nullptr, timer);
  if (answers.saveAs.empty()) {
    PostMessageW(answers.dialog, WM_COMMAND, IDCANCEL, 0);
  } else {
    SetWindowTextW(FileNameEdit(answers.dialog), answers.saveAs.c_str());
    PostMessageW(answers.dialog, WM_COMMAND, IDOK, 0);
  }
}

LRESULT CALLBACK AnswerTheDialogs(int code, WPARAM window, LPARAM parameter) {
  const auto opened = reinterpret_cast<HWND>(window);
  if (code == HCBT_ACTIVATE && GetParent(opened) == Form1->Handle() && opened != answers.dialog) {
    wchar_t title[64] = L"";
    GetWindowTextW(opened, title, 64);
    if (std::wstring(title) == L"Save As") {
      answers.dialog = opened;
      answers.dialogSince = GetTickCount();
      // Off the bars: below the window.
      RECT frame{};
      GetWindowRect(static_cast<HWND>(Form1->Handle()), &frame);
      SetWindowPos(opened, nullptr, frame.left, frame.bottom + 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      SetTimer(nullptr, 0, 20, LookAtTheScreenBehindTheDialog);
    } else {
      ++answers.errorBoxes;
      answers.saveAs.clear();  // the dialog that opens again after a failed save is cancelled
      answers.dialog = nullptr;
      PostMessageW(opened, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(nullptr, code, window, parameter);
}

// Reads the chip through the window five times at the present DPI; each read is watched at three
// bytes in its middle and at its end, with the save dialog open. Reads 1-3 are cancelled, read 4
// saves, read 5 names a file that cannot be written (an error box, then the dialog again,
// cancelled). Before bytes 400, 1100, 1800 and 2040 the read waits a frame's time, so that a
// frame shows each of those bytes.
TEST_F(Win32WindowTest, TheScreenShowsWhatTheBarsHoldDuringAndAfterEveryRead) {
  const HWND window = ShowTheWindow();
  const unsigned dpi = DpiOfWindow(window);
  const EepromImage image = DemoEepromImage();
  int read = 0;
  WatchedAdapter adapter(image, [&](int byte) {
    if (byte == 400 || byte == 1100 || byte == 1800 || byte == 2040) Sleep(20);
    if (byte != 401 && byte != 1101 && byte != 1801) return;
    // The frame at the byte before showed it: the status bar holds its text, the progress bar its
    // position (or one more, if painting took a frame's time and the next step got a frame too).
    EXPECT_EQ(StatusText(window), AddressText(byte - 1, image[byte - 1])) << "read " << read << " at " << dpi << " DPI";
    const int stepped = Form1->ProgressBar1->Position();
    EXPECT_GE(ProgressPosition(window), stepped - 1) << "read " << read << " at " << dpi << " DPI";
    EXPECT_LE(ProgressPosition(window), stepped) << "read " << read << " at " << dpi << " DPI";
    EXPECT_TRUE(WaitUntilTheScreenShowsTheBars(window)) << "during read " << read << " at byte " << byte << " (" << dpi
                                                        << " DPI) the screen never showed the bars as they are";
    // No message is handled during a read, so nothing else would paint what the frame invalidated:
    // the frame paints it itself, and no control is left waiting for a paint.
    for (const int bar : {IDC_STATUSBAR1, IDC_PROGRESSBAR1}) {
      EXPECT_FALSE(GetUpdateRect(Bar(window, bar), nullptr, FALSE)) << "read " << read << " at byte " << byte;
    }
  });
  const std::filesystem::path folder = NewScratchFolder("lpt-window");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder);  // where the dialog opens: a folder quick to list
  const HHOOK hook = SetWindowsHookExW(WH_CBT, AnswerTheDialogs, nullptr, GetCurrentThreadId());
  for (read = 1; read <= 5; ++read) {
    answers = {};
    answers.expectedStatus = AddressText(2047, image[2047]);
    if (read == 4) answers.saveAs = (folder / "dump.bin").wstring();
    if (read == 5) {
      answers.saveAs = L"NUL";
      Application.SetErrorHandler(previousHandler);  // the error in a box, as the window shows it
    }
    Application.HandleErrorsOf([] { Form1->Button1Click(); });
    Application.SetErrorHandler([this](const std::string& message) { errors.push_back(message); });
    EXPECT_TRUE(answers.endShown) << "read " << read << " at " << dpi
                                  << " DPI: with the save dialog open, the bars hold \""
                                  << Utf8Text(answers.statusAtTheDialog) << "\" and " << answers.positionAtTheDialog
                                  << ", and the screen "
                                  << (ScreenShowsTheBarsAsTheyAre(window) ? "shows" : "does not show") << " them";
    // The bar keeps its position between reads: a later read steps on from the maximum, starting over.
    if (read == 1) {
      EXPECT_EQ(answers.positionAtTheDialog, static_cast<int>(EepromSize)) << "the bar is not full";
    }
    const std::wstring after = read == 4 ? L"File Saved" : answers.expectedStatus;
    EXPECT_TRUE(RunTheWindowUntil([&] {
      return StatusText(window) == after && ProgressPosition(window) == Form1->ProgressBar1->Position() &&
             ScreenShowsTheBarsAsTheyAre(window);
    })) << "read "
        << read << " at " << dpi << " DPI: after the dialog" << (read == 5 ? " and the error box" : "")
        << " the bars hold \"" << Utf8Text(StatusText(window)) << "\" and " << ProgressPosition(window)
        << ", and the screen " << (ScreenShowsTheBarsAsTheyAre(window) ? "shows" : "does not show") << " them";
  }
  UnhookWindowsHookEx(hook);
  std::filesystem::current_path(before);
  EXPECT_EQ(answers.errorBoxes, 1) << "the save into NUL showed no error box";
  EXPECT_EQ(FileContents(folder / "dump.bin"), std::string(image.begin(), image.end()))
      << "read 4 saved no faithful image";
  std::filesystem::remove_all(folder);
}
// The boxes over the window during a read of an empty socket: the question is answered with
// `questionAnswer`; a save dialog, if one opens, is cancelled and counted.
struct QuestionWatch {
  int questionAnswer = IDNO;
  std::wstring title;
  std::wstring text;
  int questions = 0;
  int saveDialogs = 0;
};
QuestionWatch watch;

BOOL CALLBACK KeepStaticText(HWND child, LPARAM) {
  wchar_t kind[32] = L"";
  GetClassNameW(child, kind, 32);
  wchar_t text[1024] = L"";
  GetWindowTextW(child, text, 1024);
  if (_wcsicmp(kind, L"Static") == 0 && wcslen(text) > watch.text.size()) watch.text = text;
  return TRUE;
}

LRESULT CALLBACK AnswerTheQuestion(int code, WPARAM window, LPARAM parameter) {
  const auto opened = reinterpret_cast<HWND>(window);
  if (code == HCBT_ACTIVATE && GetParent(opened) == Form1->Handle()) {
    wchar_t title[64] = L"";
    GetWindowTextW(opened, title, 64);
    if (std::wstring(title) == L"Save As") {
      ++watch.saveDialogs;
      PostMessageW(opened, WM_COMMAND, IDCANCEL, 0);
    } else {
      ++watch.questions;
      watch.title = title;
      EnumChildWindows(opened, KeepStaticText, 0);
      PostMessageW(opened, WM_COMMAND, watch.questionAnswer, 0);
    }
  }
  return CallNextHookEx(nullptr, code, window, parameter);
}

// No chip in the socket: every byte reads 0xFF. The window says so before the save dialog,
// which opens only when the user answers Yes (save anyway); No is the default.
TEST_F(Win32WindowTest, AReadThatLooksWrongIsSavedOnlyWhenTheUserSaysSo) {
  ShowTheWindow();
  EmulatedAdapter empty(DemoEepromImage(), EmulatedAdapter::Socket::Empty);
  RecordingPort emptySocket(&empty);
  const HHOOK hook = SetWindowsHookExW(WH_CBT, AnswerTheQuestion, nullptr, GetCurrentThreadId());
  watch = {};
  Form1->Button1Click();
  EXPECT_EQ(watch.questions, 1);
  EXPECT_EQ(watch.saveDialogs, 0) << "the save dialog opened after No";
  EXPECT_EQ(watch.title, L"Korvane");
  EXPECT_EQ(watch.text.rfind(L"Every byte read is 0xFF: no chip answered", 0), 0u) << Utf8Text(watch.text);
  watch.questionAnswer = IDYES;
  Form1->Button1Click();
  EXPECT_EQ(watch.questions, 2);
  EXPECT_EQ(watch.saveDialogs, 1) << "no save dialog after Yes";
  UnhookWindowsHookEx(hook);
}
}  // namespace
