#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "port/PortError.h"
#include "port/PortLock.h"

namespace {
// /run/lock is where Debian keeps such locks; a system without it (a minimal one) has /tmp.
std::string LockFolder() { return access("/run/lock", W_OK) == 0 ? "/run/lock" : "/tmp"; }
}  // namespace

std::string PortLock::Name() const { return LockFolder() + "/lpt-tool-port-" + PortLockKey(base_) + ".lock"; }

bool PortLock::TryLock() {
  if (Held()) return true;
  const std::string name = Name();
  const int descriptor = open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (descriptor < 0) throw OsPortError("open of the lock file", name, errno);
  if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(descriptor);
    if (error == EWOULDBLOCK) return false;
    throw OsPortError("flock", name, error);
  }
  handle_ = descriptor;
  return true;
}

void PortLock::Unlock() {
  if (!Held()) return;
  close(static_cast<int>(handle_));  // drops the lock
  handle_ = NoHandle;
}
