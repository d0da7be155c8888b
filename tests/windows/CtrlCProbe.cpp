// SPDX-License-Identifier: MIT
// Presses Ctrl+C on the console while lpt-dump.exe reads, as a user at the keyboard would:
// starts the command line given on this console, whose stand-in DLL holds the read in its middle
// while HOLD-FILE exists (tests/support/ReadHold.h); once the read is held there, sends
// CTRL_C_EVENT to every process on the console, lets the read go on, and prints the command's
// exit code.   ctrl_c_probe HOLD-FILE COMMAND-LINE
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
// Ctrl+C is for the program under test; this one stays to report.
BOOL WINAPI KeepRunning(DWORD) { return TRUE; }

bool Exists(const std::wstring& file) { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Generous: a loaded machine starts Wine programs many times slower than an idle one.
constexpr DWORD Deadline = 120000;
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  SetConsoleCtrlHandler(KeepRunning, TRUE);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = argv[2];
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "ctrl_c_probe: could not start the command (Windows error %lu)\n", GetLastError());
    return 2;
  }
  const std::wstring hold = argv[1];
  const DWORD start = GetTickCount();
  while (!Exists(hold + L"-reached") && GetTickCount() - start < Deadline) Sleep(10);
  if (!Exists(hold + L"-reached")) std::fprintf(stderr, "ctrl_c_probe: the read did not reach its hold\n");
  if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
    std::fprintf(stderr, "ctrl_c_probe: GenerateConsoleCtrlEvent failed (Windows error %lu)\n", GetLastError());
  }
  DeleteFileW(hold.c_str());
  if (WaitForSingleObject(process.hProcess, Deadline) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "ctrl_c_probe: the command did not end after Ctrl+C\n");
    TerminateProcess(process.hProcess, 1);
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  std::printf("exit 0x%08lX\n", exitCode);
  return 0;
}
