// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "port/PortBackend.h"

// What every copy's lock on the port at this address is called, after "lpt-tool-port-": the
// address of the aligned block of eight it lies in.
std::string PortLockKey(std::uint16_t base);

// One reader per port: every copy of the program takes this lock before it touches the port's
// registers, so two copies never drive the same lines at once (each would save a garbled image).
// It covers the aligned block of eight addresses the base lies in. Linux: flock on a root-owned
// 0600 file, holding the holder's process ID, in /run/lpt-tool (trusted only while root owns it
// and no one else may write to it), plus the kernel's claim through ppdev where ppdev reaches a
// port at that base. Windows: a global named mutex. The system drops both with the process.
class PortLock {
 public:
  explicit PortLock(std::uint16_t base) : base_(base) {}
  ~PortLock() { Unlock(); }
  PortLock(const PortLock&) = delete;
  PortLock& operator=(const PortLock&) = delete;

  // Takes the lock unless this object holds it already. False when another copy holds it; a
  // port that another program holds through the kernel raises EPortHeld; an error the system
  // gives raises EPortError.
  bool TryLock();
  void Unlock();
  bool Held() const { return handle_ != NoHandle; }
  // After a TryLock that found the lock held: the process ID of the copy that holds it, where
  // the system keeps it (Linux), or "".
  const std::string& Holder() const { return holder_; }

  // The name every copy locks for this address.
  std::string Name() const;

 private:
  static constexpr long NoHandle = -1;
  std::uint16_t base_;
  long handle_ = NoHandle;  // a descriptor, or a mutex handle as a number
  std::string holder_;
  std::unique_ptr<PortBackend> kernelClaim_;  // Linux: the kernel's claim, held with the lock
};
