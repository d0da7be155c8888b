// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// What the user reads when a file cannot be written or read: the cause in plain words and what to
// do, for every platform's errors (FileErrorTextsPosix.cpp, FileErrorTextsWindows.cpp). Both
// programs' messages come from here.

inline constexpr const char* ParallelPortRefusal = "it is a parallel port, and the image is never written to a port";

// Why an operation ("create", "write", "flush", "close", "replace") failed with this OS error.
std::string OsErrorReason(const std::string& operation, int osError);
// What the user can do about it, ending with a full stop.
const char* OsErrorAdvice(const std::string& operation, int osError);
// Why opening a file for reading just failed (errno, or Windows' own error where it tells more:
// a file another program holds), ending with a full stop.
std::string ReadOpenFailure();
