// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <filesystem>

// Holds a read in its middle for as long as a file exists, so that a test can act while a read
// runs whatever the machine's load, instead of guessing how long a read takes. Fed every value
// written to the data register: at the HeldAtWrite-th write of a read (the chip selected), if the
// hold file exists, it makes the file "<hold>-reached" (the test's sign that the read is held)
// and waits until the test removes the hold file. Without a hold file name it never holds.
class ReadHold {
 public:
  static constexpr unsigned HeldAtWrite = 4000;  // about a tenth of a read's writes

  explicit ReadHold(std::filesystem::path holdFile) : holdFile_(std::move(holdFile)) {}
  // The hold file named by the environment variable, if it is set.
  static ReadHold FromEnvironment(const char* variable);

  void OnDataWrite(std::uint8_t value);

 private:
  std::filesystem::path holdFile_;
  unsigned writesWhileSelected_ = 0;
};
