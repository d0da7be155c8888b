// SPDX-License-Identifier: MIT
// Holds a file open the way a hex editor or an antivirus scan can, sharing it with no one (or,
// with --share-all, sharing it for reading, writing and deletion), while a command runs; exits
// with the command's exit code.   hold_file_probe [--share-all] FILE COMMAND-LINE
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  const bool shareAll = argc == 4 && std::wstring(argv[1]) == L"--share-all";
  if (shareAll) ++argv;
  if (argc != (shareAll ? 4 : 3)) return 2;
  const DWORD sharing = shareAll ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : 0;
  const HANDLE held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, sharing, nullptr, OPEN_ALWAYS, 0, nullptr);
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
