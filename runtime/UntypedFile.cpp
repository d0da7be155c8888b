#include "runtime/UntypedFile.h"

#include "runtime/FileSystemCalls.h"
#include "runtime/QuotedName.h"

#include <utility>

namespace {
const FileCalls* installedCalls = nullptr;

void Record(TFile& file, const char* operation, bool failed) {
  file.lastOperation = operation;
  file.ioResult = failed ? LastOsError() : 0;
}

constexpr int RefusedError = 1;  // EPERM; the refusal text says what happened

void Refuse(TFile& file, std::string refusal) {
  file.lastOperation = "create";
  file.ioResult = RefusedError;
  file.refusal = std::move(refusal);
}
}  // namespace

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
  if (file.name.empty()) {
    file.descriptor = OpenStandardOutput();
  } else if (std::string refusal = DeviceRefusal(file.name); !refusal.empty()) {
    return Refuse(file, std::move(refusal));
  } else {
    file.descriptor = CreateForWriting(file.name);
  }
  Record(file, "create", file.descriptor < 0);
  if (file.descriptor < 0) return;
  if (IsParallelPortDescriptor(file.descriptor)) {
    InstalledFileCalls().close(file.descriptor);
    file.descriptor = -1;
    return Refuse(file, ParallelPortRefusal);
  }
  if (!file.name.empty()) ReadyForWriting(file.descriptor);
}

int BlockWrite(TFile& file, const void* buffer, int records) {
  const ssize_t written =
      InstalledFileCalls().write(file.descriptor, buffer, static_cast<size_t>(records) * file.recordSize);
  Record(file, "write", written < 0);
  return written < 0 ? 0 : static_cast<int>(written / file.recordSize);
}

void FlushFile(TFile& file) {
  const bool failed = InstalledFileCalls().fsync(file.descriptor) != 0 && !NothingToFlush(LastOsError());
  Record(file, "flush", failed);
}

void CloseFile(TFile& file) {
  // The descriptor is gone after close even when close reports an error.
  const bool failed = InstalledFileCalls().close(file.descriptor) != 0;
  file.descriptor = -1;
  Record(file, "close", failed);
}

void InOutCheck(TFile& file) {
  if (file.ioResult == 0) return;
  const int osError = file.ioResult;
  file.ioResult = 0;
  const std::string operation = file.lastOperation;
  const bool refused = !file.refusal.empty();
  const std::string reason = refused ? file.refusal : OsErrorReason(operation, osError);
  const char* advice = refused ? "Choose a file on a disk." : OsErrorAdvice(operation, osError);
  file.refusal.clear();
  const std::string target = file.name.empty() ? "standard output" : "the file " + QuotedName(file.name);
  throw EInOutError("Could not " + operation + " " + target + ": " + reason + ". " + advice, osError);
}
