// SPDX-License-Identifier: MIT
// Starts a program as Explorer does on a double click: on a new console, from a process named
// explorer.exe (this probe is built under that name; the console is the probe's, so that it can
// read it). Once the console shows TEXT, says whether the program was still running, presses
// Enter on the console, and prints how the program ended.   explorer TEXT COMMAND-LINE
#include <windows.h>

#include <string>

namespace {
// Generous: a loaded machine starts Wine programs many times slower than an idle one.
constexpr DWORD Deadline = 120000;

HANDLE Console(const wchar_t* name) {
  return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                     nullptr);
}

// What the console shows.
std::wstring ConsoleText() {
  std::wstring text;
  const HANDLE screen = Console(L"CONOUT$");
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (screen != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(screen, &info)) {
    text.resize(static_cast<std::size_t>(info.dwSize.X) * info.dwSize.Y);
    DWORD read = 0;
    ReadConsoleOutputCharacterW(screen, text.data(), static_cast<DWORD>(text.size()), COORD{0, 0}, &read);
    text.resize(read);
  }
  if (screen != INVALID_HANDLE_VALUE) CloseHandle(screen);
  return text;
}

bool PressEnter() {
  const HANDLE input = Console(L"CONIN$");
  INPUT_RECORD keys[2]{};
  for (int i = 0; i < 2; ++i) {
    keys[i].EventType = KEY_EVENT;
    keys[i].Event.KeyEvent.bKeyDown = i == 0;
    keys[i].Event.KeyEvent.wRepeatCount = 1;
    keys[i].Event.KeyEvent.wVirtualKeyCode = VK_RETURN;
    keys[i].Event.KeyEvent.uChar.UnicodeChar = L'\r';
  }
  DWORD written = 0;
  const bool pressed = input != INVALID_HANDLE_VALUE && WriteConsoleInputW(input, keys, 2, &written) && written == 2;
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
  return pressed;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  // The report goes where this probe was started; the program gets a new console.
  const HANDLE report = GetStdHandle(STD_OUTPUT_HANDLE);
  const auto say = [report](const std::string& text) {
    DWORD written = 0;
    WriteFile(report, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  };
  FreeConsole();
  AllocConsole();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = argv[2];
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    say("explorer probe: could not start the command (Windows error " + std::to_string(GetLastError()) + ")\n");
    return 2;
  }
  const std::wstring expected = argv[1];
  const DWORD start = GetTickCount();
  bool shown = false;
  while (!shown && GetTickCount() - start < Deadline && WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT) {
    shown = ConsoleText().find(expected) != std::wstring::npos;
  }
  const bool running = WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
  say(std::string("shown ") + (shown ? "yes" : "no") + ", " + (running ? "waiting" : "ended") + "\n");
  if (running && !PressEnter()) say("explorer probe: Enter could not be pressed\n");
  if (WaitForSingleObject(process.hProcess, Deadline) != WAIT_OBJECT_0) {
    say("explorer probe: the program did not end after Enter\n");
    TerminateProcess(process.hProcess, 1);
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  say("exit " + std::to_string(exitCode) + "\n");
  return 0;
}
