#include "ui/toolkit/UntypedFile.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {
int OpenFile(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

const FileCalls* installedCalls = nullptr;

const FileCalls& Calls() { return installedCalls != nullptr ? *installedCalls : RealFileCalls(); }

void Record(TFile& file, const char* operation, bool failed) {
  file.lastOperation = operation;
  file.ioResult = failed ? errno : 0;
}

const char* AdviceFor(const std::string& operation) {
  if (operation == "create") return "Choose a folder that exists and a name you may write to, then try again.";
  return "Check that the disk has room and is still attached, then read and save again.";
}
}  // namespace

const FileCalls& RealFileCalls() {
  static const FileCalls calls{OpenFile, ::write, ::fsync, ::close};
  return calls;
}

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
  file.descriptor = Calls().open(file.name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  Record(file, "create", file.descriptor < 0);
}

int BlockWrite(TFile& file, const void* buffer, int records) {
  const ssize_t written = Calls().write(file.descriptor, buffer, static_cast<size_t>(records) * file.recordSize);
  Record(file, "write", written < 0);
  return written < 0 ? 0 : static_cast<int>(written / file.recordSize);
}

void FlushFile(TFile& file) {
  // A pipe, socket or terminal cannot be synchronised (EINVAL): what was written has already
  // gone to the reader, so there is nothing left to flush.
  const bool failed = Calls().fsync(file.descriptor) != 0 && errno != EINVAL;
  Record(file, "flush", failed);
}

void CloseFile(TFile& file) {
  // The descriptor is gone after close even when close reports an error.
  const bool failed = Calls().close(file.descriptor) != 0;
  file.descriptor = -1;
  Record(file, "close", failed);
}

void InOutCheck(TFile& file) {
  if (file.ioResult == 0) return;
  const int osError = file.ioResult;
  file.ioResult = 0;
  const std::string operation = file.lastOperation;
  throw EInOutError("Could not " + operation + " the file \"" + file.name + "\": " + std::strerror(osError) +
                        " (OS error " + std::to_string(osError) + "). " + AdviceFor(operation),
                    osError);
}
