// SPDX-License-Identifier: MIT
// The advice for each Windows error a save can meet (the cause named, not "the disk" for all),
// and the program's own files known by their whole identity.
#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/FileSystemCalls.h"
#include "runtime/WindowsFiles.h"

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

// A file is the program itself only on the program's own volume: a file ID is unique within one
// volume alone, and another disk's file with the same ID is a file like any other.
TEST(ProgramFiles, AreKnownByVolumeAndFileIdTogether) {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  const std::optional<FileIdentity> program = IdentityOf(path);
  ASSERT_TRUE(program);
  EXPECT_EQ(ProgramFileRefusal(*program), Refusal::ProgramItself);
  FileIdentity elsewhere = *program;
  elsewhere.volume ^= 0x5A5A;
  EXPECT_EQ(ProgramFileRefusal(elsewhere), Refusal::None);
}
}  // namespace
