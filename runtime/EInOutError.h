// SPDX-License-Identifier: MIT
#pragma once
#include <stdexcept>
#include <string>

// An I/O error of the file routines. The message names the file, the operation and the OS
// error text, and says what the user can do.
class EInOutError : public std::runtime_error {
 public:
  EInOutError(const std::string& message, int osError) : std::runtime_error(message), osError_(osError) {}
  int OsError() const { return osError_; }

 private:
  int osError_;
};
