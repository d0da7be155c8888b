// SPDX-License-Identifier: MIT
// The advice for each Windows error a save can meet: the cause named, not "the disk" for all.
#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/FileSystemCalls.h"

namespace {
TEST(FileErrorAdvice, FitsTheWindowsError) {
  const std::pair<DWORD, const char*> cases[] = {
      {ERROR_SHARING_VIOLATION, "Another program has the file open"},
      {ERROR_LOCK_VIOLATION, "Another program has the file open"},
      {ERROR_INVALID_HANDLE, "a device, not a file"},
      {ERROR_BROKEN_PIPE, "reading from the pipe has gone"},
      {ERROR_NO_DATA, "reading from the pipe has gone"},
      {ERROR_PIPE_NOT_CONNECTED, "reading from the pipe has gone"},
      {ERROR_DISK_FULL, "The disk is full"},
      {ERROR_ACCESS_DENIED, "a name you may write to"},
  };
  for (const auto& [error, words] : cases) {
    for (const char* operation : {"create", "write"}) {
      if (error == ERROR_ACCESS_DENIED && std::string(operation) == "write") continue;
      EXPECT_NE(std::string(OsErrorAdvice(operation, static_cast<int>(error))).find(words), std::string::npos)
          << operation << ", Windows error " << error;
    }
  }
  // Access denied at the rename is no matter of room on the disk.
  EXPECT_NE(std::string(OsErrorAdvice("replace", ERROR_ACCESS_DENIED)).find("Windows denied access"),
            std::string::npos);
}
}  // namespace
