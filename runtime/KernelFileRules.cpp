// SPDX-License-Identifier: MIT
#include "runtime/KernelFileRules.h"

#include <acl/libacl.h>
#include <attr/libattr.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace {
// A kernel setting of /proc/sys/fs; Debian's value where it cannot be read.
int FsSetting(const char* name, int debians) {
  int value = debians;
  std::ifstream(std::string("/proc/sys/fs/") + name) >> value;
  return value;
}
}  // namespace

bool IsParallelPort(const struct stat& status) {
  return S_ISCHR(status.st_mode) && (major(status.st_rdev) == 99 || major(status.st_rdev) == 6);
}

bool SameFile(const struct stat& one, const struct stat& other) {
  return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

bool LinkProtected(const struct stat& folder, const struct stat& link) {
  return (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH) && link.st_uid != geteuid() &&
         link.st_uid != folder.st_uid && FsSetting("protected_symlinks", 1) != 0;
}

bool OpenProtected(const struct stat& folder, const struct stat& file) {
  const int level = S_ISFIFO(file.st_mode) ? FsSetting("protected_fifos", 1) : FsSetting("protected_regular", 2);
  if (level == 0 || (folder.st_mode & S_ISVTX) == 0 || file.st_uid == folder.st_uid || file.st_uid == geteuid()) {
    return false;
  }
  return (folder.st_mode & S_IWOTH) != 0 || (level >= 2 && (folder.st_mode & S_IWGRP) != 0);
}

bool RenameRefusedBySticky(const struct stat& folder, const struct stat& file) {
  const uid_t user = geteuid();
  return (folder.st_mode & S_ISVTX) != 0 && user != 0 && file.st_uid != user && folder.st_uid != user;
}

bool InDeviceFolder(const struct stat& folder) {
  struct stat devices {};
  struct stat root {};
  return stat("/dev", &devices) == 0 && stat("/", &root) == 0 && devices.st_dev != root.st_dev &&
         folder.st_dev == devices.st_dev;
}

bool IsMountPoint(int folder, const std::string& name, const struct stat& file, const struct stat& folderStatus) {
  struct statx extended {};
  if (statx(folder, name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &extended) == 0 &&
      (extended.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
    return (extended.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
  }
  return file.st_dev != folderStatus.st_dev;
}

std::string CarryAccessOver(const std::string& name, int old, int descriptor) {
  const auto nothingKept = [] { return errno == ENOTSUP || errno == ENOSYS; };
  if (perm_copy_fd(name.c_str(), old, name.c_str(), descriptor, nullptr) != 0 && !nothingKept()) {
    return std::string("its permissions and access list (ACL) could not be carried over to the new file (") +
           std::strerror(errno) + ")";
  }
  if (attr_copy_fd(name.c_str(), old, name.c_str(), descriptor, nullptr, nullptr) == 0 || nothingKept()) {
    return "";
  }
  // A file this user may write but not read keeps its extended attributes from the user.
  return errno == EACCES ? "its extended attributes cannot be read to carry them over to the new file"
                         : std::string("its extended attributes could not be carried over to the new file (") +
                               std::strerror(errno) + ")";
}
