#pragma once
#include <sys/types.h>

#include <cstddef>

// The system calls underneath, replaceable so tests can make any of them fail.
struct FileCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*write)(int fd, const void* buffer, size_t count);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char* from, const char* to);  // replaces `to` in one step
};
const FileCalls& RealFileCalls();
// Installs the calls (not owned; nullptr restores the real ones) and returns the previous ones.
const FileCalls* InstallFileCalls(const FileCalls* calls);
