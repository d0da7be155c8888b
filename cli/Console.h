#pragma once
#include <cstdio>
#include <string>

// What lpt-dump needs from the console and the file system, one file per platform.

bool IsTerminal(std::FILE* stream);
// Runs when a signal or Ctrl+C ends the process: async-signal-safe on Linux.
void EndLineOnStandardError();
// The width of the terminal the stream goes to, in columns; 80 when it cannot be told.
int TerminalColumns(std::FILE* stream);
