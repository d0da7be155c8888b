#include <io.h>
#include <windows.h>

#include <vector>

#include "cli/Console.h"
#include "cli/LptDump.h"
#include "runtime/WindowsText.h"

// Windows hands the arguments over in UTF-16; lpt-dump takes them in UTF-8, so that any file
// name, whatever its characters, reaches CreateFileW intact.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(Utf8Text(argv[i]));
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return LptDumpMain(argc, pointers.data());
}

// A console, told by the console API: _isatty is also true for NUL, which discards what it gets.
bool IsTerminal(std::FILE* stream) {
  DWORD mode = 0;
  return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), &mode) != 0;
}

void EndLineOnStandardError() { (void)!_write(2, "\n", 1); }

int TerminalColumns(std::FILE* stream) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  const HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  if (!GetConsoleScreenBufferInfo(console, &info)) return 80;
  return info.srWindow.Right - info.srWindow.Left + 1;
}
