// SPDX-License-Identifier: MIT
#include <windows.h>

#include "port/PortError.h"
#include "port/PortLock.h"
#include "runtime/WindowsText.h"

// Global\: one name for every session on the PC, so a second user's copy is kept out too.
std::string PortLock::Name() const { return "Global\\lpt-tool-port-" + PortLockKey(base_); }

bool PortLock::TryLock() {
  if (Held()) return true;
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, WideText(Name()).c_str());
  if (mutex == nullptr) {
    const DWORD error = GetLastError();
    throw EPortError("The lock " + Name() + " that keeps two copies of the program off one port could not be made: " +
                         WindowsErrorText(error),
                     static_cast<int>(error), "CreateMutex");
  }
  // WAIT_ABANDONED: a copy that held it ended without letting go; the lock is ours now.
  const DWORD wait = WaitForSingleObject(mutex, 0);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return false;
  }
  handle_ = HandleToLong(mutex);
  return true;
}

void PortLock::Unlock() {
  if (!Held()) return;
  ReleaseMutex(LongToHandle(handle_));
  CloseHandle(LongToHandle(handle_));
  handle_ = NoHandle;
}
