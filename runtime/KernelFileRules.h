// SPDX-License-Identifier: MIT
#pragma once
#include <sys/stat.h>

#include <string>

// What the Linux kernel lets this user do with a file and its folder, judged by the save before it
// acts, since it opens and renames in ways the kernel would not check the same way.

bool SameFile(const struct stat& one, const struct stat& other);  // device and inode
// ppdev's /dev/parportN (major 99) and the printer driver's /dev/lpN (major 6): bytes written
// there come out on the data lines, where the adapter's chip select, clock and data hang.
bool IsParallelPort(const struct stat& status);
// A link in a sticky folder that others may write to is followed only by its owner, or when the
// folder's owner owns it (fs.protected_symlinks).
bool LinkProtected(const struct stat& folder, const struct stat& link);
// Another user's file or named pipe in a sticky folder (fs.protected_regular, fs.protected_fifos):
// the kernel keeps this rule only for an open that may create the file; the save opens without
// creating, so it keeps the rule itself.
bool OpenProtected(const struct stat& folder, const struct stat& file);
// The sticky bit's own rule: in a sticky folder only the file's owner, the folder's or root may
// rename over a file.
bool RenameRefusedBySticky(const struct stat& folder, const struct stat& file);
// Device nodes live on the devtmpfs at /dev: a folder there is the system's, not a user's.
bool InDeviceFolder(const struct stat& folder);
// A file mounted onto its name (a bind mount, as container volumes are): the kernel says so
// (statx), or, on a kernel that cannot, the file sits on another file system than its folder.
bool IsMountPoint(int folder, const std::string& name, const struct stat& file, const struct stat& folderStatus);
// Gives the new file the old one's access: its permission bits and ACL (libacl's perm_copy_fd,
// which keeps an ACL's mask apart from the group's bits, so no one gains a right), and its other
// extended attributes (libattr's attr_copy_fd, /etc/xattr.conf's choice). A file system that keeps
// neither (FAT through FUSE) has nothing to carry. What could not be carried over, or "".
std::string CarryAccessOver(const std::string& name, int old, int descriptor);
