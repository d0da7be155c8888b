// SPDX-License-Identifier: MIT
#pragma once
#include <functional>
#include <string>

#include "runtime/FileErrorTexts.h"
#include "runtime/UntypedFile.h"

// What the file routines need from the operating system, one file per platform
// (UntypedFilePosix.cpp, UntypedFileWindows.cpp), with the same steps on both; UntypedFile.cpp
// holds the rest and what the two share.

const FileCalls& InstalledFileCalls();  // the installed seam, or the real calls
int LastOsError();                      // errno, or GetLastError on Windows
bool NameWasTaken(int osError);         // the error of making a name that exists already
// Records the outcome of a system call in the file (the OS error when it failed); `failed`. A
// refusal of the save's own is filled in by Refuse (SaveRefusals.h) instead.
bool RecordCall(TFile& file, const char* operation, bool failed);

// A descriptor of its own for standard output, sharing its position: closing it leaves
// standard output open. -1 with file.refusal where the image must not go.
int OpenStandardOutput(TFile& file);
// Looks at where the name leads, decides, and opens where the image goes: a new file beside the
// target, with no name where the system can make such a file (file.folder, file.target, filled
// in), or a named pipe or a handed descriptor itself (file.inPlace). -1 on failure, with the OS
// error, or with file.refusal saying why the name is no file to save in; only the folder may be
// left open then (file.folder), for LetFolderGo.
int OpenWhereTheImageGoes(TFile& file);
// The written, flushed image takes the name's place in one step that is checked afterwards:
// the file closed, then either in place and lasting on the disk, or the failure recorded in the
// file (what the name held is then as it was, and the image goes with DiscardFile).
void PutInPlace(TFile& file);
// Removes the image's file, held open as `descriptor`, that has `name` in the folder: Linux
// unlinks the name only while it holds that file (async-signal-safe), Windows marks the open
// file itself for deletion, whatever its name.
void RemoveHeldFile(int folder, const char* name, int descriptor);
// Closes the folder the save acted in, if one is open.
void LetFolderGo(TFile& file);
// After a successful opening: the descriptor as a plain blocking writer.
void ReadyForWriting(int descriptor);
// A flush that failed with this error had nothing to flush (a pipe, a terminal).
bool NothingToFlush(int osError);

// Shared by both: runs `make` with fresh temporary names beside file.target (whose folder part
// ends at the last of the platform's separators) until one is free; what `make` returned, with
// file.temporary set when it succeeded, or -1 with the error of the last try.
int AtAFreshName(TFile& file, const std::function<int(const std::string&)>& make, const char* what = "unfinished");
std::size_t NameLength(const std::string& name);  // as the file system counts a name: bytes, UTF-16 units
extern const char PathSeparators[];               // "/", or "\\/" on Windows
// The save stops with the reason recorded in the file: the name leads elsewhere than decided,
// or another file took a name that was free, or the step itself met another program's change.
void NameChanged(TFile& file);
void NameTaken(TFile& file);
void StepMet(TFile& file);
