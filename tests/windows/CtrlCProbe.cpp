// Presses Ctrl+C on the console while lpt-dump.exe reads, as a user at the keyboard would:
// starts the command line given on this console, waits until the stand-in DLL's trace file
// shows the read under way, sends CTRL_C_EVENT to every process on the console, and prints the
// command's exit code.   ctrl_c_probe TRACE-FILE COMMAND-LINE
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
// Ctrl+C is for the program under test; this one stays to report.
BOOL WINAPI KeepRunning(DWORD) { return TRUE; }

long long SizeOf(const wchar_t* file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(file, GetFileExInfoStandard, &data)) return 0;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
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
  // About a tenth of the read's bus writes: well under way, far from done.
  constexpr long long UnderWay = 8000;
  for (int waited = 0; SizeOf(argv[1]) < UnderWay && waited < 3000; waited += 5) Sleep(5);
  if (SizeOf(argv[1]) < UnderWay) std::fprintf(stderr, "ctrl_c_probe: the read did not start\n");
  if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
    std::fprintf(stderr, "ctrl_c_probe: GenerateConsoleCtrlEvent failed (Windows error %lu)\n", GetLastError());
  }
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "ctrl_c_probe: the command did not end after Ctrl+C\n");
    TerminateProcess(process.hProcess, 1);
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  std::printf("exit 0x%08lX\n", exitCode);
  return 0;
}
