// SPDX-License-Identifier: MIT
#include <io.h>
#include <windows.h>

#include "cli/Console.h"
#include "runtime/WindowsText.h"

namespace {
HANDLE HandleOf(std::FILE* stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }
}  // namespace

// A console, told by the console API: _isatty is also true for NUL, which discards what it gets.
bool IsTerminal(std::FILE* stream) {
  DWORD mode = 0;
  return GetConsoleMode(HandleOf(stream), &mode) != 0;
}

// Bytes written to a console are read in its code page (437, 850, 1252...), which shows a
// UTF-8 name as mojibake; WriteConsoleW takes the characters themselves.
void WriteText(std::FILE* stream, const std::string& text) {
  if (!IsTerminal(stream)) {
    std::fwrite(text.data(), 1, text.size(), stream);
    return;
  }
  std::fflush(stream);
  const std::wstring wide = WideText(text);
  DWORD written = 0;
  WriteConsoleW(HandleOf(stream), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

void EndLineOnStandardError() { (void)!_write(2, "\n", 1); }

int TerminalColumns(std::FILE* stream) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(HandleOf(stream), &info)) return 80;
  return info.srWindow.Right - info.srWindow.Left + 1;
}
