// SPDX-License-Identifier: MIT
#pragma once
#include <sys/types.h>

#include <cstddef>

// The system calls underneath, replaceable so tests can make any of them fail. `folder` is the
// descriptor of the folder the save opened, and names are within it (Linux: openat, renameat);
// on Windows it is unused and names are whole.
struct FileCalls {
  int (*open)(int folder, const char* name, int flags, mode_t mode);
  ssize_t (*write)(int fd, const void* buffer, size_t count);
  int (*fsync)(int fd);
  int (*close)(int fd);
  // Puts the image's file (`file`, named `from` in the folder) in the place of `to` in one step:
  // over the file there when `replacing`, else only while `to` is still free. Linux acts on the
  // names; Windows on the open file, whatever its name meanwhile.
  int (*rename)(int folder, int file, const char* from, const char* to, bool replacing);
};
const FileCalls& RealFileCalls();
// Installs the calls (not owned; nullptr restores the real ones) and returns the previous ones.
const FileCalls* InstallFileCalls(const FileCalls* calls);
