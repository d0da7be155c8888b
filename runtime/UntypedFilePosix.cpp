// The file routines' system calls on Linux.
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "runtime/FileSystemCalls.h"
#include "runtime/QuotedName.h"

namespace {
int OpenFile(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

// ppdev's /dev/parportN (major 99) and the printer driver's /dev/lpN (major 6): bytes written
// there come out on the data lines, where the adapter's chip select, clock and data hang.
constexpr unsigned PpdevMajor = 99;
constexpr unsigned LinePrinterMajor = 6;
bool IsParallelPort(const struct stat& status) {
  return S_ISCHR(status.st_mode) && (major(status.st_rdev) == PpdevMajor || major(status.st_rdev) == LinePrinterMajor);
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The name with its symbolic links followed to the file they lead to, existing or not: the link
// stays a link, and the file it points at gets the image.
std::string FollowLinks(std::string path) {
  for (int link = 0; link < 40; ++link) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
    std::string target(4096, '\0');
    const ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length <= 0) return path;
    target.resize(static_cast<std::size_t>(length));
    if (target[0] != '/') target.insert(0, FolderOf(path) + "/");
    path = target;
  }
  return path;
}

// What a name reaches that is no file to keep an image in, or "".
std::string NotAFile(const struct stat& status) {
  if (IsParallelPort(status)) return ParallelPortRefusal;
  if (S_ISCHR(status.st_mode)) return "it is a device (a character device), not a file";
  if (S_ISBLK(status.st_mode)) return "it is a disk device (a block device): the image would overwrite what it holds";
  if (S_ISSOCK(status.st_mode)) return "it is a socket, not a file";
  return "";
}

// /proc and /sys show the kernel's own state as files; nothing saved there is kept.
bool InKernelFileSystem(const std::string& folder) {
  struct statfs system {};
  return statfs(folder.c_str(), &system) == 0 && (system.f_type == PROC_SUPER_MAGIC || system.f_type == SYSFS_MAGIC);
}

// The permission bits a new file gets from the process's umask.
mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// "dump.bin.lpt-tool-unfinished-4f1c2a": beside the target, named for what it is should a crash
// leave it behind, and short enough for the folder's name limit.
std::string TemporaryNameFor(const std::string& target, unsigned number) {
  constexpr std::size_t LongestBase = 200;
  std::string base = BaseNameOf(target);
  if (base.size() > LongestBase) base.resize(LongestBase);
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".lpt-tool-unfinished-%06x", number & 0xFFFFFFu);
  return FolderOf(target) + "/" + base + suffix;
}

int CreateTemporaryBeside(TFile& file, mode_t mode) {
  std::random_device seed;
  std::minstd_rand numbers(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryNameFor(file.target, static_cast<unsigned>(numbers()));
    const int descriptor =
        InstalledFileCalls().open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (descriptor >= 0) {
      file.temporary = name;
      return descriptor;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}
}  // namespace

const FileCalls& RealFileCalls() {
  static const FileCalls calls{OpenFile, ::write, ::fsync, ::close, ::rename};
  return calls;
}

int LastOsError() { return errno; }

int OpenStandardOutput() { return fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0); }

int OpenForSaving(TFile& file) {
  // "name/" is a folder's name, whether that folder exists or not.
  if (file.name.back() == '/') {
    errno = EISDIR;
    return -1;
  }
  file.target = FollowLinks(file.name);
  struct stat status {};
  const bool exists = stat(file.target.c_str(), &status) == 0;
  if (!exists && errno != ENOENT) return -1;
  if (struct stat folder{}; !exists && stat(FolderOf(file.target).c_str(), &folder) != 0 && errno == ENOENT) {
    file.refusal = "the folder " + QuotedName(FolderOf(file.target)) + " does not exist";
    file.refusalAdvice = "Choose a folder that exists, then try again.";
    return -1;
  }
  if (exists) {
    if (S_ISDIR(status.st_mode)) {
      errno = EISDIR;
      return -1;
    }
    if (file.refusal = NotAFile(status); !file.refusal.empty()) return -1;
    // Non-blocking, so a named pipe with no reader fails at once (ENXIO) instead of waiting.
    if (S_ISFIFO(status.st_mode)) {
      return InstalledFileCalls().open(file.name.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK, 0);
    }
  }
  if (InKernelFileSystem(FolderOf(file.target))) {
    file.refusal = "it is in /proc or /sys, where files show the kernel's state and keep nothing";
    return -1;
  }
  // Replacing a file needs the right to write it, as writing it in place would.
  if (exists && access(file.target.c_str(), W_OK) != 0) return -1;
  const int descriptor = CreateTemporaryBeside(file, exists ? status.st_mode & 07777 : NewFileMode());
  if (descriptor < 0) return -1;
  file.replacing = exists;
  if (exists) {
    // The replaced file's owner, group and bits, where this user may give them (root, or a group
    // the user is in); open gave the bits only as far as the umask let it.
    if (fchown(descriptor, status.st_uid, status.st_gid) != 0)
      (void)fchown(descriptor, static_cast<uid_t>(-1), status.st_gid);
    fchmod(descriptor, status.st_mode & 07777);
  }
  return descriptor;
}

void ReadyForWriting(int descriptor) {
  // Non-blocking was only for opening; the write itself may wait for a slow reader.
  fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
}

void MakeRenameLasting(const std::string& target) {
  const int folder = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return;
  fsync(folder);
  close(folder);
}

// A pipe, socket or terminal cannot be synchronised (EINVAL): what was written has already gone
// to the reader.
bool NothingToFlush(int osError) { return osError == EINVAL; }

bool IsParallelPortFile(const std::string& name) {
  struct stat status {};
  return stat(name.c_str(), &status) == 0 && IsParallelPort(status);
}

std::string DeviceRefusal(const std::string& name) { return IsParallelPortFile(name) ? ParallelPortRefusal : ""; }

std::string SaveRefusal(const std::string& name) { return DeviceRefusal(name); }

bool IsParallelPortDescriptor(int descriptor) {
  struct stat status {};
  return fstat(descriptor, &status) == 0 && IsParallelPort(status);
}

void RemoveFile(const char* name) { unlink(name); }
