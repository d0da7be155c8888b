// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "port/PortError.h"
#include "port/PortLock.h"
#include "port/PpdevPort.h"

namespace {
// root's own folder for the locks: only those who may drive a port by direct I/O (root) can make
// or open a lock there, so no other user can hold a lock to keep the readers out.
constexpr const char* LockFolder = "/run/lpt-tool";

[[noreturn]] void Untrusted(const std::string& what) {
  throw EPortError(what + ", so it cannot keep two copies of this program off one port. Remove it (sudo rm -r " +
                       LockFolder + "): this program makes it anew, root's own.",
                   EPERM, "lock");
}

// Opens the folder, made on first use; one that is not root's own, or that others may write to,
// is not trusted.
int OpenLockFolder() {
  if (mkdir(LockFolder, 0755) != 0 && errno != EEXIST) throw OsPortError("mkdir of the lock folder", LockFolder, errno);
  const int folder = open(LockFolder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) {
    if (errno == ENOTDIR || errno == ELOOP) Untrusted(std::string("The lock folder ") + LockFolder + " is no folder");
    throw OsPortError("open of the lock folder", LockFolder, errno);
  }
  struct stat status {};
  if (fstat(folder, &status) != 0 || status.st_uid != 0 || (status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    close(folder);
    Untrusted(std::string("The lock folder ") + LockFolder + " is not root's own (or others may write to it)");
  }
  return folder;
}

// The kernel's claim on its port at this base, where ppdev reaches that port: a copy reading by
// direct I/O holds it too, so it and a program reading through ppdev keep off each other as two
// copies do. EPortHeld when another program holds the port; nothing where no ppdev port is there.
std::unique_ptr<PortBackend> ClaimKernelPort(std::uint16_t base) {
  for (int number = 0; number < 8; ++number) {
    unsigned kernelBase = 0;
    if (!(std::ifstream("/proc/sys/dev/parport/parport" + std::to_string(number) + "/base-addr") >> kernelBase) ||
        (kernelBase & ~7u) != (base & ~7u)) {
      continue;
    }
    try {
      return std::make_unique<PpdevPort>("/dev/parport" + std::to_string(number));
    } catch (const EPortHeld&) {
      throw;
    } catch (const EPortError&) {
      return nullptr;  // ppdev not loaded: the kernel's driver is the only other reader, and it claims
    }
  }
  return nullptr;
}
}  // namespace

std::string PortLock::Name() const {
  return std::string(LockFolder) + "/lpt-tool-port-" + PortLockKey(base_) + ".lock";
}

bool PortLock::TryLock() {
  if (Held()) return true;
  const std::string name = Name();
  const int folder = OpenLockFolder();
  const int descriptor = openat(folder, name.substr(name.rfind('/') + 1).c_str(),
                                O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
  const int openError = errno;
  close(folder);
  if (descriptor < 0) {
    if (openError == ELOOP) Untrusted("The lock file " + name + " is a symbolic link");
    if (openError == EISDIR) Untrusted("The lock file " + name + " is a folder");
    throw OsPortError("open of the lock file", name, openError);
  }
  struct stat status {};
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != 0 ||
      (status.st_mode & 077) != 0) {
    close(descriptor);
    Untrusted("The lock file " + name + " is not root's own plain file (mode 0600)");
  }
  if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if (error == EWOULDBLOCK) {
      // The copy that holds it wrote its process ID there.
      char text[16] = "";
      const ssize_t length = pread(descriptor, text, sizeof text - 1, 0);
      holder_ = length > 0 ? std::string(text, static_cast<std::size_t>(length)) : "";
      if (const auto end = holder_.find_first_not_of("0123456789"); end != std::string::npos) holder_.resize(end);
    }
    close(descriptor);
    if (error == EWOULDBLOCK) return false;
    throw OsPortError("flock", name, error);
  }
  // This copy's process ID, for the message a second copy gives.
  const std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(descriptor, 0) != 0 || pwrite(descriptor, pid.data(), pid.size(), 0) < 0) {
    // The lock holds without it; a second copy then cannot name this one.
  }
  handle_ = descriptor;
  try {
    kernelClaim_ = ClaimKernelPort(base_);
  } catch (const EPortHeld&) {
    Unlock();
    throw;
  }
  return true;
}

void PortLock::Unlock() {
  kernelClaim_.reset();
  if (!Held()) return;
  close(static_cast<int>(handle_));  // drops the lock
  handle_ = NoHandle;
}
