#pragma once
#include <cstdio>
#include <string>

// What lpt-dump needs from the console and the file system, one file per platform.

bool IsTerminal(std::FILE* stream);
// Both run when a signal or Ctrl+C ends the process: async-signal-safe on Linux.
void EndLineOnStandardError();
void RemoveFile(const char* utf8Name);
// The size of a file in bytes; -1 when it cannot be told.
long long FileSizeOf(const std::string& utf8Name);
