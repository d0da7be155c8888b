// SPDX-License-Identifier: MIT
#pragma once
#include <string>

#include "runtime/EInOutError.h"
#include "runtime/FileCalls.h"
#include "runtime/NotAFile.h"

// An untyped file: a name, a record size and, between Rewrite and CloseFile, an open descriptor.
// Each routine records its outcome; InOutCheck raises EInOutError when it failed.
//
// A file on a disk is never written in place: Rewrite makes a new file beside the name (on Linux
// one with no name at all; on Windows, and on a Linux file system without unnamed files, one with
// a fresh name), and CommitFile gives it the name's place in one checked step once the image is on
// the disk. Any failure before then, a crash or a power cut included, leaves what the name held as
// it was. Standard output, a handed descriptor and a named pipe are written where they stand.
struct TFile {
  std::string name;  // empty: standard output
  int descriptor = -1;
  int recordSize = 1;
  int recordsWritten = 0;  // by the last BlockWrite
  int ioResult = 0;        // the OS error of the last routine, 0 when it succeeded
  const char* lastOperation = "";
  std::string refusal;        // why the routine refused the file, when it did
  std::string refusalAdvice;  // what to do about it, when more than saving to a file on a disk
  std::string left;           // where a stopped save left the files, when not as they were
  // The name that gets the image, links followed, and the image's name on its way there, each as
  // the save's calls take it: within `folder` on Linux, whole on Windows (which names no file
  // relative to a held folder).
  std::string target;
  std::string temporary;
  int folder = -1;                   // Linux: the opened folder the save acts in, open until it ends
  int decided = -1;                  // the file to be replaced, held open so that its identity stays its own
  bool replacing = false;            // the target held a file when the save began
  bool inPlace = false;              // standard output, a handed descriptor, a named pipe
  bool takesOwnDescriptors = false;  // lpt-dump: /dev/stdout, /dev/fd/N are written where they stand
};

void AssignFile(TFile& file, const std::string& name);  // names the file ("" = standard output); no I/O
// Opens the file for writing without touching what the name holds now: a new file beside it (with
// the access of the file it will replace), or the named pipe or standard output themselves. Only
// files on a disk and named pipes are taken; a pipe with no reader fails at once.
void Rewrite(TFile& file, int recordSize);
int BlockWrite(TFile& file, const void* buffer, int records);  // one write request; records written
void FlushFile(TFile& file);                                   // waits until the data is on the disk
void CloseFile(TFile& file);  // only for a file written in place, or on the way to DiscardFile
// Closes the written, flushed file and puts it in the name's place, lasting on the disk; a file
// written in place is only closed.
void CommitFile(TFile& file);
// Gives the save up before CommitFile: raises EInOutError saying why and what that leaves.
void GiveUpSave(TFile& file, const std::string& why, const std::string& advice);
// Ends a save that CommitFile did not: closes the file, removes the image, lets the folder go.
// Reports nothing: it runs on the way out of a failure too.
void DiscardFile(TFile& file);
// DiscardFile on every way out of the scope; after CommitFile there is nothing left to discard.
class DiscardOnScopeExit {
 public:
  explicit DiscardOnScopeExit(TFile& file) : file_(file) {}
  DiscardOnScopeExit(const DiscardOnScopeExit&) = delete;
  DiscardOnScopeExit& operator=(const DiscardOnScopeExit&) = delete;
  ~DiscardOnScopeExit() { DiscardFile(file_); }

 private:
  TFile& file_;
};
// Raises EInOutError if the last routine failed, then clears the failure.
void InOutCheck(TFile& file);

// Removes the temporary file of a save under way, if there is one: the last words of a process
// that a signal ends. Async-signal-safe on Linux.
void RemoveUnfinishedFile();

// The descriptor the process was started with that a name stands for (Linux: /dev/stdout,
// /dev/fd/N, /proc/self/fd/N, or a link to one), or -1. lpt-dump writes where it stands.
int OwnDescriptorNamed(const std::string& name);
