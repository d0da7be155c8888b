// SPDX-License-Identifier: MIT
// File-error texts for Windows: Windows' own words for its errors, with what the user can do.
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "runtime/FileErrorTexts.h"
#include "runtime/WindowsText.h"

std::string OsErrorReason(const std::string&, int osError) {
  return WindowsErrorText(static_cast<unsigned long>(osError)) + " (Windows error " + std::to_string(osError) + ")";
}

namespace {
constexpr const char* HeldByAnotherProgram =
    "Another program has the file open (a hex editor, an antivirus scan), so it cannot be replaced now: close it "
    "there, then try again.";

// The advice that fits a Windows error, whatever the operation.
struct ErrorAdvice {
  DWORD error;
  const char* advice;
};
constexpr ErrorAdvice AdviceTable[] = {
    {ERROR_SHARING_VIOLATION, HeldByAnotherProgram},
    {ERROR_LOCK_VIOLATION, HeldByAnotherProgram},
    {ERROR_INVALID_HANDLE, "The name reaches a device, not a file: choose a file name on a disk."},
    {ERROR_BROKEN_PIPE, "The program reading from the pipe has gone: keep it running until the image is written."},
    {ERROR_NO_DATA, "The program reading from the pipe has gone: keep it running until the image is written."},
    {ERROR_PIPE_NOT_CONNECTED,
     "The program reading from the pipe has gone: keep it running until the image is written."},
    {ERROR_DISK_FULL, "The disk is full: free some space or choose another disk, then read and save again."},
    {ERROR_HANDLE_DISK_FULL, "The disk is full: free some space or choose another disk, then read and save again."},
    {ERROR_WRITE_PROTECT, "The disk is write-protected: choose another disk, or remove the protection."},
    {ERROR_INVALID_NAME,
     "A file name may not hold \\ / : * ? \" < > | (a folder name neither): choose a name without them, then try "
     "again."},
    {ERROR_BAD_DEV_TYPE, "The name reaches a device or a share, not a folder of files: choose a file on a disk."},
    {ERROR_BAD_NET_NAME,
     "The name reaches no shared folder: give a \\\\server\\share\\ folder that exists, or a disk."},
    {ERROR_BAD_NETPATH, "No computer of that name answers: check the \\\\server name, or choose a file on a disk."},
};
}  // namespace

const char* OsErrorAdvice(const std::string& operation, int osError) {
  for (const ErrorAdvice& entry : AdviceTable) {
    if (static_cast<DWORD>(osError) == entry.error) return entry.advice;
  }
  if (operation == "create" && osError == ERROR_ACCESS_DENIED) {
    return "Choose a name you may write to (not a folder, not a read-only file), then try again.";
  }
  if (operation == "create" && osError == ERROR_FILENAME_EXCED_RANGE) {
    return "Windows takes names up to 260 characters unless long paths are switched on (Windows 10 1607 and later: "
           "the policy \"Enable Win32 long paths\", or LongPathsEnabled = 1 under HKLM\\SYSTEM\\CurrentControlSet\\"
           "Control\\FileSystem): choose a shorter folder or name, or switch long paths on, then try again.";
  }
  if (operation == "create") return "Choose a folder that exists and a name you may write to, then try again.";
  if (osError == ERROR_ACCESS_DENIED) {
    return "Windows denied access to the file or its folder (its permissions, or a program that holds it): check "
           "them, then read and save again.";
  }
  return "Check that the disk has room and is still attached, then read and save again.";
}

std::string ReadOpenFailure() {
  const DWORD error = GetLastError();
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
    return WindowsErrorText(error) + " (Windows error " + std::to_string(error) +
           "). Another program has the file open (a hex editor, an antivirus scan), so it cannot be read now: close "
           "it there, then try again.";
  }
  return std::string(std::strerror(errno)) + ".";
}
