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
//
// A file on a disk is never written in place: Rewrite makes a temporary file beside it, and
// CommitFile puts that file in the name's place in one rename once the image is on the disk. Any
// failure before then, a crash or a power cut included, leaves what the name held as it was.
// Standard output and a named pipe are written where they stand.
struct TFile {
  std::string name;  // empty: standard output
  int descriptor = -1;
  int recordSize = 1;
  int recordsWritten = 0;  // by the last BlockWrite
  int ioResult = 0;        // the OS error of the last routine, 0 when it succeeded
  const char* lastOperation = "";
  std::string refusal;        // why the routine refused the file, when it did
  std::string refusalAdvice;  // what to do about it, when more than choosing a file on a disk
  std::string target;         // the file that gets the image: the name with its symbolic links followed
  std::string temporary;      // the file being written until CommitFile, "" when written in place
  bool replacing = false;     // the target held a file when the save began
};

void AssignFile(TFile& file, const std::string& name);  // names the file ("" = standard output); no I/O
// Opens the file for writing without touching what the name holds now: a temporary file beside
// it (its permissions, owner and group those of the file it will replace), or the named pipe or
// standard output themselves. Only files on a disk and named pipes are taken: a device, a socket,
// a file of /proc or /sys, a port, Windows' device names and the port DLL are refused. A named
// pipe with no reader fails at once instead of waiting for one.
void Rewrite(TFile& file, int recordSize);
int BlockWrite(TFile& file, const void* buffer, int records);  // one write request; records written
void FlushFile(TFile& file);                                   // waits until the data is on the disk
void CloseFile(TFile& file);
// Puts the written, closed temporary file in the name's place (an existing file is replaced in one
// step) and makes that lasting on the disk. Nothing to do for a file written in place.
void CommitFile(TFile& file);
// Gives the save up: closes the file if open and removes the temporary file, so what the name
// held stays as it was. Reports nothing: it runs on the way out of a failure.
void DiscardFile(TFile& file);
// Raises EInOutError if the last routine failed, then clears the failure.
void InOutCheck(TFile& file);

// Removes the temporary file of a save under way, if there is one: the last words of a process
// that a signal ends. Async-signal-safe on Linux.
void RemoveUnfinishedFile();

// A parallel port device (Linux: ppdev's /dev/parportN, the printer driver's /dev/lpN; Windows:
// LPT1..LPT9, PRN): a file the image must never be written to, since its bytes would drive the
// adapter's lines.
bool IsParallelPortFile(const std::string& name);
// Why the image must not be written under this name, "" for a file: a parallel port on both
// platforms; on Windows also any other device the name reaches (NUL, CON, CONOUT$, COM1, a
// device path, "nul.bin", "C:\\x\\com1 .txt"), as Windows itself resolves it.
std::string DeviceRefusal(const std::string& name);
bool IsParallelPortDescriptor(int descriptor);
// Why the image must never be saved under this name, "" when it may be tried: DeviceRefusal's
// devices, and on Windows also a hidden stream ("dump.bin:x"), InpOut's DLL and the program's own
// files. (Linux refuses devices, sockets and kernel files once the name is opened.)
std::string SaveRefusal(const std::string& name);

// Removes a file by name. Async-signal-safe on Linux.
void RemoveFile(const char* name);

// The system calls underneath, replaceable so tests can make any of them fail.
struct FileCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*write)(int fd, const void* buffer, size_t count);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char* from, const char* to);  // replaces `to` in one step
};
const FileCalls& RealFileCalls();
// Installs the calls (not owned; nullptr restores the real ones) and returns the previous ones.
const FileCalls* InstallFileCalls(const FileCalls* calls);
