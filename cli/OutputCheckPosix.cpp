#include "cli/OutputCheck.h"

#include <fcntl.h>
#include <poll.h>
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

// A named pipe is written only once something reads it. The check keeps its own writing end
// open until the program ends: closing it now would tell the reader that the data has ended.
std::string PipeProblem(const std::string& output) {
  const int pipe = open(output.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (pipe >= 0) return "";
  if (errno == ENXIO) {
    return QuotedName(output) +
           " is a named pipe that nothing is reading from. Start the program that reads it "
           "first, or choose a file.";
  }
  return "Cannot write " + QuotedName(output) + ": " + Because(errno) + ".";
}

// Where a symbolic link that points at nothing yet would have the file created.
std::string LinkTarget(const std::string& link) {
  std::string target(4096, '\0');
  const ssize_t length = readlink(link.c_str(), target.data(), target.size());
  if (length <= 0) return "";
  target.resize(static_cast<std::size_t>(length));
  return target[0] == '/' ? target : FolderOf(link) + "/" + target;
}

std::string ProblemOf(const std::string& output, int linksFollowed) {
  struct stat status {};
  if (stat(output.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) return QuotedName(output) + " is a folder. Give a file name in it.";
    if (IsParallelPortFile(output)) return QuotedName(output) + PortOutput;
    if (access(output.c_str(), W_OK) != 0) return "Cannot write " + QuotedName(output) + ": " + Because(errno) + ".";
    if (S_ISFIFO(status.st_mode)) return PipeProblem(output);
    return "";
  }
  if (errno != ENOENT) return "Cannot use the name " + QuotedName(output) + ": " + Because(errno) + ".";
  // A link that points at nothing: the file is made where it points, if that folder exists.
  if (struct stat link{}; lstat(output.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && linksFollowed < 8) {
    const std::string target = LinkTarget(output);
    if (!target.empty()) return ProblemOf(target, linksFollowed + 1);
  }
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
}  // namespace

// A pipe whose reading end is closed reports an error to poll at once (Linux).
bool ReaderHasGone(int descriptor) {
  struct stat status {};
  if (fstat(descriptor, &status) != 0 || !S_ISFIFO(status.st_mode)) return false;
  pollfd pipe{descriptor, POLLOUT, 0};
  return poll(&pipe, 1, 0) == 1 && (pipe.revents & POLLERR) != 0;
}

std::string OutputProblem(const std::string& output) {
  if (output == "-") {
    if (IsParallelPortDescriptor(STDOUT_FILENO)) return std::string("Standard output") + PortOutput;
    if (const int flags = fcntl(STDOUT_FILENO, F_GETFL); flags >= 0 && (flags & O_ACCMODE) == O_RDONLY) {
      return "Standard output is open for reading only (1<FILE), so the image cannot be written to it. Redirect it "
             "for writing (lpt-dump - > dump.bin), or give a file name.";
    }
    if (ReaderHasGone(STDOUT_FILENO)) {
      return "Standard output is a pipe whose reader has already gone (the command after | ended), so the image would "
             "reach nothing. Keep the reading program running, or give a file name.";
    }
    return "";
  }
  return ProblemOf(output, 0);
}
