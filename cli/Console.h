// SPDX-License-Identifier: MIT
#pragma once
#include <cstdio>
#include <string>

// What lpt-dump needs from the console and the file system, one file per platform.

bool IsTerminal(std::FILE* stream);
// Writes UTF-8 text to the stream. A Windows console gets it as UTF-16, so that every character
// of a name shows as it is; a file or pipe gets the UTF-8 bytes.
void WriteText(std::FILE* stream, const std::string& text);
// Runs when a signal or Ctrl+C ends the process: async-signal-safe on Linux.
void EndLineOnStandardError();
// The width of the terminal the stream goes to, in columns; 80 when it cannot be told.
int TerminalColumns(std::FILE* stream);
