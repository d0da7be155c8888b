// SPDX-License-Identifier: MIT
#pragma once
#include <cerrno>
#include <stdexcept>
#include <string>

// A port that cannot be opened or accessed. The message names the device, the call and the
// OS error; PortAdviceFor (FirstParallelPort.h) says what the user can do about it.
class EPortError : public std::runtime_error {
 public:
  explicit EPortError(const std::string& message, int osError = 0, std::string call = {}, std::string device = {})
      : std::runtime_error(message), osError_(osError), call_(std::move(call)), device_(std::move(device)) {}
  int OsError() const { return osError_; }
  const std::string& Call() const { return call_; }
  const std::string& Device() const { return device_; }  // what the call was on, when one was named

 private:
  int osError_;
  std::string call_;
  std::string device_;
};

// No parallel port answered where a backend opened one: the opening did not find a port after all.
class ENoPortAnswers : public EPortError {
 public:
  using EPortError::EPortError;
};

// The port is there, but another program or driver holds it. `holder` is the name the kernel
// gives it ("lp", "ppdev0", ...), or "" when it does not say.
class EPortHeld : public EPortError {
 public:
  EPortHeld(const std::string& message, std::string holder, std::string call)
      : EPortError(message, EBUSY, std::move(call)), holder_(std::move(holder)) {}
  const std::string& Holder() const { return holder_; }

 private:
  std::string holder_;
};

// "ioctl PPCLAIM on /dev/parport0 failed: Device or resource busy"
EPortError OsPortError(const std::string& call, const std::string& device, int osError);
