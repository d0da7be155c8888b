// SPDX-License-Identifier: MIT
#include "cli/OutputCheck.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A pipe whose reading end is closed reports an error to poll at once (Linux).
bool ReaderHasGone(int descriptor) {
  struct stat status {};
  if (fstat(descriptor, &status) != 0 || !S_ISFIFO(status.st_mode)) return false;
  pollfd pipe{descriptor, POLLOUT, 0};
  return poll(&pipe, 1, 0) == 1 && (pipe.revents & POLLERR) != 0;
}
}  // namespace

std::string StandardOutputProblem() {
  if (ReaderHasGone(STDOUT_FILENO)) {
    return "Standard output is a pipe whose reader has already gone (the command after | ended), so the image would "
           "reach nothing. Keep the reading program running, or give a file name.";
  }
  return "";
}
