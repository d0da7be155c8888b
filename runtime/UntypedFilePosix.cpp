// SPDX-License-Identifier: MIT
// The file routines' system calls on Linux. A save looks once: it opens the folder the name is in,
// looks at what the name holds there and decides; every later step acts on that folder's
// descriptor. The image goes into a file that has no name (O_TMPFILE) until it is complete and
// on the disk; then it is linked under a fresh name beside the target, which takes the target's
// place in one step (renameat2), checked afterwards and undone if it met anything but what was
// decided. Where the file system makes no unnamed files, a named temporary file is made at once.
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <bitset>
#include <cerrno>
#include <climits>
#include <string>

#include "runtime/FileSystemCalls.h"
#include "runtime/KernelFileRules.h"
#include "runtime/QuotedName.h"
#include "runtime/SaveRefusals.h"

namespace {
int OpenIn(int folder, const char* name, int flags, mode_t mode) { return openat(folder, name, flags, mode); }

// Replacing swaps the two names' files (RENAME_EXCHANGE: 1), so the old file stays at hand until
// the swap is checked; a new name is taken only while it is free (RENAME_NOREPLACE: 0). A file
// system that can do neither gets a plain rename (0).
int RenameIn(int folder, int, const char* from, const char* to, bool replacing) {
  if (renameat2(folder, from, folder, to, replacing ? RENAME_EXCHANGE : RENAME_NOREPLACE) == 0) return replacing;
  return errno == EINVAL ? renameat(folder, from, folder, to) : -1;
}

// The descriptors the process was started with: the only ones a user can have handed it
// (3> FILE in the shell). Those it opened itself (its port, its pipes) are never a file to save in.
const std::bitset<1024> handedDescriptors = [] {
  std::bitset<1024> open;
  for (int descriptor = 0; descriptor < 1024; ++descriptor) open[descriptor] = fcntl(descriptor, F_GETFD) != -1;
  return open;
}();

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Where a name leads, looked at once: the opened folder it is in and the name there, with what
// that name holds (nothing, when `exists` is false), or the process's own descriptor it names.
struct Place {
  int folder = -1;
  struct stat folderStatus {};
  std::string folderName;  // for messages: the folder as the name and its links spell it
  std::string base;
  struct stat status {};
  bool exists = false;
  int descriptor = -1;  // /dev/stdout, /dev/fd/3, /proc/self/fd/3: that descriptor
};

// Opens the folder of `name` and looks at the name in it. The kernel follows the links on the way
// to the folder as for this process; a link at the name itself is followed here, from the folder
// that holds it, under the kernel's rule (fs.protected_symlinks), at most 40 as the kernel does.
// False with errno, or with file.refusal saying why; nothing is left open then.
bool Locate(TFile& file, std::string name, Place& place) {
  struct stat ownDescriptors {};
  const bool ownKnown = stat("/proc/self/fd", &ownDescriptors) == 0;
  std::string shown = name;
  for (int links = 0, from = AT_FDCWD;; ++links) {
    place.base = name.substr(name.find_last_of('/') + 1);
    place.folderName = FolderOf(shown);
    const int folder = openat(from, FolderOf(name).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const int error = errno;
    if (from != AT_FDCWD) close(from);
    if (folder < 0 && (error == ENOENT || error == EACCES)) {
      Refuse(file, error == ENOENT ? Refusal::FolderMissing : Refusal::FolderUnreachable, QuotedName(place.folderName));
    }
    if (folder < 0) return errno = error, false;
    const auto fail = [&](int reason) {
      close(folder);
      errno = reason;
      return false;
    };
    if (fstat(folder, &place.folderStatus) != 0) return fail(errno);
    const bool number = !place.base.empty() && place.base.size() <= 4 &&
                        place.base.find_first_not_of("0123456789") == std::string::npos;
    if (ownKnown && SameFile(place.folderStatus, ownDescriptors)) {
      if (!number || std::stoi(place.base) >= 1024 || !handedDescriptors.test(std::stoul(place.base))) {
        return fail(EBADF), Refuse(file, Refusal::DescriptorNotHanded, place.base);
      }
      place.descriptor = std::stoi(place.base);
      return close(folder), true;
    }
    struct statfs system {};
    if (fstatfs(folder, &system) == 0 && (system.f_type == PROC_SUPER_MAGIC || system.f_type == SYSFS_MAGIC)) {
      return fail(EPERM), Refuse(file, Refusal::KernelFile);
    }
    if (place.base.empty() || place.base == "." || place.base == "..") return fail(EISDIR);
    place.folder = folder;
    place.exists = fstatat(folder, place.base.c_str(), &place.status, AT_SYMLINK_NOFOLLOW) == 0;
    if (!place.exists && errno != ENOENT) return place.folder = -1, fail(errno);
    if (!place.exists || !S_ISLNK(place.status.st_mode)) return true;
    place.folder = -1;
    if (links == 40) return fail(ELOOP);
    if (LinkProtected(place.folderStatus, place.status)) {
      return fail(EACCES), Refuse(file, Refusal::ProtectedLink, QuotedName(place.folderName));
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

// A descriptor the process was handed (standard output, or one named as /dev/fd/3) is written
// where it stands (/dev/null included, as the user set it up), never replaced: only if open for
// writing, not standard error nor the same file (2>&1), which carries the messages, no terminal,
// and never a port.
int OpenHandedDescriptor(TFile& file, int handed) {
  file.inPlace = true;
  const std::string number = std::to_string(handed);
  struct stat status {};
  struct stat messages {};
  const int flags = fcntl(handed, F_GETFL);
  if (handed == STDERR_FILENO) return Refuse(file, Refusal::StandardError), -1;
  if (flags < 0 || fstat(handed, &status) != 0) return Refuse(file, Refusal::DescriptorClosed, number), -1;
  if ((flags & O_ACCMODE) == O_RDONLY) return Refuse(file, Refusal::DescriptorReadOnly, number), -1;
  if (IsParallelPort(status)) return Refuse(file, Refusal::ParallelPort), -1;
  if (isatty(handed)) return Refuse(file, Refusal::Terminal), -1;
  if (!S_ISCHR(status.st_mode) && fstat(STDERR_FILENO, &messages) == 0 && SameFile(status, messages)) {
    return Refuse(file, Refusal::SameAsStandardError), -1;
  }
  return fcntl(handed, F_DUPFD_CLOEXEC, 0);
}

// The folder must take a new file and give up names, which a safe save needs: this user may
// write to it, it is on a file system mounted for writing, and it is neither append-only nor
// immutable (lsattr -d shows a or i). Says why not.
bool MayMakeFileIn(TFile& file, const Place& place) {
  int flags = 0;
  const int opened = openat(place.folder, ".", O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
  const bool appendOnly = opened >= 0 && ioctl(opened, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_APPEND_FL) != 0;
  if (opened >= 0) close(opened);
  const bool writable = faccessat(place.folder, ".", W_OK | X_OK, AT_EACCESS) == 0;
  const Refusal why = appendOnly       ? Refusal::FolderAppendOnly
                      : writable       ? Refusal::None
                      : errno == EROFS ? Refusal::FolderReadOnlyMount
                      : errno == EPERM ? Refusal::FolderImmutable
                                       : Refusal::FolderNotWritable;
  return why == Refusal::None || Refuse(file, why, QuotedName(place.folderName));
}

// Opens the name found at `place` for writing as `echo > FILE` would (but never making a file),
// only if it is the very file that was looked at: the kernel checks its permissions and its
// append-only and immutable flags. Another user's file in a sticky folder is opened only as the
// kernel's own rules allow, and replaced only by its owner, the folder's, or root. -1 with errno,
// or with file.refusal saying why.
int OpenWhatWasLookedAt(TFile& file, const Place& place) {
  const struct stat& folder = place.folderStatus;
  const bool pipe = S_ISFIFO(place.status.st_mode);
  if (OpenProtected(folder, place.status)) {
    return Refuse(file, pipe ? Refusal::OthersPipeInSticky : Refusal::OthersFileInSticky, QuotedName(place.folderName)),
           -1;
  }
  if (!pipe && RenameRefusedBySticky(folder, place.status)) {
    return Refuse(file, Refusal::OthersFileStickyBit, QuotedName(place.folderName)), -1;
  }
  const int opened =
      openat(place.folder, place.base.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat status {};
  if (opened >= 0 && (fstat(opened, &status) != 0 || !SameFile(status, place.status))) {
    close(opened);
    return Refuse(file, Refusal::TakenWhileLooked), -1;
  }
  if (opened < 0 && errno == EPERM) {
    file.replacing = true;  // the file is there and stays: what failed is replacing it
    Refuse(file, Refusal::FileAppendOnly);
  }
  return opened;
}

// The image's file in the decided folder: unnamed, or where the file system cannot make one
// (EOPNOTSUPP; EISDIR or EINVAL from kernels that predate it), a new named temporary file.
int CreateImageFile(TFile& file, mode_t mode) {
  const int unnamed = InstalledFileCalls().open(file.folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (unnamed >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return unnamed;
  return AtAFreshName(file, [&](const std::string& name) {
    return InstalledFileCalls().open(file.folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                                     mode);
  });
}

// The existing file the name holds: a named pipe is opened itself (non-blocking, so that one with
// no reader fails at once, ENXIO, instead of waiting); a file on a disk gets a new file beside it
// with its owner, group and access, but not setuid and setgid: an image is no program.
int OpenExistingFile(TFile& file, const Place& place) {
  const mode_t type = place.status.st_mode & S_IFMT;
  if (type == S_IFDIR) return errno = EISDIR, -1;
  const Refusal why = IsParallelPort(place.status) ? Refusal::ParallelPort
                      : type == S_IFCHR            ? Refusal::CharacterDevice
                      : type == S_IFBLK            ? Refusal::BlockDevice
                      : type == S_IFSOCK           ? Refusal::Socket
                                                   : Refusal::None;
  if (why != Refusal::None) return Refuse(file, why), -1;
  file.inPlace = type == S_IFIFO;
  if (file.inPlace) return OpenWhatWasLookedAt(file, place);
  if (!MayMakeFileIn(file, place)) return -1;
  if (IsMountPoint(place.folder, place.base, place.status, place.folderStatus))
    return Refuse(file, Refusal::MountedFile), -1;
  const int old = OpenWhatWasLookedAt(file, place);
  const int descriptor = old < 0 ? -1 : CreateImageFile(file, place.status.st_mode & 01777);
  std::string lost;
  if (descriptor >= 0) {
    file.replacing = true;
    // The replaced file's owner and group where this user may give them (root, or a group the
    // user is in), else the user's, as for every new file; then its access as it was, never more.
    if (fchown(descriptor, place.status.st_uid, place.status.st_gid) != 0) {
      (void)!fchown(descriptor, static_cast<uid_t>(-1), place.status.st_gid);
    }
    lost = CarryAccessOver(file.name, old, descriptor);
  }
  // Held open until the save ends, so that no other file can take its identity meanwhile.
  if (descriptor >= 0) file.decided = old;
  if (descriptor < 0 && old >= 0) close(old);
  if (lost.empty()) return descriptor;
  file.descriptor = descriptor;
  DiscardFile(file);
  return Refuse(file, Refusal::AccessNotCarried, lost), -1;
}

// Whether the name now leads to `expected` (nullptr: to no file). The file's own identity says
// enough: a folder on the way moved or swapped leads elsewhere.
bool NameLeadsTo(const TFile& file, const struct stat* expected) {
  TFile look;
  Place place;
  if (!Locate(look, file.name, place)) return false;
  if (place.folder >= 0) close(place.folder);
  return place.exists == (expected != nullptr) && (expected == nullptr || SameFile(place.status, *expected));
}

// Whether the name in the save's folder holds that very file now.
bool Holds(const TFile& file, const std::string& name, const struct stat& held) {
  struct stat status {};
  return fstatat(file.folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(status, held);
}

// What a name in the save's folder holds, for a message.
std::string HeldBy(const TFile& file, const std::string& name, const struct stat& image, const struct stat& old) {
  struct stat status {};
  if (fstatat(file.folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return "no file";
  return SameFile(status, image) ? "the new image"
         : SameFile(status, old) ? "the file the name held before"
                                 : "a file another program put there";
}

}  // namespace

int OpenWhereTheImageGoes(TFile& file) {
  // "name/" is a folder's name, whether that folder exists or not.
  if (file.name.back() == '/') return errno = EISDIR, -1;
  Place place;
  if (!Locate(file, file.name, place)) return -1;
  file.folder = place.folder;
  file.target = place.base;
  // /dev/stdout, /dev/fd/3: lpt-dump writes where that descriptor stands, as "-" is; a window is
  // handed no descriptors.
  if (place.descriptor >= 0) {
    return file.takesOwnDescriptors ? OpenHandedDescriptor(file, place.descriptor)
                                    : (Refuse(file, Refusal::OwnDescriptor), -1);
  }
  if (place.exists) return OpenExistingFile(file, place);
  if (InDeviceFolder(place.folderStatus)) {
    return Refuse(file, Refusal::NewFileInDevices, QuotedName(place.folderName)), -1;
  }
  if (!MayMakeFileIn(file, place)) return -1;
  const mode_t mask = umask(0);
  umask(mask);
  return CreateImageFile(file, 0666 & ~mask);
}

const FileCalls& RealFileCalls() {
  static const FileCalls calls{OpenIn, ::write, ::fsync, ::close, RenameIn};
  return calls;
}

int LastOsError() { return errno; }

bool NameWasTaken(int osError) { return osError == EEXIST; }

int OpenStandardOutput(TFile& file) { return OpenHandedDescriptor(file, STDOUT_FILENO); }

int OwnDescriptorNamed(const std::string& name) {
  TFile look;
  Place place;
  if (Locate(look, name, place) && place.folder >= 0) close(place.folder);
  return place.descriptor;
}

// The image is complete and flushed: it gets a fresh name beside the target, which then takes the
// target's place in one step. What the step did is known from how it was asked (an exchange, or a
// name taken while free) and checked against the two files held open, the image and the decided
// old file; a name is removed only when it has just been shown to hold one of them.
void PutInPlace(TFile& file) {
  struct stat image {};
  if (RecordCall(file, "replace", fstat(file.descriptor, &image) != 0)) return;
  const std::string byProc = "/proc/self/fd/" + std::to_string(file.descriptor);
  const auto link = [&](const std::string& name) {
    // Through /proc, as any user may; by the descriptor alone (root) where /proc is not mounted.
    if (linkat(AT_FDCWD, byProc.c_str(), file.folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    return errno != ENOENT ? -1 : linkat(file.descriptor, "", file.folder, name.c_str(), AT_EMPTY_PATH);
  };
  if (file.temporary.empty() && RecordCall(file, "replace", AtAFreshName(file, link, "swap") < 0)) return;
  // The image stays open under a second descriptor until the save ends: no other file can take
  // its identity meanwhile.
  const int held = fcntl(file.descriptor, F_DUPFD_CLOEXEC, 0);
  if (RecordCall(file, "replace", held < 0)) return;
  const bool closed = InstalledFileCalls().close(file.descriptor) == 0;
  file.descriptor = held;
  if (RecordCall(file, "close", !closed)) return;
  struct stat old {};
  if (file.replacing && RecordCall(file, "replace", fstat(file.decided, &old) != 0)) return;
  if (!NameLeadsTo(file, file.replacing ? &old : nullptr)) {
    // A new name that another file took in the folder decided on: that file is left alone.
    struct stat taken {};
    const bool nameTaken =
        !file.replacing && fstatat(file.folder, file.target.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0;
    return nameTaken ? NameTaken(file) : NameChanged(file);
  }
  const int step = InstalledFileCalls().rename(file.folder, file.descriptor, file.temporary.c_str(),
                                               file.target.c_str(), file.replacing);
  if (step < 0 && NameWasTaken(errno)) return NameTaken(file);
  if (RecordCall(file, "replace", step < 0)) return;
  const std::string aside = file.temporary;
  const bool exchanged = step == 1;
  if (!exchanged) file.temporary.clear();  // a name now free: what comes there is not ours
  if (NameLeadsTo(file, &image) && (!exchanged || Holds(file, aside, old))) {
    if (exchanged) unlinkat(file.folder, aside.c_str(), 0);  // the old file, just seen there
    file.temporary.clear();
    close(file.descriptor);
    file.descriptor = -1;
    // The step itself on the disk: the folder flushed. Best effort: the image is in place already.
    const int folder = InstalledFileCalls().open(file.folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (folder < 0) return;
    InstalledFileCalls().fsync(folder);
    InstalledFileCalls().close(folder);
    return;
  }
  // The step met something else than decided. It is undone only while the name holds the image:
  // an exchange swapped back, or a new name given up; DiscardFile then removes the image there.
  const bool undone =
      Holds(file, file.target, image) &&
      (exchanged ? renameat2(file.folder, aside.c_str(), file.folder, file.target.c_str(), RENAME_EXCHANGE) == 0
                 : !file.replacing);
  if (undone) {
    if (!exchanged) file.temporary = file.target;
    return NameChanged(file);
  }
  // Anything else is left as it is, and the message says what each name holds.
  file.temporary.clear();
  file.left = "Now " + QuotedName(file.name) + " holds " + HeldBy(file, file.target, image, old);
  if (exchanged) {
    file.left += ", and " + QuotedName(FolderOf(file.name) + "/" + aside) + " " + HeldBy(file, aside, image, old);
  }
  file.left += ".";
  StepMet(file);
}

void RemoveHeldFile(int folder, const char* name, int descriptor) {
  struct stat held {};
  struct stat named {};
  if (fstat(descriptor, &held) == 0 && fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
      SameFile(held, named)) {
    unlinkat(folder, name, 0);
  }
}

void LetFolderGo(TFile& file) {
  for (int* held : {&file.folder, &file.decided}) {
    if (*held >= 0) close(*held);
    *held = -1;
  }
}

void ReadyForWriting(int descriptor) {
  // Non-blocking was only for opening; the write itself may wait for a slow reader.
  fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
}

// A pipe, socket or terminal cannot be synchronised (EINVAL): what was written has already gone
// to the reader.
bool NothingToFlush(int osError) { return osError == EINVAL; }

const char PathSeparators[] = "/";
std::size_t NameLength(const std::string& name) { return name.size(); }

bool IsParallelPortFile(const std::string& name) {
  struct stat status {};
  return stat(name.c_str(), &status) == 0 && IsParallelPort(status);
}

std::string DeviceRefusal(const std::string& name) { return IsParallelPortFile(name) ? ParallelPortRefusal : ""; }
