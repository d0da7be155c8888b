// The file routines' system calls on Linux.
#include <acl/libacl.h>
#include <attr/libattr.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>

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

constexpr const char* KernelFileRefusal =
    "it is in /proc or /sys, where files show the kernel's state and keep nothing";

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// Where a symbolic link leads, relative targets taken from the link's folder; nullopt when the
// name is no link.
std::optional<std::string> WhereLinkLeads(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return std::nullopt;
  std::string target(4096, '\0');
  const ssize_t length = readlink(path.c_str(), target.data(), target.size());
  if (length <= 0) return std::nullopt;
  target.resize(static_cast<std::size_t>(length));
  if (target[0] != '/') target.insert(0, FolderOf(path) + "/");
  return target;
}

// The name with its symbolic links followed to the file they lead to, existing or not: the link
// stays a link, and the file it points at gets the image.
std::string FollowLinks(std::string path) {
  for (int link = 0; link < 40; ++link) {
    const std::optional<std::string> target = WhereLinkLeads(path);
    if (!target) return path;
    path = *target;
  }
  return path;
}

// /proc and /sys show the kernel's own state as files; nothing saved there is kept.
bool InKernelFileSystem(int descriptor) {
  struct statfs system {};
  return fstatfs(descriptor, &system) == 0 && (system.f_type == PROC_SUPER_MAGIC || system.f_type == SYSFS_MAGIC);
}

// How the image reaches what a descriptor leads to.
enum class Reached {
  ByName,              // a name the user gave, followed by the kernel to the file it names
  ByHandedDescriptor,  // a descriptor the program was handed: standard output, /dev/fd/3
};

// Whether the image may go where an open descriptor leads: the one place that decides it, from
// what the kernel says the open file is, never from a name that another program may change
// meanwhile. A name must reach a file on a disk or a named pipe. A handed descriptor is written
// where it stands (a terminal or /dev/null included, as the user set it up) if it is open for
// writing and is not standard error, which carries the messages. Neither may reach a parallel
// port. When not, says why in the file's refusal (or errno EISDIR for a folder).
bool MayWriteThrough(TFile& file, int descriptor, Reached how) {
  const std::string number = std::to_string(descriptor);
  if (how == Reached::ByHandedDescriptor) {
    file.refusalAdvice = "Open it for writing (as " + number + "> FILE in the shell), or give a file name.";
    if (descriptor == STDERR_FILENO) {
      file.refusal = "it is standard error, which carries this program's messages";
      file.refusalAdvice = "Give a file name, or - for standard output.";
      return false;
    }
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags < 0) {
      file.refusal = "it names descriptor " + number + ", which is not open in this program";
      return false;
    }
    if ((flags & O_ACCMODE) == O_RDONLY) {
      file.refusal = "descriptor " + number + " is open for reading only (as " + number + "< FILE in the shell)";
      return false;
    }
    file.refusalAdvice.clear();
  }
  struct stat status {};
  if (fstat(descriptor, &status) != 0) return false;
  if (IsParallelPort(status)) {
    file.refusal = ParallelPortRefusal;
    return false;
  }
  if (how == Reached::ByHandedDescriptor) return true;
  if (S_ISDIR(status.st_mode)) {
    errno = EISDIR;
    return false;
  }
  if (S_ISCHR(status.st_mode)) file.refusal = "it is a device (a character device), not a file";
  if (S_ISBLK(status.st_mode)) {
    file.refusal = "it is a disk device (a block device): the image would overwrite what it holds";
  }
  if (S_ISSOCK(status.st_mode)) file.refusal = "it is a socket, not a file";
  if (InKernelFileSystem(descriptor)) file.refusal = KernelFileRefusal;
  return file.refusal.empty();
}

// The permission bits a new file gets from the process's umask.
mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// "dump.bin.lpt-tool-unfinished-4f1c2a": beside the target, named for what it is should a crash
// leave it behind. It fits wherever the name fits: within one name's limit (NAME_MAX) and the
// whole path's (PATH_MAX), the name's part shortened where needed, and cut only where a character
// starts (a name cut inside a UTF-8 character is no valid name on exFAT or NTFS).
std::string TemporaryNameFor(const std::string& target, unsigned number) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".lpt-tool-unfinished-%06x", number & 0xFFFFFFu);
  const std::string folder = FolderOf(target);
  const std::size_t suffixLength = std::strlen(suffix);
  const std::size_t pathUsed = folder.size() + 1 + suffixLength;
  const std::size_t pathRoom = pathUsed >= PATH_MAX - 1 ? 0 : PATH_MAX - 1 - pathUsed;
  const std::size_t room = std::min<std::size_t>(NAME_MAX - suffixLength, pathRoom);
  std::string base = BaseNameOf(target);
  if (base.size() > room) {
    std::size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) --cut;
    base.resize(cut);
  }
  return folder + "/" + base + suffix;
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

// The file an open descriptor reaches, as the kernel names it ("" when it cannot say).
std::string PathOfDescriptor(int descriptor) {
  std::string path(4096, '\0');
  const ssize_t length =
      readlink(("/proc/self/fd/" + std::to_string(descriptor)).c_str(), path.data(), path.size() - 1);
  if (length <= 0 || path[0] != '/') return "";
  path.resize(static_cast<std::size_t>(length));
  return path;
}

// The name is a symbolic link that the kernel refused to follow (it is there, but not what it
// leads to): a link of another user in a sticky folder that others may write to, which the kernel
// follows only for the link's owner and the folder's (fs.protected_symlinks).
bool IsLinkNotFollowed(const std::string& name) {
  struct stat link {};
  struct stat folder {};
  return lstat(name.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && stat(FolderOf(name).c_str(), &folder) == 0 &&
         (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0 && link.st_uid != geteuid() &&
         link.st_uid != folder.st_uid;
}

// A descriptor the process was handed (standard output, or one named as /dev/fd/3): written where
// it stands, never replaced.
int OpenHandedDescriptor(TFile& file, int handed) {
  if (!MayWriteThrough(file, handed, Reached::ByHandedDescriptor)) return -1;
  return fcntl(handed, F_DUPFD_CLOEXEC, 0);
}

// Device nodes live on the devtmpfs at /dev: a folder there is the system's, not a user's.
bool InDeviceFolder(int folder) {
  struct stat devices {};
  struct stat root {};
  struct stat status {};
  return stat("/dev", &devices) == 0 && stat("/", &root) == 0 && devices.st_dev != root.st_dev &&
         fstat(folder, &status) == 0 && status.st_dev == devices.st_dev;
}

// A file mounted onto its name (a bind mount, as container volumes are): the kernel says so
// (statx), or, on a kernel that cannot, the file sits on another file system than its folder.
bool IsMountPoint(const std::string& path, const struct stat& status, const struct stat& folder) {
  struct statx extended {};
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS, &extended) == 0 &&
      (extended.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
    return (extended.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
  }
  return status.st_dev != folder.st_dev;
}

// Whether the existing file may be replaced by a rename, found before the read: the kernel is
// asked to open it for writing as `echo > FILE` would (its permissions, append-only and
// immutable files, fs.protected_regular in sticky folders), and a sticky folder lets only the
// file's or the folder's owner rename over it. Says why not in the file's refusal.
bool MayReplace(TFile& file, const struct stat& status, const std::string& folder) {
  struct stat folderStatus {};
  if (stat(folder.c_str(), &folderStatus) != 0) return false;
  if (IsMountPoint(file.target, status, folderStatus)) {
    file.refusal =
        "a file is mounted onto that name (a bind mount, as container volumes are), and such a file "
        "cannot be replaced";
    file.refusalAdvice = "Save under another name, or into the mounted file's own folder.";
    return false;
  }
  const int probe = open(file.target.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0);
  if (probe < 0) {
    const int error = errno;
    if (error == EPERM) {
      file.refusal = "the file is append-only or immutable (lsattr shows a or i), so it cannot be replaced";
      file.refusalAdvice = "Save under another name, or have its owner remove the attribute (chattr -a -i).";
      return false;
    }
    if (error == EACCES && access(file.target.c_str(), W_OK) == 0 && (folderStatus.st_mode & S_ISVTX) != 0 &&
        status.st_uid != geteuid()) {
      file.refusal = "it is another user's file in " + QuotedName(folder) +
                     ", a sticky folder (as /tmp is), where the system lets no one else write it";
      file.refusalAdvice = "Save under another name.";
      return false;
    }
    errno = error;
    return false;
  }
  close(probe);
  // Root may write into another user's file in a sticky folder (above), but a rename over it
  // there needs the file's or the folder's owner.
  const uid_t user = geteuid();
  if ((folderStatus.st_mode & S_ISVTX) != 0 && user != 0 && status.st_uid != user && folderStatus.st_uid != user) {
    file.refusal = "it is another user's file in " + QuotedName(folder) +
                   ", a sticky folder (as /tmp is), where only its owner may replace it";
    file.refusalAdvice = "Save under another name.";
    return false;
  }
  return true;
}

// Gives the new file the old one's access: its permission bits and ACL (libacl's perm_copy_fd,
// which keeps an ACL's mask apart from the group's bits, so no one gains a right), and its other
// extended attributes (libattr's attr_copy_fd, /etc/xattr.conf's choice). On a file system
// without ACLs the bits alone are copied. What could not be carried over, or "".
std::string CarryAccessOver(const std::string& from, const struct stat& status, const std::string& to, int descriptor) {
  const int old = open(from.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (old < 0) {
    // A file this user may write but not read: its bits, as long as nothing else guards it.
    if (listxattr(from.c_str(), nullptr, 0) > 0) {
      return "its access list (ACL) and extended attributes cannot be read to carry them over to the new file";
    }
    fchmod(descriptor, status.st_mode & 07777);
    return "";
  }
  std::string lost;
  if (perm_copy_fd(from.c_str(), old, to.c_str(), descriptor, nullptr) != 0) {
    lost = std::string("its permissions and access list (ACL) could not be carried over to the new file (") +
           std::strerror(errno) + ")";
  } else if (attr_copy_fd(from.c_str(), old, to.c_str(), descriptor, nullptr, nullptr) != 0 && errno != ENOTSUP) {
    lost =
        std::string("its extended attributes could not be carried over to the new file (") + std::strerror(errno) + ")";
  }
  close(old);
  return lost;
}

// The folder does not let this user make a file in it, which the save needs; says so.
bool MayMakeFileIn(TFile& file, const std::string& folder) {
  if (access(folder.c_str(), W_OK | X_OK) == 0) return true;
  file.refusal = "the folder " + QuotedName(folder) +
                 " does not let you make a new file in it, which a safe save needs (the image goes to a temporary "
                 "file beside the name, which then takes the name's place)";
  file.refusalAdvice = "Choose a folder you may write to.";
  return false;
}

// A name that reaches an existing file (`located`, opened O_PATH): a named pipe is opened itself,
// through the descriptor so that it is the very pipe that was looked at; a file on a disk gets a
// temporary file beside it with its owner, group and access.
int OpenExistingFile(TFile& file, int located) {
  file.target = PathOfDescriptor(located);
  struct stat status {};
  if (fstat(located, &status) != 0 || file.target.empty()) return -1;
  if (!MayWriteThrough(file, located, Reached::ByName)) return -1;
  // Non-blocking, so a named pipe with no reader fails at once (ENXIO) instead of waiting.
  if (S_ISFIFO(status.st_mode)) {
    const std::string reopened = "/proc/self/fd/" + std::to_string(located);
    return InstalledFileCalls().open(reopened.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK, 0);
  }
  const std::string folder = FolderOf(file.target);
  if (!MayReplace(file, status, folder) || !MayMakeFileIn(file, folder)) return -1;
  const int descriptor = CreateTemporaryBeside(file, status.st_mode & 07777);
  if (descriptor < 0) return -1;
  file.replacing = true;
  // The replaced file's owner and group, where this user may give them (root, or a group the
  // user is in), then its access as it was, never more.
  if (fchown(descriptor, status.st_uid, status.st_gid) != 0 &&
      fchown(descriptor, static_cast<uid_t>(-1), status.st_gid) != 0) {
    // Neither: the file keeps this user as its owner, as every file the user makes.
  }
  if (const std::string lost = CarryAccessOver(file.target, status, file.temporary, descriptor); !lost.empty()) {
    InstalledFileCalls().close(descriptor);
    RemoveFile(file.temporary.c_str());
    file.temporary.clear();
    file.replacing = false;
    file.refusal = lost;
    file.refusalAdvice = "Save under a new name, or copy the file's access by hand after saving elsewhere.";
    return -1;
  }
  return descriptor;
}

// A name that is free: the folder it would be made in is looked at (opened O_PATH), and the
// image goes to a temporary file there with the permissions every new file of this user gets.
int OpenNewFile(TFile& file) {
  const std::string folderName = FolderOf(file.target);
  const int folder = open(folderName.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) {
    // A folder this user may not look into is named as one the user may not make a file in.
    if (const int error = errno; error != ENOENT) {
      if (MayMakeFileIn(file, folderName)) errno = error;
      return -1;
    }
    file.refusal = "the folder " + QuotedName(folderName) + " does not exist";
    file.refusalAdvice = "Choose a folder that exists, then try again.";
    return -1;
  }
  if (InKernelFileSystem(folder)) {
    file.refusal = KernelFileRefusal;
  } else if (InDeviceFolder(folder)) {
    file.refusal = "it would be a new file in " + QuotedName(folderName) +
                   ", where the system keeps its devices (a port typed as the output?), and nothing new is made there";
    file.refusalAdvice = "Give the name of a file on a disk to save the image in; a port is not named here.";
  }
  close(folder);
  if (!file.refusal.empty() || !MayMakeFileIn(file, folderName)) return -1;
  return CreateTemporaryBeside(file, NewFileMode());
}
}  // namespace

// The links are read here only to recognise such a name; what is written goes to the descriptor.
int OwnDescriptorNamed(const std::string& name) {
  std::string path = name;
  char ownFolder[PATH_MAX];
  if (realpath("/proc/self/fd", ownFolder) == nullptr) return -1;
  for (int link = 0; link < 40; ++link) {
    char folder[PATH_MAX];
    const std::string base = BaseNameOf(path);
    if (realpath(FolderOf(path).c_str(), folder) != nullptr && std::strcmp(folder, ownFolder) == 0 && !base.empty() &&
        base.find_first_not_of("0123456789") == std::string::npos && base.size() < 9) {
      return std::stoi(base);
    }
    const std::optional<std::string> target = WhereLinkLeads(path);
    if (!target) return -1;
    path = *target;
  }
  return -1;
}

const FileCalls& RealFileCalls() {
  static const FileCalls calls{OpenFile, ::write, ::fsync, ::close, ::rename};
  return calls;
}

int LastOsError() { return errno; }

int OpenStandardOutput(TFile& file) { return OpenHandedDescriptor(file, STDOUT_FILENO); }

int OpenForSaving(TFile& file) {
  // "name/" is a folder's name, whether that folder exists or not.
  if (file.name.back() == '/') {
    errno = EISDIR;
    return -1;
  }
  // /dev/stdout, /dev/fd/3, /proc/self/fd/3: written where that descriptor stands, as "-" is.
  if (const int own = OwnDescriptorNamed(file.name); own >= 0) {
    file.target = file.name;
    return OpenHandedDescriptor(file, own);
  }
  // The kernel follows the name's links, only as far as it lets this process (a link planted in
  // a sticky folder such as /tmp is not followed for another user, root included:
  // fs.protected_symlinks), and opens the file they reach for nothing but looking at it (O_PATH:
  // no device is opened, no pipe waited for). What is decided is decided on that descriptor.
  const int located = open(file.name.c_str(), O_PATH | O_CLOEXEC);
  if (located >= 0) {
    const int descriptor = OpenExistingFile(file, located);
    const int error = errno;
    close(located);
    errno = error;
    return descriptor;
  }
  if (errno == EACCES && IsLinkNotFollowed(file.name)) {
    file.refusal = "it is a symbolic link in " + QuotedName(FolderOf(file.name)) +
                   ", a folder that others may write to, and belongs to another user: the system lets no one else "
                   "follow such a link (fs.protected_symlinks), so nothing is saved through it";
    file.refusalAdvice = "Give the file's own name, or a name in a folder of your own.";
    return -1;
  }
  if (errno != ENOENT) return -1;
  // A new file: the kernel followed the links it met (a dangling link leads to a name that is
  // free), so the new file is made where they lead.
  file.target = FollowLinks(file.name);
  return OpenNewFile(file);
}

void ReadyForWriting(int descriptor) {
  // Non-blocking was only for opening; the write itself may wait for a slow reader.
  fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
}

void MakeRenameLasting(const std::string& target) {
  const FileCalls& calls = InstalledFileCalls();
  const int folder = calls.open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (folder < 0) return;
  calls.fsync(folder);
  calls.close(folder);
}

// A pipe, socket or terminal cannot be synchronised (EINVAL): what was written has already gone
// to the reader.
bool NothingToFlush(int osError) { return osError == EINVAL; }

bool IsParallelPortFile(const std::string& name) {
  struct stat status {};
  return stat(name.c_str(), &status) == 0 && IsParallelPort(status);
}

std::string DeviceRefusal(const std::string& name) { return IsParallelPortFile(name) ? ParallelPortRefusal : ""; }

void RemoveFile(const char* name) { unlink(name); }
