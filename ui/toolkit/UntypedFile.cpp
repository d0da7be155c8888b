#include "ui/toolkit/UntypedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "ui/toolkit/QuotedName.h"

namespace {
int OpenFile(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

const FileCalls* installedCalls = nullptr;

const FileCalls& Calls() { return installedCalls != nullptr ? *installedCalls : RealFileCalls(); }

void Record(TFile& file, const char* operation, bool failed) {
  file.lastOperation = operation;
  file.ioResult = failed ? errno : 0;
}

// ppdev's /dev/parportN (major 99) and the printer driver's /dev/lpN (major 6): bytes written
// there come out on the data lines, where the adapter's chip select, clock and data hang.
constexpr unsigned PpdevMajor = 99;
constexpr unsigned LinePrinterMajor = 6;
bool IsParallelPort(const struct stat& status) {
  return S_ISCHR(status.st_mode) && (major(status.st_rdev) == PpdevMajor || major(status.st_rdev) == LinePrinterMajor);
}

void Refuse(TFile& file, const char* why) {
  file.lastOperation = "create";
  file.ioResult = EPERM;
  file.refusal = why;
}

constexpr const char* PortRefusal = "it is a parallel port, and the image is never written to a port";

std::string ReasonFor(const std::string& operation, int osError) {
  if (operation == "create" && osError == ENXIO) return "nothing is reading from this named pipe";
  return std::string(std::strerror(osError)) + " (OS error " + std::to_string(osError) + ")";
}

const char* AdviceFor(const std::string& operation, int osError) {
  if (osError == EFBIG)
    return "The file size limit (ulimit -f) is smaller than the image; raise it, then read and save again.";
  if (operation == "create" && osError == ENXIO) return "Start the program that reads from it first, or choose a file.";
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
  if (file.name.empty()) {
    file.descriptor = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);  // shares its position; closing it leaves stdout
  } else if (IsParallelPortFile(file.name)) {
    return Refuse(file, PortRefusal);
  } else {
    file.descriptor = Calls().open(file.name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
  }
  Record(file, "create", file.descriptor < 0);
  if (file.descriptor < 0) return;
  if (IsParallelPortDescriptor(file.descriptor)) {
    Calls().close(file.descriptor);
    file.descriptor = -1;
    return Refuse(file, PortRefusal);
  }
  // Non-blocking was only for opening; the write itself may wait for a slow reader.
  if (!file.name.empty()) fcntl(file.descriptor, F_SETFL, fcntl(file.descriptor, F_GETFL) & ~O_NONBLOCK);
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
  const std::string reason = file.refusal != nullptr ? file.refusal : ReasonFor(operation, osError);
  const char* advice = file.refusal != nullptr ? "Choose a file on a disk." : AdviceFor(operation, osError);
  file.refusal = nullptr;
  const std::string target = file.name.empty() ? "standard output" : "the file " + QuotedName(file.name);
  throw EInOutError("Could not " + operation + " " + target + ": " + reason + ". " + advice, osError);
}

bool IsParallelPortFile(const std::string& name) {
  struct stat status {};
  return stat(name.c_str(), &status) == 0 && IsParallelPort(status);
}

bool IsParallelPortDescriptor(int descriptor) {
  struct stat status {};
  return fstat(descriptor, &status) == 0 && IsParallelPort(status);
}
