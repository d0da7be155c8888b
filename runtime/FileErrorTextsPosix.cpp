// SPDX-License-Identifier: MIT
// File-error texts for Linux: errno's own words, with what the user can do.
#include <cerrno>
#include <cstring>

#include "runtime/FileErrorTexts.h"

std::string ReadOpenFailure() { return std::string(std::strerror(errno)) + "."; }

std::string OsErrorReason(const std::string& operation, int osError) {
  if (operation == "create" && osError == ENXIO) return "nothing is reading from this named pipe";
  if (osError == EPIPE) return "the program reading from the pipe has gone (OS error " + std::to_string(osError) + ")";
  if (operation == "create" && osError == EISDIR) return "the name names a folder, not a file";
  return std::string(std::strerror(osError)) + " (OS error " + std::to_string(osError) + ")";
}

const char* OsErrorAdvice(const std::string& operation, int osError) {
  if (osError == EFBIG) {
    return "The file size limit (ulimit -f) is smaller than the image; raise it, then read and save again.";
  }
  if (operation == "create" && osError == ENXIO) return "Start the program that reads from it first, or choose a file.";
  if (osError == EPIPE) return "Keep the reading program (the command after |) running until the image is written.";
  if (operation == "create" && osError == EISDIR) return "Give the name of a file (not ending in a slash).";
  if (operation == "create") return "Choose a folder that exists and a name you may write to, then try again.";
  return "Check that the disk has room and is still attached, then read and save again.";
}
