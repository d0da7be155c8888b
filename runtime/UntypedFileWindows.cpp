// The file routines' system calls on Windows: CreateFileW with UTF-16 names, WriteFile,
// FlushFileBuffers, CloseHandle; errors as Windows describes them. A handle travels as an int
// (HandleToLong): Windows keeps handle values within 32 bits for this very purpose.
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "runtime/FileSystemCalls.h"
#include "runtime/WindowsNames.h"
#include "runtime/WindowsText.h"

namespace {
HANDLE AsHandle(int descriptor) { return LongToHandle(descriptor); }

// Whether the name, made absolute, is longer than Windows takes without long paths switched on.
bool LongerThanWindowsAllows(const std::wstring& name) {
  if (name.rfind(L"\\\\?\\", 0) == 0) return false;  // \\?\ names have no such limit
  const DWORD length = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  return length == 0 || length > MAX_PATH;
}

int CreateNamedFile(const char* path, int, mode_t) {
  const std::wstring name = WideText(path);
  const HANDLE file =
      CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  // Windows says "path not found" for a name beyond its length limit: say what is wrong.
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PATH_NOT_FOUND && LongerThanWindowsAllows(name)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
  }
  return HandleToLong(file);
}

ssize_t WriteToFile(int descriptor, const void* buffer, size_t count) {
  DWORD written = 0;
  if (!WriteFile(AsHandle(descriptor), buffer, static_cast<DWORD>(count), &written, nullptr) && written == 0) return -1;
  return static_cast<ssize_t>(written);
}

int FlushToDisk(int descriptor) {
  // A pipe or console holds nothing to flush; FlushFileBuffers would wait for a pipe's reader.
  if (GetFileType(AsHandle(descriptor)) != FILE_TYPE_DISK) return 0;
  return FlushFileBuffers(AsHandle(descriptor)) ? 0 : -1;
}

int CloseFileHandle(int descriptor) { return CloseHandle(AsHandle(descriptor)) ? 0 : -1; }

}  // namespace

const FileCalls& RealFileCalls() {
  static const FileCalls calls{CreateNamedFile, WriteToFile, FlushToDisk, CloseFileHandle};
  return calls;
}

int LastOsError() { return static_cast<int>(GetLastError()); }

int OpenStandardOutput() {
  HANDLE duplicate = INVALID_HANDLE_VALUE;
  const HANDLE process = GetCurrentProcess();
  if (!DuplicateHandle(process, GetStdHandle(STD_OUTPUT_HANDLE), process, &duplicate, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    return -1;
  }
  return HandleToLong(duplicate);
}

int CreateForWriting(const std::string& name) { return InstalledFileCalls().open(name.c_str(), 0, 0); }

void ReadyForWriting(int) {}

bool NothingToFlush(int) { return false; }

std::string OsErrorReason(const std::string&, int osError) {
  return WindowsErrorText(static_cast<unsigned long>(osError)) + " (Windows error " + std::to_string(osError) + ")";
}

namespace {
constexpr const char* HeldByAnotherProgram =
    "Another program has the file open and shares it with no one (a hex editor, an antivirus scan): close it "
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
  return "Check that the disk has room and is still attached, then read and save again.";
}

std::string ReadOpenFailure() {
  const DWORD error = GetLastError();
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
    return WindowsErrorText(error) + " (Windows error " + std::to_string(error) + "). " + HeldByAnotherProgram;
  }
  return std::string(std::strerror(errno)) + ".";
}

// LPT1 to LPT9 and PRN: Windows sends what is written there to the printer port.
bool IsParallelPortFile(const std::string& name) {
  const std::string device = WindowsDeviceName(name);
  return device == "PRN" || device.rfind("LPT", 0) == 0;
}

std::string DeviceRefusal(const std::string& name) {
  if (IsParallelPortFile(name)) return ParallelPortRefusal;
  const std::string device = WindowsDeviceName(name);
  return device.empty() ? "" : "it is the Windows device " + device + ", not a file";
}

bool IsParallelPortDescriptor(int) { return false; }

long long FileSizeOf(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(WideText(name).c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void RemoveFile(const char* name) { DeleteFileW(WideText(name).c_str()); }
