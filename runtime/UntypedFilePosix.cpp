// The file routines' system calls on Linux. A save looks once: it opens the folder the name is in
// (the folder's links followed by the kernel as for this process, the name's own links followed
// here), looks at what the name holds there and decides. Every later step acts on that folder's
// descriptor: the temporary file is made with openat, put in place with renameat, removed with
// unlinkat, and the folder is flushed through it. A descriptor is never turned back into a path.
#include <acl/libacl.h>
#include <attr/libattr.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "runtime/FileSystemCalls.h"
#include "runtime/QuotedName.h"

namespace {
int OpenIn(int folder, const char* name, int flags, mode_t mode) { return openat(folder, name, flags, mode); }

// A new name is taken only while it is free (RENAME_NOREPLACE), so a file that appeared there
// during the read is never replaced unseen; a file system that cannot say so gets a plain rename.
int RenameIn(int folder, const char* from, const char* to, bool replacing) {
  if (!replacing && renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) return 0;
  if (!replacing && errno != EINVAL) return -1;
  return renameat(folder, from, folder, to);
}

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

// /proc and /sys show the kernel's own state as files; nothing saved there is kept, and their
// links (/proc/PID/fd/N) lead to open files, not to names in a folder.
bool InKernelFileSystem(int descriptor) {
  struct statfs system {};
  return fstatfs(descriptor, &system) == 0 && (system.f_type == PROC_SUPER_MAGIC || system.f_type == SYSFS_MAGIC);
}

bool SameFile(const struct stat& one, const struct stat& other) {
  return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

bool Sticky(const struct stat& folder) { return (folder.st_mode & S_ISVTX) != 0; }

// The folder does not let this user make a file in it (or even look into it), which a safe save
// needs; says so.
void RefuseFolder(TFile& file, const std::string& folderName) {
  file.refusal = "the folder " + QuotedName(folderName) +
                 " does not let you make a new file in it, which a safe save needs (the image goes to a temporary "
                 "file beside the name, which then takes the name's place)";
  file.refusalAdvice = "Choose a folder you may write to.";
}

// Where a name leads, looked at once: the opened folder it is in and the name there, with what
// that name holds (nothing, when `exists` is false).
struct Place {
  int folder = -1;
  struct stat folderStatus {};
  std::string folderName;  // for messages: the folder as the name and its links spell it
  std::string base;
  struct stat status {};
  bool exists = false;
};

constexpr int MostLinks = 40;  // as the kernel follows at most 40

// Opens the folder of `name` (relative to `from`) and looks at the name in it. The folder's links
// are followed by the kernel as for this process; a link at the name itself is followed here,
// from the folder that holds it, under the kernel's rule for sticky folders that others may write
// to (fs.protected_symlinks), kept whatever that setting says: such a link is followed only for
// its owner and the folder's. False with errno, or with file.refusal saying why; nothing is left
// open then.
bool Locate(TFile& file, std::string name, Place& place) {
  int from = AT_FDCWD;
  std::string shown = name;
  for (int links = 0;; ++links) {
    const std::string folderName = FolderOf(name);
    place.base = BaseNameOf(name);
    place.folderName = FolderOf(shown);
    const int folder = openat(from, folderName.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const int error = errno;
    if (from != AT_FDCWD) close(from);
    if (folder < 0) {
      if (error == ENOENT) {
        file.refusal = "the folder " + QuotedName(place.folderName) + " does not exist";
        file.refusalAdvice = "Choose a folder that exists, then try again.";
      }
      if (error == EACCES) RefuseFolder(file, place.folderName);
      errno = error;
      return false;
    }
    place.folder = folder;
    const auto fail = [&](int reason) {
      close(folder);
      place.folder = -1;
      errno = reason;
      return false;
    };
    if (fstat(folder, &place.folderStatus) != 0) return fail(errno);
    if (InKernelFileSystem(folder)) {
      file.refusal = KernelFileRefusal;
      return fail(EPERM);
    }
    if (place.base.empty() || place.base == "." || place.base == "..") return fail(EISDIR);
    if (fstatat(folder, place.base.c_str(), &place.status, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT) return fail(errno);
      place.exists = false;
      return true;
    }
    place.exists = true;
    if (!S_ISLNK(place.status.st_mode)) return true;
    if (links == MostLinks) return fail(ELOOP);
    const uid_t user = geteuid();
    if (Sticky(place.folderStatus) && (place.folderStatus.st_mode & S_IWOTH) != 0 && place.status.st_uid != user &&
        place.status.st_uid != place.folderStatus.st_uid) {
      file.refusal = "it is a symbolic link in " + QuotedName(place.folderName) +
                     ", a folder that others may write to, and belongs to another user: the system lets no one else "
                     "follow such a link (fs.protected_symlinks), so nothing is saved through it";
      file.refusalAdvice = "Give the file's own name, or a name in a folder of your own.";
      return fail(EACCES);
    }
    std::string target(PATH_MAX, '\0');
    const ssize_t length = readlinkat(folder, place.base.c_str(), target.data(), target.size());
    if (length <= 0) return fail(length == 0 ? ENOENT : errno);
    target.resize(static_cast<std::size_t>(length));
    shown = target[0] == '/' ? target : place.folderName + "/" + target;
    name = target;
    from = folder;  // a relative target starts from the link's own folder
  }
}

// Whether the handed descriptor may take the image where it stands (a terminal or /dev/null
// included, as the user set it up): open for writing, not standard error nor the same file as
// standard error (2>&1), which carries the messages, and never a port. Says why not in the file's
// refusal.
bool MayWriteWhereItStands(TFile& file, int descriptor) {
  const std::string number = std::to_string(descriptor);
  file.refusalAdvice = "Open it for writing (as " + number + "> FILE in the shell), or give a file name.";
  struct stat status {};
  struct stat messages {};
  if (descriptor == STDERR_FILENO) {
    file.refusal = "it is standard error, which carries this program's messages";
    file.refusalAdvice = "Give a file name, or - for standard output.";
  } else if (const int flags = fcntl(descriptor, F_GETFL); flags < 0 || fstat(descriptor, &status) != 0) {
    file.refusal = "it names descriptor " + number + ", which is not open in this program";
  } else if ((flags & O_ACCMODE) == O_RDONLY) {
    file.refusal = "descriptor " + number + " is open for reading only (as " + number + "< FILE in the shell)";
  } else if (IsParallelPort(status)) {
    file.refusal = ParallelPortRefusal;
    file.refusalAdvice.clear();
  } else if (!S_ISCHR(status.st_mode) && fstat(STDERR_FILENO, &messages) == 0 && SameFile(status, messages)) {
    file.refusal =
        "it is the same file as standard error (as 2>&1 in the shell makes it), so this program's "
        "messages would end up inside the image";
    file.refusalAdvice = "Send the messages elsewhere (2> FILE), or give a file name instead of -.";
  } else {
    file.refusalAdvice.clear();
    return true;
  }
  return false;
}

// A descriptor the process was handed (standard output, or one named as /dev/fd/3): written where
// it stands, never replaced.
int OpenHandedDescriptor(TFile& file, int handed) {
  if (!MayWriteWhereItStands(file, handed)) return -1;
  return fcntl(handed, F_DUPFD_CLOEXEC, 0);
}

// What a name holds that no image may take: a device, a socket, a port. Says why in the file's
// refusal (errno EISDIR for a folder).
bool MayTakeTheImage(TFile& file, const struct stat& status) {
  if (S_ISDIR(status.st_mode)) {
    errno = EISDIR;
    return false;
  }
  if (IsParallelPort(status)) {
    file.refusal = ParallelPortRefusal;
  } else if (S_ISCHR(status.st_mode)) {
    file.refusal = "it is a device (a character device), not a file";
  } else if (S_ISBLK(status.st_mode)) {
    file.refusal = "it is a disk device (a block device): the image would overwrite what it holds";
  } else if (S_ISSOCK(status.st_mode)) {
    file.refusal = "it is a socket, not a file";
  }
  return file.refusal.empty();
}

// Device nodes live on the devtmpfs at /dev: a folder there is the system's, not a user's.
bool InDeviceFolder(const struct stat& folder) {
  struct stat devices {};
  struct stat root {};
  return stat("/dev", &devices) == 0 && stat("/", &root) == 0 && devices.st_dev != root.st_dev &&
         folder.st_dev == devices.st_dev;
}

// The folder must take a new file and give up names, which a safe save needs: this user may
// write to it, and it is neither append-only nor immutable (lsattr -d shows a or i). Says why not.
bool MayMakeFileIn(TFile& file, const Place& place) {
  if (faccessat(place.folder, ".", W_OK | X_OK, AT_EACCESS) != 0) {
    RefuseFolder(file, place.folderName);
    return false;
  }
  int flags = 0;
  const int folder = openat(place.folder, ".", O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
  const bool marked =
      folder >= 0 && ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
  if (folder >= 0) close(folder);
  if (!marked) return true;
  file.refusal = "the folder " + QuotedName(place.folderName) +
                 " is append-only or immutable (lsattr -d shows a or i): no name in it can be replaced, which a safe "
                 "save needs";
  file.refusalAdvice = "Choose another folder, or have its owner remove the attribute (chattr -a -i).";
  return false;
}

// A file mounted onto its name (a bind mount, as container volumes are): the kernel says so
// (statx), or, on a kernel that cannot, the file sits on another file system than its folder.
bool IsMountPoint(const Place& place) {
  struct statx extended {};
  if (statx(place.folder, place.base.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &extended) == 0 &&
      (extended.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
    return (extended.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
  }
  return place.status.st_dev != place.folderStatus.st_dev;
}

// Opens the name found at `place` for writing (never making a file), only if it is still the file
// that was looked at. -1 with errno, or with file.refusal when another file took the name.
int OpenWhatWasLookedAt(TFile& file, const Place& place) {
  const int opened =
      openat(place.folder, place.base.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat status {};
  if (opened >= 0 && (fstat(opened, &status) != 0 || !SameFile(status, place.status))) {
    close(opened);
    file.refusal = "another file took the name while it was looked at";
    file.refusalAdvice = "Try again.";
    return -1;
  }
  return opened;
}

// Opens the existing file for writing as `echo > FILE` would (but never makes one), and only if it
// is the very file that was looked at: the kernel checks its permissions and its append-only and
// immutable flags. A sticky folder that others may write to lets a file there be replaced only by
// its owner, or by anyone when the folder's owner owns it (fs.protected_regular, kept whatever
// that setting says; root too); another sticky folder lets only the file's or the folder's owner
// rename over it, and root. -1 with errno, or with file.refusal saying why.
int OpenToReplace(TFile& file, const Place& place) {
  if (IsMountPoint(place)) {
    file.refusal =
        "a file is mounted onto that name (a bind mount, as container volumes are), and such a file "
        "cannot be replaced";
    file.refusalAdvice = "Save under another name, or into the mounted file's own folder.";
    return -1;
  }
  const uid_t user = geteuid();
  const struct stat& folder = place.folderStatus;
  const bool othersMayWrite = (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
  const uid_t owner = place.status.st_uid;
  if (Sticky(folder) && owner != user &&
      ((othersMayWrite && owner != folder.st_uid) || (user != 0 && folder.st_uid != user))) {
    file.refusal = "it is another user's file in " + QuotedName(place.folderName) +
                   ", a sticky folder (as /tmp is), where only its owner may replace it";
    file.refusalAdvice = "Save under another name.";
    return -1;
  }
  const int old = OpenWhatWasLookedAt(file, place);
  if (old < 0 && errno == EPERM && file.refusal.empty()) {
    file.refusal = "the file is append-only or immutable (lsattr shows a or i), so it cannot be replaced";
    file.refusalAdvice = "Save under another name, or have its owner remove the attribute (chattr -a -i).";
  }
  return old;
}

// Gives the new file the old one's access: its permission bits and ACL (libacl's perm_copy_fd,
// which keeps an ACL's mask apart from the group's bits, so no one gains a right), and its other
// extended attributes (libattr's attr_copy_fd, /etc/xattr.conf's choice). On a file system
// without ACLs the bits alone are copied. What could not be carried over, or "".
std::string CarryAccessOver(const TFile& file, int old, int descriptor) {
  if (perm_copy_fd(file.name.c_str(), old, file.temporary.c_str(), descriptor, nullptr) != 0) {
    return std::string("its permissions and access list (ACL) could not be carried over to the new file (") +
           std::strerror(errno) + ")";
  }
  if (attr_copy_fd(file.name.c_str(), old, file.temporary.c_str(), descriptor, nullptr, nullptr) != 0 &&
      errno != ENOTSUP) {
    // A file this user may write but not read keeps its extended attributes from the user.
    return errno == EACCES ? "its extended attributes cannot be read to carry them over to the new file"
                           : std::string("its extended attributes could not be carried over to the new file (") +
                                 std::strerror(errno) + ")";
  }
  return "";
}

// The permission bits a new file gets from the process's umask.
mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// "dump.bin.lpt-tool-unfinished-4f1c2a": beside the target, named for what it is should a crash
// leave it behind. It fits wherever the name fits: within one name's limit (NAME_MAX), the name's
// part shortened where needed, and cut only where a character starts (a name cut inside a UTF-8
// character is no valid name on exFAT or NTFS). It is made within the opened folder, so the
// whole path's limit does not apply.
std::string TemporaryNameFor(const std::string& base, unsigned number) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".lpt-tool-unfinished-%06x", number & 0xFFFFFFu);
  const std::size_t room = NAME_MAX - std::strlen(suffix);
  std::string name = base;
  if (name.size() > room) {
    std::size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return name + suffix;
}

int CreateTemporaryIn(TFile& file, mode_t mode) {
  std::random_device seed;
  std::minstd_rand numbers(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryNameFor(file.target, static_cast<unsigned>(numbers()));
    const int descriptor = InstalledFileCalls().open(file.folder, name.c_str(),
                                                     O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (descriptor >= 0) {
      file.temporary = name;
      return descriptor;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// The existing file the name holds: a named pipe is opened itself (non-blocking, so that one with
// no reader fails at once, ENXIO, instead of waiting), and only if it is the pipe looked at; a
// file on a disk gets a temporary file beside it with its owner, group and access.
int OpenExistingFile(TFile& file, const Place& place) {
  if (S_ISFIFO(place.status.st_mode)) return OpenWhatWasLookedAt(file, place);
  if (!MayMakeFileIn(file, place)) return -1;
  const int old = OpenToReplace(file, place);
  if (old < 0) return -1;
  // An image is no program: setuid and setgid are not carried over, as the kernel clears them
  // whenever a file is written.
  const int descriptor = CreateTemporaryIn(file, place.status.st_mode & 01777);
  std::string lost;
  if (descriptor >= 0) {
    file.replacing = true;
    file.decidedVolume = place.status.st_dev;
    file.decidedFile = place.status.st_ino;
    // The replaced file's owner and group, where this user may give them (root, or a group the
    // user is in), then its access as it was, never more.
    if (fchown(descriptor, place.status.st_uid, place.status.st_gid) != 0 &&
        fchown(descriptor, static_cast<uid_t>(-1), place.status.st_gid) != 0) {
      // Neither: the file keeps this user as its owner, as every file the user makes.
    }
    lost = CarryAccessOver(file, old, descriptor);
  }
  close(old);
  if (lost.empty()) return descriptor;
  InstalledFileCalls().close(descriptor);
  RemoveFile(file.folder, file.temporary.c_str());
  file.temporary.clear();
  file.replacing = false;
  file.refusal = lost;
  file.refusalAdvice = "Save under a new name, or copy the file's access by hand after saving elsewhere.";
  return -1;
}

// A name that is free: the image goes to a temporary file in its folder with the permissions
// every new file of this user gets; never a new file in /dev.
int OpenNewFile(TFile& file, const Place& place) {
  if (InDeviceFolder(place.folderStatus)) {
    file.refusal = "it would be a new file in " + QuotedName(place.folderName) +
                   ", where the system keeps its devices (a port typed as the output?), and nothing new is made there";
    file.refusalAdvice = "Give the name of a file on a disk to save the image in; a port is not named here.";
    return -1;
  }
  if (!MayMakeFileIn(file, place)) return -1;
  return CreateTemporaryIn(file, NewFileMode());
}

// Looks at the name and opens where the image goes; the folder stays open in the file on success.
int LookAndOpen(TFile& file) {
  // "name/" is a folder's name, whether that folder exists or not.
  if (file.name.back() == '/') {
    errno = EISDIR;
    return -1;
  }
  // /dev/stdout, /dev/fd/3, /proc/self/fd/3: lpt-dump writes where that descriptor stands, as
  // "-" is; a window hands out no descriptors, and its own (its display's connection) take none.
  if (const int own = OwnDescriptorNamed(file.name); own >= 0) {
    file.target = file.name;
    if (file.takesOwnDescriptors) return OpenHandedDescriptor(file, own);
    file.refusal = "it names one of this program's own open files (a descriptor), not a file on a disk";
    file.refusalAdvice = "Give the name of a file on a disk.";
    return -1;
  }
  Place place;
  if (!Locate(file, file.name, place)) return -1;
  file.folder = place.folder;
  file.target = place.base;
  if (!place.exists) return OpenNewFile(file, place);
  if (!MayTakeTheImage(file, place.status)) return -1;
  return OpenExistingFile(file, place);
}
}  // namespace

// The links are read here only to recognise such a name; what is written goes to the descriptor.
int OwnDescriptorNamed(const std::string& name) {
  std::string path = name;
  char ownFolder[PATH_MAX];
  if (realpath("/proc/self/fd", ownFolder) == nullptr) return -1;
  for (int link = 0; link < MostLinks; ++link) {
    char folder[PATH_MAX];
    const std::string base = BaseNameOf(path);
    if (realpath(FolderOf(path).c_str(), folder) != nullptr && std::strcmp(folder, ownFolder) == 0 && !base.empty() &&
        base.find_first_not_of("0123456789") == std::string::npos && base.size() < 9) {
      return std::stoi(base);
    }
    std::string target(PATH_MAX, '\0');
    const ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length <= 0) return -1;
    target.resize(static_cast<std::size_t>(length));
    if (target[0] != '/') target.insert(0, FolderOf(path) + "/");
    path = target;
  }
  return -1;
}

const FileCalls& RealFileCalls() {
  static const FileCalls calls{OpenIn, ::write, ::fsync, ::close, RenameIn};
  return calls;
}

int LastOsError() { return errno; }

int OpenStandardOutput(TFile& file) { return OpenHandedDescriptor(file, STDOUT_FILENO); }

int OpenWhereTheImageGoes(TFile& file) {
  const int descriptor = LookAndOpen(file);
  if (descriptor < 0) {
    const int error = errno;
    LetFolderGo(file);
    errno = error;
  }
  return descriptor;
}

bool NameLeadsWhereDecided(const TFile& file) {
  TFile look;
  look.name = file.name;
  Place place;
  if (!Locate(look, file.name, place)) return false;
  struct stat decidedFolder {};
  const bool same = fstat(file.folder, &decidedFolder) == 0 && SameFile(place.folderStatus, decidedFolder) &&
                    place.base == file.target &&
                    (file.replacing ? place.exists && place.status.st_dev == file.decidedVolume &&
                                          place.status.st_ino == file.decidedFile
                                    : !place.exists);
  close(place.folder);
  return same;
}

void LetFolderGo(TFile& file) {
  if (file.folder < 0) return;
  close(file.folder);
  file.folder = -1;
}

void ReadyForWriting(int descriptor) {
  // Non-blocking was only for opening; the write itself may wait for a slow reader.
  fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
}

void MakeRenameLasting(const TFile& file) {
  const FileCalls& calls = InstalledFileCalls();
  const int folder = calls.open(file.folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
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

void RemoveFile(int folder, const char* name) { unlinkat(folder, name, 0); }
