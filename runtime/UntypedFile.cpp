// SPDX-License-Identifier: MIT
#include "runtime/UntypedFile.h"

#include "runtime/FileSystemCalls.h"
#include "runtime/ProcessEnd.h"
#include "runtime/QuotedName.h"
#include "runtime/SaveRefusals.h"

#include <cstdio>
#include <random>
#include <utility>

namespace {
const FileCalls* installedCalls = nullptr;
// The temporary file of the save under way and its folder, for a signal's last words.
const char* volatile unfinishedFile = nullptr;
volatile int unfinishedFolder = -1;
volatile int unfinishedDescriptor = -1;

// A refusal of the program's own: the message is the refusal text, never this number's meaning to
// the system (EPERM on Linux, ERROR_INVALID_FUNCTION on Windows).
constexpr int RefusedError = 1;

// The routine failed with the refusal Refuse filled in.
void FailWithRefusal(TFile& file, const char* operation) {
  file.lastOperation = operation;
  file.ioResult = RefusedError;
}

// "dump.bin.lpt-tool-unfinished-4f1c2a": named for what it is should a crash leave it behind (a
// "swap" file holds the new image or the name's old file: the other one is under the name). It
// fits wherever the name fits: within one name's limit (255 bytes on Linux, 255 UTF-16 units on
// Windows), the name's part shortened by whole characters where needed (a name cut inside a
// character is no valid name on exFAT or NTFS).
std::string TemporaryNameFor(const std::string& target, const char* what, unsigned number) {
  char suffix[40];
  std::snprintf(suffix, sizeof suffix, ".lpt-tool-%s-%06x", what, number & 0xFFFFFFu);
  const std::size_t base = target.find_last_of(PathSeparators) + 1;  // npos + 1 is 0
  std::string name = target.substr(base);
  while (!name.empty() && NameLength(name + suffix) > 255) {
    // The last character: its continuation bytes (10xxxxxx), then its first byte.
    while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80) name.pop_back();
    if (!name.empty()) name.pop_back();
  }
  return target.substr(0, base) + name + suffix;
}
// Removes the image's named file while the save still holds it open, and forgets the name.
void RemoveImagesName(TFile& file) {
  if (file.temporary.empty()) return;
  unfinishedFile = nullptr;
  RemoveHeldFile(file.folder, file.temporary.c_str(), file.descriptor);
  file.temporary.clear();
}
}  // namespace

bool RecordCall(TFile& file, const char* operation, bool failed) {
  file.lastOperation = operation;
  file.ioResult = failed ? LastOsError() : 0;
  return failed;
}

const FileCalls& InstalledFileCalls() { return installedCalls != nullptr ? *installedCalls : RealFileCalls(); }

const FileCalls* InstallFileCalls(const FileCalls* calls) {
  const FileCalls* previous = installedCalls;
  installedCalls = calls;
  return previous;
}

void AssignFile(TFile& file, const std::string& name) {
  file = TFile{};
  file.name = name;
}

void Rewrite(TFile& file, int recordSize) {
  file.recordSize = recordSize;
  file.inPlace = file.name.empty();
  // A signal waits until a temporary file, once made, is known to the last words that remove it.
  const SaveHoldsTheEnd holdEnd;
  file.descriptor = file.name.empty() ? OpenStandardOutput(file) : OpenWhereTheImageGoes(file);
  const char* operation = file.name.empty() ? "write" : file.replacing ? "replace" : "create";
  if (file.descriptor < 0 && !file.refusal.empty()) FailWithRefusal(file, operation);
  if (file.descriptor < 0 && file.refusal.empty()) RecordCall(file, "create", true);
  if (file.descriptor < 0) return LetFolderGo(file);  // which keeps the OS error
  if (!file.temporary.empty()) {
    unfinishedFolder = file.folder;
    unfinishedDescriptor = file.descriptor;
    unfinishedFile = file.temporary.c_str();
  }
  // Standard output stays as the caller set it up.
  if (!file.name.empty()) ReadyForWriting(file.descriptor);
}

int BlockWrite(TFile& file, const void* buffer, int records) {
  const ssize_t written =
      InstalledFileCalls().write(file.descriptor, buffer, static_cast<size_t>(records) * file.recordSize);
  RecordCall(file, "write", written < 0);
  file.recordsWritten = written < 0 ? 0 : static_cast<int>(written / file.recordSize);
  return file.recordsWritten;
}

void FlushFile(TFile& file) {
  const bool failed = InstalledFileCalls().fsync(file.descriptor) != 0 && !NothingToFlush(LastOsError());
  RecordCall(file, "flush", failed);
}

void CloseFile(TFile& file) {
  // A file that is not in place is on its way to DiscardFile: its name goes while it is still held.
  RemoveImagesName(file);
  // The descriptor is gone after close even when close reports an error.
  const bool failed = InstalledFileCalls().close(file.descriptor) != 0;
  file.descriptor = -1;
  RecordCall(file, "close", failed);
}

void CommitFile(TFile& file) {
  if (file.inPlace) return CloseFile(file);
  // The save holds the end from here on: DiscardFile, not the last words, removes what is left.
  unfinishedFile = nullptr;
  PutInPlace(file);
}

int AtAFreshName(TFile& file, const std::function<int(const std::string&)>& make, const char* what) {
  std::random_device seed;
  std::minstd_rand numbers(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryNameFor(file.target, what, static_cast<unsigned>(numbers()));
    if (const int made = make(name); made >= 0) {
      file.temporary = name;
      return made;
    }
    if (!NameWasTaken(LastOsError())) return -1;
  }
  return -1;
}

void NameChanged(TFile& file) {
  Refuse(file, Refusal::NameChanged);
  FailWithRefusal(file, "replace");
}

void NameTaken(TFile& file) {
  Refuse(file, Refusal::NameTaken);
  FailWithRefusal(file, "replace");
}

void StepMet(TFile& file) {
  Refuse(file, Refusal::StepMet);
  FailWithRefusal(file, "replace");
}

void GiveUpSave(TFile& file, const std::string& why, const std::string& advice) {
  file.refusal = why;
  file.refusalAdvice = advice;
  FailWithRefusal(file, "replace");
  InOutCheck(file);
}

void DiscardFile(TFile& file) {
  RemoveImagesName(file);
  if (file.descriptor >= 0) {
    InstalledFileCalls().close(file.descriptor);
    file.descriptor = -1;
  }
  LetFolderGo(file);
}

void RemoveUnfinishedFile() {
  if (const char* name = unfinishedFile) RemoveHeldFile(unfinishedFolder, name, unfinishedDescriptor);
}

void InOutCheck(TFile& file) {
  if (file.ioResult == 0) return;
  // The error is taken whole, its texts too: the file is left ready for its next operation.
  const int osError = std::exchange(file.ioResult, 0);
  const std::string operation = file.lastOperation;
  const std::string refusal = std::exchange(file.refusal, {});
  const std::string refusalAdvice = std::exchange(file.refusalAdvice, {});
  const std::string reason = refusal.empty() ? OsErrorReason(operation, osError) : refusal;
  const std::string advice = refusal.empty()         ? OsErrorAdvice(operation, osError)
                             : refusalAdvice.empty() ? "Save to a file on a disk."
                                                     : refusalAdvice;
  const std::string target = file.name.empty() ? "standard output" : "the file " + QuotedName(file.name);
  // The save goes nowhere but a temporary file until it succeeds: say what that leaves.
  std::string outcome;
  if (!file.left.empty()) {
    outcome = " " + std::exchange(file.left, {});
  } else if (file.replacing) {
    outcome = " The existing " + QuotedName(file.name) + " is unchanged.";
  } else if (!file.inPlace && operation != "create") {
    outcome = " No file was made.";
  }
  throw EInOutError("Could not " + operation + " " + target + ": " + reason + ". " + advice + outcome, osError);
}
