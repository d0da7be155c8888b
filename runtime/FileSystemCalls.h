#pragma once
#include <string>

#include "runtime/FileErrorTexts.h"
#include "runtime/UntypedFile.h"

// What the file routines need from the operating system, one file per platform
// (UntypedFilePosix.cpp, UntypedFileWindows.cpp); UntypedFile.cpp holds the rest.

const FileCalls& InstalledFileCalls();  // the installed seam, or the real calls
int LastOsError();                      // errno, or GetLastError on Windows

// A descriptor of its own for standard output, sharing its position: closing it leaves
// standard output open. -1 with file.refusal where the image must not go (Linux: a parallel
// port, or standard output open for reading only).
int OpenStandardOutput(TFile& file);
// Looks at where the name leads, decides, and opens where the image goes: a new temporary file
// beside the target, made through the installed calls (file.folder, file.target, file.temporary,
// file.replacing filled in), or a named pipe itself. -1 on failure, with the OS error, or with
// file.refusal saying why the name is no file to save in; nothing is left open then.
int OpenWhereTheImageGoes(TFile& file);
// Whether the name still leads to the folder and the file (or the free name) that OpenWhereTheImageGoes
// decided on. It only looks; the save acts on what was decided.
bool NameLeadsWhereDecided(const TFile& file);
// Closes the folder the save acted in, if one is open.
void LetFolderGo(TFile& file);
// After a successful opening: the descriptor as a plain blocking writer.
void ReadyForWriting(int descriptor);
// After the temporary file was renamed to the target: the rename itself on the disk (Linux: the
// folder flushed). Best effort: the image is in place already.
void MakeRenameLasting(const TFile& file);
// A flush that failed with this error had nothing to flush (a pipe, a terminal).
bool NothingToFlush(int osError);
