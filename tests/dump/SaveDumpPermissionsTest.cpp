// The save as the kernel would let the user save: links followed only where the kernel follows
// them (Debian's fs.protected_symlinks and fs.protected_regular), an ordinary user's permissions,
// sticky folders, append-only files, mounts, /dev, and the process's own descriptors named as
// files. The suite runs as root: the ordinary user's cases run in a child that has become
// "nobody", and the kernel settings are Debian's for the test and put back afterwards.
#include <acl/libacl.h>
#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
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
};

// A user plants links in a sticky folder: root follows none of them, neither to an existing file
// nor to make a new one, as the kernel follows none for root; root's own link is followed.
TEST_F(SaveDumpPermissionsTest, RootFollowsNoLinkThatAnotherUserPlantedInAStickyFolder) {
  const fs::path sticky = StickyFolder();
  std::ofstream(folder / "system-file") << earlier;
  fs::create_symlink(folder / "system-file", sticky / "dump.bin");
  fs::create_symlink(folder / "made-through-a-link", sticky / "dangling.bin");
  EXPECT_EQ(lchown((sticky / "dump.bin").c_str(), Nobody, Nobody), 0);
  EXPECT_EQ(lchown((sticky / "dangling.bin").c_str(), Nobody, Nobody), 0);
  for (const char* planted : {"dump.bin", "dangling.bin"}) {
    EXPECT_NE(SaveAs((sticky / planted).string()).find("fs.protected_symlinks"), std::string::npos) << planted;
  }
  EXPECT_EQ(FileContents(folder / "system-file"), earlier);
  EXPECT_FALSE(fs::exists(folder / "made-through-a-link"));

  fs::create_symlink(folder / "roots-own", sticky / "roots-link.bin");
  EXPECT_EQ(SaveAs((sticky / "roots-link.bin").string()), "");
  EXPECT_EQ(FileContents(folder / "roots-own"), BufferAsString());
  EXPECT_TRUE(fs::is_symlink(sticky / "roots-link.bin"));
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
  EXPECT_NE(SaveAsOrdinaryUser((sticky / "roots.bin").string()).find("sticky folder"), std::string::npos);
  EXPECT_EQ(FileContents(sticky / "roots.bin"), earlier);

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

// Files that a rename cannot replace are found before the read: append-only, a bind mount.
TEST_F(SaveDumpPermissionsTest, AnAppendOnlyFileAndAMountedFileAreRefusedAndKept) {
  const fs::path appendOnly = folder / "append-only.bin";
  std::ofstream(appendOnly) << earlier;
  const int descriptor = open(appendOnly.c_str(), O_RDONLY);
  int flags = FS_APPEND_FL;
  const bool marked = ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
  if (marked) {
    EXPECT_NE(SaveAs(appendOnly.string()).find("append-only or immutable"), std::string::npos);
    flags = 0;
    ioctl(descriptor, FS_IOC_SETFLAGS, &flags);
    EXPECT_EQ(FileContents(appendOnly), earlier);
  }
  close(descriptor);

  std::ofstream(folder / "volume.bin") << "the volume's";
  std::ofstream(folder / "mounted.bin") << earlier;
  if (mount((folder / "volume.bin").c_str(), (folder / "mounted.bin").c_str(), nullptr, MS_BIND, nullptr) == 0) {
    const std::string message = SaveAs((folder / "mounted.bin").string());
    umount((folder / "mounted.bin").c_str());
    EXPECT_NE(message.find("mounted onto that name"), std::string::npos) << message;
    EXPECT_EQ(FileContents(folder / "volume.bin"), "the volume's");
  }
  if (!marked) GTEST_SKIP() << "this file system keeps no append-only flag";
}

// /dev/fd/N and /proc/self/fd/N are written where the descriptor stands (appended to a log
// opened for appending); /dev/stderr carries the messages and is refused; nothing new is made
// in /dev.
TEST_F(SaveDumpPermissionsTest, TheProcesssOwnDescriptorsAreWrittenWhereTheyStandAndNothingIsMadeInDev) {
  const fs::path log = folder / "log.bin";
  std::ofstream(log) << "HEADER";
  const int appending = open(log.c_str(), O_WRONLY | O_APPEND);
  for (const std::string& name :
       {"/dev/fd/" + std::to_string(appending), "/proc/self/fd/" + std::to_string(appending)}) {
    EXPECT_EQ(SaveAs(name), "") << name;
  }
  close(appending);
  EXPECT_EQ(FileContents(log), "HEADER" + BufferAsString() + BufferAsString());
  EXPECT_EQ(fs::status(log).type(), fs::file_type::regular);

  EXPECT_NE(SaveAs("/dev/stderr").find("it is standard error"), std::string::npos);
  EXPECT_NE(SaveAs("/dev/fd/" + std::to_string(appending)).find("which is not open"), std::string::npos);

  // Standard output is decided on as a named descriptor is (a port cannot be opened without its
  // driver, so the kernel tests show that case).
  const auto saveToStandardOutput = [&](const fs::path& path, int flags) {
    const int saved = dup(STDOUT_FILENO);
    const int opened = open(path.c_str(), flags);
    dup2(opened, STDOUT_FILENO);
    const std::string message = SaveAs("");
    const std::string named = SaveAs("/dev/fd/" + std::to_string(opened));
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(opened);
    return message + "|" + named;
  };
  const std::string readOnly = saveToStandardOutput(log, O_RDONLY);
  EXPECT_NE(readOnly.find("Could not write standard output: descriptor 1 is open for reading only"), std::string::npos)
      << readOnly;
  EXPECT_NE(readOnly.find("is open for reading only", readOnly.find('|')), std::string::npos) << readOnly;
  EXPECT_EQ(FileContents(log), "HEADER" + BufferAsString() + BufferAsString());
  const std::string inDev = "/dev/lpt-tool-test-parport" + std::to_string(getpid());
  EXPECT_NE(SaveAs(inDev).find("where the system keeps its devices"), std::string::npos);
  EXPECT_FALSE(fs::exists(inDev));
}
}  // namespace
