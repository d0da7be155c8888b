// SPDX-License-Identifier: MIT
#include <sys/ioctl.h>
#include <unistd.h>

#include "cli/Console.h"

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

void WriteText(std::FILE* stream, const std::string& text) { std::fputs(text.c_str(), stream); }

void EndLineOnStandardError() { (void)!write(STDERR_FILENO, "\n", 1); }

int TerminalColumns(std::FILE* stream) {
  winsize size{};
  return ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}
