#include "cli/OutputCheck.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "runtime/QuotedName.h"
#include "runtime/UntypedFile.h"

namespace {
std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Because(int osError) { return std::strerror(osError); }

constexpr const char* PortOutput =
    " is a parallel port; the image is never written to a port. Choose a file on a disk.";
}  // namespace

std::string OutputProblem(const std::string& output) {
  if (output == "-") return IsParallelPortDescriptor(STDOUT_FILENO) ? std::string("Standard output") + PortOutput : "";
  struct stat status {};
  if (stat(output.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) return QuotedName(output) + " is a folder. Give a file name in it.";
    if (IsParallelPortFile(output)) return QuotedName(output) + PortOutput;
    if (access(output.c_str(), W_OK) != 0) return "Cannot write " + QuotedName(output) + ": " + Because(errno) + ".";
    return "";
  }
  if (errno != ENOENT) return "Cannot use the name " + QuotedName(output) + ": " + Because(errno) + ".";
  const std::string folder = FolderOf(output);
  if (stat(folder.c_str(), &status) != 0) {
    return "The folder " + QuotedName(folder) + " does not exist. Choose a folder that exists.";
  }
  if (!S_ISDIR(status.st_mode)) return QuotedName(folder) + " is not a folder. Choose a folder that exists.";
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    return "Cannot create a file in the folder " + QuotedName(folder) + ": " + Because(errno) + ".";
  }
  return "";
}
