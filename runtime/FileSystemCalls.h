#pragma once
#include <string>

#include "runtime/UntypedFile.h"

// What the file routines need from the operating system, one file per platform
// (UntypedFilePosix.cpp, UntypedFileWindows.cpp); UntypedFile.cpp holds the rest.

const FileCalls& InstalledFileCalls();  // the installed seam, or the real calls
int LastOsError();                      // errno, or GetLastError on Windows

// A descriptor of its own for standard output, sharing its position: closing it leaves
// standard output open.
int OpenStandardOutput();
// Creates the file or empties it, for writing, through the installed calls.
int CreateForWriting(const std::string& name);
// After a successful creation: the descriptor as a plain blocking writer.
void ReadyForWriting(int descriptor);
// A flush that failed with this error had nothing to flush (a pipe, a terminal).
bool NothingToFlush(int osError);

inline constexpr const char* ParallelPortRefusal = "it is a parallel port, and the image is never written to a port";

std::string OsErrorReason(const std::string& operation, int osError);
// Why opening a file for reading just failed (errno, or Windows' own error where it tells more:
// a file another program holds), ending with a full stop.
std::string ReadOpenFailure();
const char* OsErrorAdvice(const std::string& operation, int osError);
