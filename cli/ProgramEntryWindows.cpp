// SPDX-License-Identifier: MIT
// lpt-dump's entry on Windows, which hands the arguments over in UTF-16; lpt-dump takes them in
// UTF-8, so that any file name, whatever its characters, reaches CreateFileW intact.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cwchar>
#include <string>
#include <vector>

#include "cli/Console.h"
#include "cli/LptDump.h"
#include "runtime/WindowsText.h"

namespace {
// The file name of the program that started this one ("" when it has ended or cannot be told).
std::wstring ParentProgram() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return L"";
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  }
  std::wstring name;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && parent != 0; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == parent) name = entry.szExeFile;
  }
  CloseHandle(snapshot);
  return name;
}

// Started from Explorer (a double click, a shortcut, Win+R): Windows made a console for the
// program, which closes as soon as it ends, taking its messages with it. Started from a command
// prompt, a script or a terminal, the console is theirs and stays.
bool StartedFromExplorer() {
  return IsTerminal(stdin) && IsTerminal(stderr) && _wcsicmp(ParentProgram().c_str(), L"explorer.exe") == 0;
}

// Keeps such a console open until the user has read it, and says how lpt-dump is meant to run.
void WaitBeforeTheConsoleCloses(bool withoutArguments) {
  if (withoutArguments) {
    WriteText(stderr,
              "\nlpt-dump is a command-line program: open a command prompt in this folder (type cmd in "
              "Explorer's address bar) and run lpt-dump --help, or start lpt-tool.exe for the window.\n");
  }
  WriteText(stderr, "\nPress Enter to close this window.");
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  FlushConsoleInputBuffer(input);
  wchar_t line[64];
  DWORD read = 0;
  ReadConsoleW(input, line, 64, &read, nullptr);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(Utf8Text(argv[i]));
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  const bool fromExplorer = StartedFromExplorer();
  const int status = LptDumpMain(argc, pointers.data());
  if (fromExplorer) WaitBeforeTheConsoleCloses(argc == 1);
  return status;
}
