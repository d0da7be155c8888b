// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "port/PortBackend.h"

// What every copy's lock on the port at this address is called, after "lpt-tool-port-": the
// address of the aligned block of eight it lies in.
std::string PortLockKey(std::uint16_t base);

// One reader per port: a lock on one I/O address that every copy of the program on this PC
// takes before it touches the port's registers, so two copies never drive the same lines at once
// (each would save a garbled image). One lock covers the aligned block of eight addresses a base
// lies in, so every copy keeps off every register of that port, whatever base it was given.
// Linux: flock on a file in /run/lpt-tool, a folder made 0755 and trusted only while root owns it
// and neither group nor others may write to it; the lock file is root's own with mode 0600, and
// holds the process ID of the copy that has it; with it, the kernel's own claim on a port at that
// base is taken through ppdev where ppdev reaches one, so a program reading through ppdev and a
// copy reading by direct I/O keep off each other too. Windows: a named mutex in the global
// namespace. The system drops both when the process ends, however it ends.
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
