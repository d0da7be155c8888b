// SPDX-License-Identifier: MIT
// The save as the kernel would let the user save: links followed only where the kernel follows
// them (Debian's fs.protected_symlinks and fs.protected_regular), an ordinary user's permissions,
// sticky folders, append-only files, mounts, /dev, and the process's own descriptors named as
// files. The suite runs as root: the ordinary user's cases run in a child that has become
// "nobody", and the kernel settings are Debian's for the test and put back afterwards.
#include <acl/libacl.h>
#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <tuple>

#include "tests/dump/SaveDumpFixture.h"
#include "tests/support/FileContents.h"

namespace fs = std::filesystem;

namespace {
constexpr uid_t Nobody = 65534;

// A kernel setting under /proc/sys set for the test's time, put back when it ends.
class KernelSetting {
 public:
  KernelSetting(std::string path, const std::string& value) : path_(std::move(path)), before_(FileContents(path_)) {
    std::ofstream(path_) << value;
  }
  ~KernelSetting() {
    if (!before_.empty()) std::ofstream(path_) << before_;
  }

 private:
  std::string path_;
  std::string before_;
};

class SaveDumpPermissionsTest : public SaveDumpTest {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root: it makes files of another user and sets kernel settings";
    SaveDumpTest::SetUp();
    chmod(folder.c_str(), 0755);
  }
  // A folder the ordinary user owns, and one that is sticky and writable by all, as /tmp is.
  fs::path UsersFolder() {
    const fs::path users = folder / "users";
    fs::create_directory(users);
    EXPECT_EQ(chown(users.c_str(), Nobody, Nobody), 0);
    return users;
  }
  fs::path StickyFolder() {
    const fs::path sticky = folder / "sticky";
    fs::create_directory(sticky);
    chmod(sticky.c_str(), 01777);
    return sticky;
  }
  // Saves under the name as the ordinary user (in a child process) and returns the message.
  std::string SaveAsOrdinaryUser(const std::string& name, mode_t umaskOfTheUser = 022) {
    int result[2];
    if (pipe(result) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      close(result[0]);
      umask(umaskOfTheUser);
      std::string message = "could not become the ordinary user";
      if (setgroups(0, nullptr) == 0 && setresgid(Nobody, Nobody, Nobody) == 0 &&
          setresuid(Nobody, Nobody, Nobody) == 0) {
        message = SaveAs(name);
      }
      (void)!write(result[1], message.data(), message.size());
      _exit(0);
    }
    close(result[1]);
    std::string message;
    char buffer[512];
    for (ssize_t got; (got = read(result[0], buffer, sizeof buffer)) > 0;) message.append(buffer, got);
    close(result[0]);
    waitpid(child, nullptr, 0);
    return message;
  }
  const std::string earlier = "the earlier dump";
  KernelSetting symlinks{"/proc/sys/fs/protected_symlinks", "1"};
  KernelSetting regular{"/proc/sys/fs/protected_regular", "2"};
  KernelSetting fifos{"/proc/sys/fs/protected_fifos", "1"};
};

// A user plants links and a named pipe in a sticky folder: root follows none of the links, neither
// to an existing file, nor to make a new one, nor as a folder on the way, and writes into no pipe
// of another user (fs.protected_symlinks and fs.protected_fifos, as the system sets them); root's
// own link is followed, and so is one that the folder's owner made.
TEST_F(SaveDumpPermissionsTest, RootFollowsNoLinkThatAnotherUserPlantedInAStickyFolder) {
  const fs::path sticky = StickyFolder();
  std::ofstream(folder / "system-file") << earlier;
  fs::create_directory(folder / "victim");
  fs::create_symlink(folder / "system-file", sticky / "dump.bin");
  fs::create_symlink(folder / "made-through-a-link", sticky / "dangling.bin");
  fs::create_symlink(folder / "victim", sticky / "evil");
  ASSERT_EQ(mkfifo((sticky / "pipe.bin").c_str(), 0666), 0);
  for (const char* planted : {"dump.bin", "dangling.bin", "evil", "pipe.bin"}) {
    EXPECT_EQ(lchown((sticky / planted).c_str(), Nobody, Nobody), 0);
  }
  for (const auto& [planted, words] : {std::pair{"dump.bin", "fs.protected_symlinks"},
                                       {"dangling.bin", "fs.protected_symlinks"},
                                       {"evil/x.bin", "fs.protected_symlinks"},
                                       {"pipe.bin", "another user's named pipe"}}) {
    EXPECT_NE(SaveAs((sticky / planted).string()).find(words), std::string::npos) << planted;
  }
  EXPECT_EQ(FileContents(folder / "system-file"), earlier);
  EXPECT_FALSE(fs::exists(folder / "made-through-a-link"));
  EXPECT_TRUE(fs::is_empty(folder / "victim"));

  fs::create_symlink(folder / "roots-own", sticky / "roots-link.bin");
  EXPECT_EQ(SaveAs((sticky / "roots-link.bin").string()), "");
  EXPECT_EQ(FileContents(folder / "roots-own"), BufferAsString());
  EXPECT_TRUE(fs::is_symlink(sticky / "roots-link.bin"));

  // The folder's owner's link to the owner's file: root follows it and may replace that file.
  const fs::path owners = folder / "owners";
  fs::create_directory(owners);
  chmod(owners.c_str(), 01777);
  std::ofstream(owners / "file.bin") << earlier;
  fs::create_symlink("file.bin", owners / "link.bin");
  for (const char* made : {".", "file.bin", "link.bin"}) EXPECT_EQ(lchown((owners / made).c_str(), Nobody, Nobody), 0);
  EXPECT_EQ(SaveAs((owners / "link.bin").string()), "");
  EXPECT_EQ(FileContents(owners / "file.bin"), BufferAsString());

  // In a sticky folder that only its group may write, another user's file is kept from root only
  // where fs.protected_regular is 2 (Debian's), not where it is 1.
  const fs::path group = folder / "group";
  fs::create_directory(group);
  chmod(group.c_str(), 01770);
  std::ofstream(group / "file.bin") << earlier;
  EXPECT_EQ(chown((group / "file.bin").c_str(), Nobody, Nobody), 0);
  EXPECT_NE(SaveAs((group / "file.bin").string()).find("fs.protected_regular"), std::string::npos);
  {
    const KernelSetting one{"/proc/sys/fs/protected_regular", "1"};
    EXPECT_EQ(SaveAs((group / "file.bin").string()), "");
  }

  // Where the system's setting is off, the link is followed as the kernel follows it.
  const KernelSetting off{"/proc/sys/fs/protected_symlinks", "0"};
  EXPECT_EQ(SaveAs((sticky / "dump.bin").string()), "");
  EXPECT_EQ(FileContents(folder / "system-file"), BufferAsString());
}

// What an ordinary user may not write stays as it was, and the message says why, before any
// read; a new dump gets the bits the user's umask gives (readable by the group and others).
TEST_F(SaveDumpPermissionsTest, AnOrdinaryUserReplacesOnlyWhatTheUserMayWrite) {
  const fs::path users = UsersFolder();
  std::ofstream(users / "read-only.bin") << earlier;
  EXPECT_EQ(chown((users / "read-only.bin").c_str(), Nobody, Nobody), 0);
  chmod((users / "read-only.bin").c_str(), 0444);
  EXPECT_NE(SaveAsOrdinaryUser((users / "read-only.bin").string()).find("Permission denied"), std::string::npos);
  EXPECT_EQ(FileContents(users / "read-only.bin"), earlier);

  EXPECT_EQ(SaveAsOrdinaryUser((users / "new.bin").string()), "");
  EXPECT_EQ(fs::status(users / "new.bin").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
  struct stat status {};
  stat((users / "new.bin").c_str(), &status);
  EXPECT_EQ(status.st_uid, Nobody);

  // Another user's file in a sticky folder, writable by all: neither written nor replaced.
  const fs::path sticky = StickyFolder();
  std::ofstream(sticky / "roots.bin") << earlier;
  chmod((sticky / "roots.bin").c_str(), 0666);
  // The message names the rule that keeps it: the kernel's (fs.protected_regular) for a third
  // user's file, else the sticky bit's own, as for the folder owner's file or with that setting 0.
  std::ofstream(sticky / "thirds.bin") << earlier;
  EXPECT_EQ(chown((sticky / "thirds.bin").c_str(), Nobody - 1, Nobody - 1), 0);
  chmod((sticky / "thirds.bin").c_str(), 0666);
  constexpr const char* stickyBit = "root may replace it (the sticky bit)";
  EXPECT_NE(SaveAsOrdinaryUser((sticky / "roots.bin").string()).find(stickyBit), std::string::npos);
  EXPECT_NE(SaveAsOrdinaryUser((sticky / "thirds.bin").string()).find("(fs.protected_regular)"), std::string::npos);
  {
    const KernelSetting unprotected{"/proc/sys/fs/protected_regular", "0"};
    EXPECT_NE(SaveAsOrdinaryUser((sticky / "thirds.bin").string()).find(stickyBit), std::string::npos);
  }
  EXPECT_EQ(FileContents(sticky / "roots.bin"), earlier);
  EXPECT_EQ(FileContents(sticky / "thirds.bin"), earlier);
  // The user's own file there is the user's to replace; root replacing it keeps it the user's.
  std::ofstream(sticky / "users.bin") << earlier;
  EXPECT_EQ(chown((sticky / "users.bin").c_str(), Nobody, Nobody), 0);
  EXPECT_EQ(SaveAsOrdinaryUser((sticky / "users.bin").string()), "");
  EXPECT_EQ(FileContents(sticky / "users.bin"), BufferAsString());
  EXPECT_EQ(SaveAs((users / "new.bin").string()), "");
  stat((users / "new.bin").c_str(), &status);
  EXPECT_EQ(status.st_uid, Nobody) << "root's save made the user's dump root's";

  // The user's own file in a folder that the user may not add to: the folder is named as the cause.
  std::ofstream(folder / "users-file.bin") << earlier;
  EXPECT_EQ(chown((folder / "users-file.bin").c_str(), Nobody, Nobody), 0);
  const std::string message = SaveAsOrdinaryUser((folder / "users-file.bin").string());
  EXPECT_NE(message.find("the folder \"" + folder.string() + "\" does not let you make a new file"), std::string::npos)
      << message;
  EXPECT_EQ(FileContents(folder / "users-file.bin"), earlier);
}

// A file's access list and extended attributes (setfacl -m u:nobody:rw, setfattr -n user.note)
// pass to the file that replaces it, and the access list's mask does not become the group's bits:
// no one gains a right.
std::string AccessListOf(const fs::path& file) {
  acl_t list = acl_get_file(file.c_str(), ACL_TYPE_ACCESS);
  if (list == nullptr) return "";
  char* text = acl_to_any_text(list, nullptr, ',', 0);
  std::string result = text != nullptr ? text : "";
  acl_free(text);
  acl_free(list);
  return result;
}

TEST_F(SaveDumpPermissionsTest, AReplacedFileKeepsItsAccessListAndExtendedAttributesAndNoOneGainsARight) {
  const fs::path dump = folder / "shared.bin";
  std::ofstream(dump) << earlier;
  acl_t list = acl_from_text("u::rw-,u:nobody:rw-,g::r--,m::rw-,o::r--");
  ASSERT_NE(list, nullptr);
  const bool listed = acl_set_file(dump.c_str(), ACL_TYPE_ACCESS, list) == 0;
  acl_free(list);
  if (!listed) GTEST_SKIP() << "this file system keeps no access lists";
  const bool noted = setxattr(dump.c_str(), "user.note", "chip A", 6, 0) == 0;
  const std::string before = AccessListOf(dump);

  EXPECT_EQ(SaveAs(dump.string()), "");
  EXPECT_EQ(FileContents(dump), BufferAsString());
  EXPECT_EQ(AccessListOf(dump), before);
  EXPECT_NE(before.find("user:nobody:rw-"), std::string::npos) << before;
  EXPECT_NE(before.find("group::r--"), std::string::npos) << "the group may still only read: " << before;
  if (noted) {
    char note[16] = "";
    EXPECT_EQ(getxattr(dump.c_str(), "user.note", note, sizeof note), 6);
    EXPECT_STREQ(note, "chip A");
  }
}

// Files that a rename cannot replace are found before the read, each named for its cause: an
// append-only file, an append-only or immutable folder (where no name can be given up), a folder
// on a read-only mount, a bind mount.
TEST_F(SaveDumpPermissionsTest, AnAppendOnlyFileAndAMountedFileAreRefusedAndKept) {
  const fs::path appendOnly = folder / "append-only.bin";
  std::ofstream(appendOnly) << earlier;
  const fs::path marked = folder / "marked";
  fs::create_directory(marked);
  std::ofstream(marked / "dump.bin") << earlier;
  bool flagsKept = true;
  for (const auto& [marking, flag, name, words] :
       {std::tuple{appendOnly, FS_APPEND_FL, appendOnly, "Could not replace the file \""},
        std::tuple{appendOnly, FS_IMMUTABLE_FL, appendOnly, "the file is append-only or immutable"},
        std::tuple{marked, FS_APPEND_FL, marked / "dump.bin", "is append-only (lsattr -d shows a)"},
        std::tuple{marked, FS_APPEND_FL, marked / "new.bin", "is append-only (lsattr -d shows a)"},
        std::tuple{marked, FS_IMMUTABLE_FL, marked / "new.bin", "is immutable (lsattr -d shows i)"}}) {
    const int descriptor = open(marking.c_str(), O_RDONLY);
    int flags = flag;
    flagsKept = ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
    if (flagsKept) {
      EXPECT_NE(SaveAs(name.string()).find(words), std::string::npos) << name << " " << flag;
      flags = 0;
      ioctl(descriptor, FS_IOC_SETFLAGS, &flags);
    }
    close(descriptor);
  }
  EXPECT_EQ(FileContents(appendOnly), earlier);
  EXPECT_EQ(FileContents(marked / "dump.bin"), earlier);
  EXPECT_EQ(std::distance(fs::directory_iterator(marked), fs::directory_iterator()), 1);

  if (mount(marked.c_str(), marked.c_str(), nullptr, MS_BIND, nullptr) == 0) {
    const bool readOnly = mount(nullptr, marked.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    const std::string message = readOnly ? SaveAs((marked / "dump.bin").string()) : "";
    umount(marked.c_str());
    if (readOnly) {
      EXPECT_NE(message.find("is on a file system mounted read-only"), std::string::npos) << message;
    }
  }
  std::ofstream(folder / "volume.bin") << "the volume's";
  std::ofstream(folder / "mounted.bin") << earlier;
  if (mount((folder / "volume.bin").c_str(), (folder / "mounted.bin").c_str(), nullptr, MS_BIND, nullptr) == 0) {
    const std::string message = SaveAs((folder / "mounted.bin").string());
    umount((folder / "mounted.bin").c_str());
    EXPECT_NE(message.find("mounted onto that name"), std::string::npos) << message;
    EXPECT_EQ(FileContents(folder / "volume.bin"), "the volume's");
  }
  if (!flagsKept) GTEST_SKIP() << "this file system keeps no append-only flag";
}

// A name through /proc/PID/root reaches the file in that process's mount namespace, and the save
// replaces that very file, not the one the same path names here.
TEST_F(SaveDumpPermissionsTest, ANameInAnotherMountNamespaceIsSavedThere) {
  const fs::path shared = folder / "x";
  fs::create_directory(shared);
  std::ofstream(shared / "g.bin") << "here";
  int ready[2];
  int done[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(done), 0);
  const pid_t other = fork();
  if (other == 0) {  // a process with a tmpfs of its own on the folder
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    char signal = 'n';
    if (unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        mount("tmpfs", shared.c_str(), "tmpfs", 0, nullptr) == 0) {
      std::ofstream(shared / "g.bin") << "there";
      signal = 'y';
    }
    (void)!write(ready[1], &signal, 1);
    (void)!read(done[0], &signal, 1);
    _exit(FileContents(shared / "g.bin") == BufferAsString() ? 0 : 1);
  }
  char signal = 0;
  ASSERT_EQ(read(ready[0], &signal, 1), 1);
  if (signal == 'y') {
    EXPECT_EQ(SaveAs("/proc/" + std::to_string(other) + "/root" + (shared / "g.bin").string()), "");
  }
  (void)!write(done[1], "e", 1);
  int status = 0;
  waitpid(other, &status, 0);
  for (const int end : {ready[0], ready[1], done[0], done[1]}) close(end);
  if (signal != 'y')
    GTEST_SKIP()
        << "no private mount namespace could be made (it takes a root folder that is a mount point, not a chroot)";
  EXPECT_EQ(FileContents(shared / "g.bin"), "here");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other namespace's file did not get the image";
}

// lpt-dump writes /dev/fd/N and /proc/self/fd/N where a descriptor it was started with stands
// (here standard output, appended to a log), but never into standard error, the same file as
// standard error (2>&1), a terminal, nor a descriptor it opened itself; a window, whose user hands
// it no descriptors, refuses them all. Nothing new is made in /dev.
TEST_F(SaveDumpPermissionsTest, TheProcesssOwnDescriptorsAreWrittenWhereTheyStandAndNothingIsMadeInDev) {
  const fs::path log = folder / "log.bin";
  std::ofstream(log) << "HEADER";
  // Standard output and, where `messagesThere`, standard error onto the path while `save` runs.
  const auto withOutputOn = [&](const fs::path& path, int flags, bool messagesThere, const auto& save) {
    const int savedOutput = dup(STDOUT_FILENO);
    const int savedError = dup(STDERR_FILENO);
    const int opened = open(path.c_str(), flags);
    dup2(opened, STDOUT_FILENO);
    if (messagesThere) dup2(opened, STDERR_FILENO);
    close(opened);
    const std::string message = save();
    dup2(savedOutput, STDOUT_FILENO);
    dup2(savedError, STDERR_FILENO);
    close(savedOutput);
    close(savedError);
    return message;
  };
  withOutputOn(log, O_WRONLY | O_APPEND, false, [&] {
    for (const char* name : {"/dev/fd/1", "/proc/self/fd/1"}) {
      EXPECT_NE(SaveAs(name).find("one of this program's own open files"), std::string::npos) << name;
      EXPECT_NE(SaveAs("/dev/stdout").find("one of this program's own open files"), std::string::npos);
      EXPECT_EQ(SaveAsCommandLine(name), "") << name;
    }
    return "";
  });
  EXPECT_EQ(FileContents(log), "HEADER" + BufferAsString() + BufferAsString());
  EXPECT_EQ(fs::status(log).type(), fs::file_type::regular);
  // A descriptor that the program opened itself is no file a user handed it.
  const int own = open(log.c_str(), O_WRONLY | O_APPEND);
  // Nor is a number past the 1024 descriptors a process is started with.
  for (const std::string& name : {"/dev/fd/" + std::to_string(own), "/proc/self/fd/" + std::to_string(own),
                                  std::string("/dev/fd/1024"), std::string("/dev/fd/9999")}) {
    EXPECT_NE(SaveAsCommandLine(name).find("which was not open when this program started"), std::string::npos) << name;
  }
  close(own);
  EXPECT_NE(SaveAsCommandLine("/dev/stderr").find("it is standard error"), std::string::npos);
  // Open for reading and writing (1<> FILE in the shell), or onto /dev/null, it takes the image.
  const fs::path bothWays = folder / "both-ways.bin";
  std::ofstream(bothWays) << "";
  for (const fs::path& path : {bothWays, fs::path("/dev/null")}) {
    EXPECT_EQ(withOutputOn(path, O_RDWR, false, [&] { return SaveAsCommandLine("/dev/fd/1"); }), "") << path;
  }
  EXPECT_EQ(FileContents(bothWays), BufferAsString());

  // Standard output is decided on as a named descriptor is (a port cannot be opened without its
  // driver, so the kernel tests show that case): open for reading only, the very file that
  // standard error writes to, or a terminal, it takes nothing.
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0);
  const auto bothNames = [&] { return SaveAsCommandLine("") + "|" + SaveAsCommandLine("/dev/fd/1"); };
  const std::pair<std::string, const char*> refusals[] = {
      {withOutputOn(log, O_RDONLY, false, bothNames),
       "is open for reading only (as 1< FILE in the shell). Open it for writing (as 1> FILE in the shell)"},
      {withOutputOn(log, O_WRONLY | O_APPEND, true, bothNames), "it is the same file as standard error (as 2>&1"},
      {withOutputOn(ptsname(terminal), O_WRONLY | O_NOCTTY, false, bothNames), "it is a terminal"}};
  close(terminal);
  for (const auto& [message, words] : refusals) {
    EXPECT_EQ(message.rfind("Could not write standard output: ", 0), 0u) << message;
    EXPECT_LT(message.find(words), message.find('|')) << message;
    EXPECT_NE(message.find(words, message.find('|')), std::string::npos) << message;
  }
  EXPECT_EQ(FileContents(log), "HEADER" + BufferAsString() + BufferAsString());
  const std::string inDev = "/dev/lpt-tool-test-parport" + std::to_string(getpid());
  EXPECT_NE(SaveAs(inDev).find("where the system keeps its devices"), std::string::npos);
  EXPECT_FALSE(fs::exists(inDev));
}
}  // namespace
