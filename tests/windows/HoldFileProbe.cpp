// Holds a file open the way a hex editor or an antivirus scan can, sharing it with no one, while
// a command runs; exits with the command's exit code.   hold_file_probe FILE COMMAND-LINE
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const HANDLE held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "hold_file_probe: could not open the file (Windows error %lu)\n", GetLastError());
    return 2;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = argv[2];
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "hold_file_probe: could not start the command (Windows error %lu)\n", GetLastError());
    return 2;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 2;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(held);
  return static_cast<int>(exitCode);
}
