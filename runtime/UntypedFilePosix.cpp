// The file routines' system calls on Linux.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "runtime/FileSystemCalls.h"

namespace {
int OpenFile(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

// ppdev's /dev/parportN (major 99) and the printer driver's /dev/lpN (major 6): bytes written
// there come out on the data lines, where the adapter's chip select, clock and data hang.
constexpr unsigned PpdevMajor = 99;
constexpr unsigned LinePrinterMajor = 6;
bool IsParallelPort(const struct stat& status) {
  return S_ISCHR(status.st_mode) && (major(status.st_rdev) == PpdevMajor || major(status.st_rdev) == LinePrinterMajor);
}
}  // namespace

const FileCalls& RealFileCalls() {
  static const FileCalls calls{OpenFile, ::write, ::fsync, ::close};
  return calls;
}

int LastOsError() { return errno; }

int OpenStandardOutput() { return fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0); }

int CreateForWriting(const std::string& name) {
  // Non-blocking, so a named pipe with no reader fails at once (ENXIO) instead of waiting.
  return InstalledFileCalls().open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
}

void ReadyForWriting(int descriptor) {
  // Non-blocking was only for opening; the write itself may wait for a slow reader.
  fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
}

// A pipe, socket or terminal cannot be synchronised (EINVAL): what was written has already gone
// to the reader.
bool NothingToFlush(int osError) { return osError == EINVAL; }

std::string ReadOpenFailure() { return std::string(std::strerror(errno)) + "."; }

std::string OsErrorReason(const std::string& operation, int osError) {
  if (operation == "create" && osError == ENXIO) return "nothing is reading from this named pipe";
  if (osError == EPIPE) return "the program reading from the pipe has gone (OS error " + std::to_string(osError) + ")";
  if (operation == "create" && osError == EISDIR) return "the name names a folder, not a file";
  return std::string(std::strerror(osError)) + " (OS error " + std::to_string(osError) + ")";
}

const char* OsErrorAdvice(const std::string& operation, int osError) {
  if (osError == EFBIG) {
    return "The file size limit (ulimit -f) is smaller than the image; raise it, then read and save again.";
  }
  if (operation == "create" && osError == ENXIO) return "Start the program that reads from it first, or choose a file.";
  if (osError == EPIPE) return "Keep the reading program (the command after |) running until the image is written.";
  if (operation == "create" && osError == EISDIR) return "Give the name of a file (not ending in a slash).";
  if (operation == "create") return "Choose a folder that exists and a name you may write to, then try again.";
  return "Check that the disk has room and is still attached, then read and save again.";
}

bool IsParallelPortFile(const std::string& name) {
  struct stat status {};
  return stat(name.c_str(), &status) == 0 && IsParallelPort(status);
}

std::string DeviceRefusal(const std::string& name) { return IsParallelPortFile(name) ? ParallelPortRefusal : ""; }

bool IsParallelPortDescriptor(int descriptor) {
  struct stat status {};
  return fstat(descriptor, &status) == 0 && IsParallelPort(status);
}

long long FileSizeOf(const std::string& name) {
  struct stat status {};
  return stat(name.c_str(), &status) == 0 ? static_cast<long long>(status.st_size) : -1;
}

void RemoveFile(const char* name) { unlink(name); }
