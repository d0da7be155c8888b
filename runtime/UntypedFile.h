#pragma once
#include <sys/types.h>

#include <stdexcept>
#include <string>

// An I/O error of the file routines. The message names the file, the operation and the OS
// error text, and says what the user can do.
class EInOutError : public std::runtime_error {
 public:
  EInOutError(const std::string& message, int osError) : std::runtime_error(message), osError_(osError) {}
  int OsError() const { return osError_; }

 private:
  int osError_;
};

// An untyped file: a name, a record size and, between Rewrite and CloseFile, an open descriptor.
// Each routine records its outcome; InOutCheck raises EInOutError when it failed.
struct TFile {
  std::string name;  // empty: standard output
  int descriptor = -1;
  int recordSize = 1;
  int ioResult = 0;  // the OS error of the last routine, 0 when it succeeded
  const char* lastOperation = "";
  std::string refusal;  // why the routine refused the file, when it did
};

void AssignFile(TFile& file, const std::string& name);  // names the file ("" = standard output); no I/O
// Creates the file, or empties an existing one. Standard output is written where it stands,
// never reopened. A device is refused (DeviceRefusal): the image must never reach a port's
// lines or vanish into a device. A named pipe with no reader fails at once instead of waiting for one.
void Rewrite(TFile& file, int recordSize);
int BlockWrite(TFile& file, const void* buffer, int records);  // one write request; records written
void FlushFile(TFile& file);                                   // waits until the data is on the disk
void CloseFile(TFile& file);
// Raises EInOutError if the last routine failed, then clears the failure.
void InOutCheck(TFile& file);

// A parallel port device (Linux: ppdev's /dev/parportN, the printer driver's /dev/lpN; Windows:
// LPT1..LPT9, PRN): a file the image must never be written to, since its bytes would drive the
// adapter's lines.
bool IsParallelPortFile(const std::string& name);
// Why the image must not be written under this name, "" for a file: a parallel port on both
// platforms; on Windows also any other device the name reaches (NUL, CON, CONOUT$, COM1, a
// device path, "nul.bin", "C:\\x\\com1 .txt"), as Windows itself resolves it.
std::string DeviceRefusal(const std::string& name);
bool IsParallelPortDescriptor(int descriptor);

// Names on the disk, outside a save. Both are async-signal-safe on Linux (a signal's last words
// may remove a partial file).
// The size of a file in bytes; -1 when there is none of that name or it cannot be told.
long long FileSizeOf(const std::string& name);
void RemoveFile(const char* name);

// The system calls underneath, replaceable so tests can make any of them fail.
struct FileCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*write)(int fd, const void* buffer, size_t count);
  int (*fsync)(int fd);
  int (*close)(int fd);
};
const FileCalls& RealFileCalls();
// Installs the calls (not owned; nullptr restores the real ones) and returns the previous ones.
const FileCalls* InstallFileCalls(const FileCalls* calls);
