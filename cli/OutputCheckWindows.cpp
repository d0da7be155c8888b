#include <windows.h>

#include "cli/OutputCheck.h"
#include "runtime/FileSystemCalls.h"
#include "runtime/QuotedName.h"
#include "runtime/UntypedFile.h"
#include "runtime/WindowsText.h"

namespace {
std::string FolderOf(const std::string& path) {
  const auto separator = path.find_last_of("\\/");
  if (separator == std::string::npos) return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) + "." : ".";
  return separator == 0 || (separator == 2 && path[1] == ':') ? path.substr(0, separator + 1)
                                                              : path.substr(0, separator);
}

DWORD AttributesOf(const std::string& path) { return GetFileAttributesW(WideText(path).c_str()); }

// Opened for writing as the save will open it, but without emptying it: a file that another
// program holds, or that this user may not write, is found before the read.
std::string ExistingFileProblem(const std::string& output) {
  const HANDLE file = CreateFileW(WideText(output).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return "";
  }
  const DWORD error = GetLastError();
  return "Cannot write " + QuotedName(output) + ": " + OsErrorReason("create", static_cast<int>(error)) + ". " +
         OsErrorAdvice("create", static_cast<int>(error));
}
}  // namespace

std::string OutputProblem(const std::string& output) {
  if (output == "-") return "";
  if (const std::string refusal = SaveRefusal(output); !refusal.empty()) {
    return "Cannot write " + QuotedName(output) + ": " + refusal + ". Choose a file on a disk.";
  }
  const DWORD attributes = AttributesOf(output);
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      return QuotedName(output) + " is a folder. Give a file name in it.";
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return "Cannot write " + QuotedName(output) + ": it is read-only.";
    return ExistingFileProblem(output);
  }
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
    return "Cannot use the name " + QuotedName(output) + ": " + WindowsErrorText(error) + ".";
  }
  const std::string folder = FolderOf(output);
  const DWORD folderAttributes = AttributesOf(folder);
  if (folderAttributes == INVALID_FILE_ATTRIBUTES) {
    return "The folder " + QuotedName(folder) + " does not exist. Choose a folder that exists.";
  }
  if ((folderAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return QuotedName(folder) + " is not a folder. Choose a folder that exists.";
  }
  return "";
}
