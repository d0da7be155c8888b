// SPDX-License-Identifier: MIT
// The save against Linux's own failures and names that are no files: a file size limit,
// devices, sockets, /proc, named pipes, standard output, links, a signal or a kill mid-save; and
// no descriptor ever leaks. SaveDumpFailuresTest makes the failures that Linux cannot be made to
// give (a failing flush, close or rename) on both platforms.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>

#include "runtime/EndingSignals.h"
#include "runtime/ProcessEnd.h"
#include "tests/dump/SaveDumpFixture.h"
#include "tests/support/FileContents.h"

namespace fs = std::filesystem;

namespace {
int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

class SaveDumpPosixTest : public SaveDumpTest {
 protected:
  void SetUp() override {
    SaveDumpTest::SetUp();
    descriptorsBefore = OpenDescriptors();
  }
  void TearDown() override {
    EXPECT_EQ(OpenDescriptors(), descriptorsBefore) << "a descriptor leaked";
    SaveDumpTest::TearDown();
  }
  int descriptorsBefore = 0;
};

TEST_F(SaveDumpPosixTest, AFolderAsTheNameIsNamedAsSuch) {
  EXPECT_NE(SaveAs(folder.string()).find("names a folder, not a file"), std::string::npos);
}

// Names that reach no file to keep an image in: refused before anything is written.
TEST_F(SaveDumpPosixTest, DevicesSocketsAndKernelFilesAreRefusedAndLeftUntouched) {
  const fs::path link = folder / "null-link";
  fs::create_symlink("/dev/null", link);
  const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = (folder / "socket").string();
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
  ASSERT_EQ(bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  // Another process's open file, deleted since: its /proc link names no file that a folder holds.
  const int deleted = open((folder / "x.bin").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  fs::remove(folder / "x.bin");
  int hold[2];
  ASSERT_EQ(pipe(hold), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    char end;
    close(hold[1]);
    (void)!read(hold[0], &end, 1);
    _exit(0);
  }
  const std::pair<std::string, const char*> cases[] = {
      {"/proc/" + std::to_string(holder) + "/fd/" + std::to_string(deleted), "/proc or /sys"},
      {"/dev/null", "a character device"},
      {"/dev/zero", "a character device"},
      {"/dev/full", "a character device"},
      {link.string(), "a character device"},
      {socketPath, "a socket"},
      {"/proc/self/comm", "/proc or /sys"},
      {"/sys/kernel/new-file.bin", "/proc or /sys"}};
  for (const auto& [name, words] : cases) {
    EXPECT_NE(SaveAs(name).find(words), std::string::npos) << name;
  }
  close(socket);
  for (const int end : {hold[0], hold[1], deleted}) close(end);
  waitpid(holder, nullptr, 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2) << "the link and the socket";
  // A block device: the image would overwrite a disk's first sectors (its partition table).
  const fs::path disk = folder / "loop";
  if (mknod(disk.c_str(), S_IFBLK | 0600, makedev(7, 0)) == 0) {
    EXPECT_NE(SaveAs(disk.string()).find("a block device"), std::string::npos);
  } else {
    std::cout << "[ NOTE     ] no block device node could be made (not root): that case was skipped\n";
  }
  EXPECT_EQ(status.texts.size(), 1u);
  EXPECT_TRUE(fs::is_symlink(link));
}

// Under a file size limit the disk takes part of the image: "ERROR", and the name keeps what it
// held. With no room at all, the write fails with an error naming the limit.
TEST_F(SaveDumpPosixTest, AFileSizeLimitNeverCostsTheEarlierDumpNorLeavesAPart) {
  const fs::path existing = folder / "earlier.bin";
  std::ofstream(existing) << std::string(1000, 'x');
  const fs::path link = folder / "link.bin";  // a link whose file does not exist yet
  fs::create_symlink("linked.bin", link);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1024, 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    FakeStatusBar childStatus;
    FakeSaveDialog dialog(existing.string());
    try {
      SaveDump(dialog, childStatus);
      _exit(3);
    } catch (const EInOutError& error) {
      if (std::string(error.what()).find("took only 1024 of the 2048 bytes") == std::string::npos ||
          childStatus.PanelText() != "ERROR")
        _exit(3);
    }
    const rlimit none{0, 0};
    setrlimit(RLIMIT_FSIZE, &none);
    FakeSaveDialog second(link.string());
    try {
      SaveDump(second, childStatus);
    } catch (const EInOutError& error) {
      const std::string message = error.what();
      _exit(message.find("file size limit (ulimit -f)") != std::string::npos &&
                    message.find("No file was made.") != std::string::npos
                ? 0
                : 4);
    }
    _exit(5);
  }
  int result = 0;
  ASSERT_EQ(waitpid(child, &result, 0), child);
  ASSERT_TRUE(WIFEXITED(result));
  EXPECT_EQ(WEXITSTATUS(result), 0) << "3: not ERROR; 4, 5: no error naming the limit";
  EXPECT_EQ(FileContents(existing), std::string(1000, 'x'));
  EXPECT_TRUE(fs::is_symlink(link)) << "the user's link must stay";
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2) << "a part or a temporary file";
}

// A link stays a link and its file gets the image, and a message names the folder it leads to; a
// replaced file keeps its permission bits, but for setuid and setgid.
TEST_F(SaveDumpPosixTest, ALinkStaysALinkAndAReplacedFileKeepsItsPermissions) {
  fs::create_directory(folder / "dumps");
  const fs::path link = folder / "link.bin";
  fs::create_symlink("dumps/chip.bin", link);
  EXPECT_EQ(SaveAs(link.string()), "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(FileContents(folder / "dumps" / "chip.bin"), BufferAsString());
  // A link into a folder that does not exist: the folder is named as the link leads to it.
  fs::create_symlink("missing/chip.bin", folder / "dangling.bin");
  const std::string message = SaveAs((folder / "dangling.bin").string());
  EXPECT_NE(message.find("the folder \"" + (folder / "missing").string() + "\" does not exist"), std::string::npos)
      << message;

  const fs::path existing = folder / "private.bin";
  std::ofstream(existing) << "old";
  chmod(existing.c_str(), 06640);  // setuid and setgid: an image is no program, they are not kept
  const fs::path other = folder / "other-name.bin";
  fs::create_hard_link(existing, other);
  EXPECT_EQ(SaveAs(existing.string()), "");
  struct stat status {};
  ASSERT_EQ(stat(existing.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  EXPECT_EQ(FileContents(existing), BufferAsString());
  EXPECT_EQ(FileContents(other), "old") << "another hard link keeps the old content";
}

TEST_F(SaveDumpPosixTest, ANamedPipeWithoutAReaderFailsAtOnceAndStandardOutputKeepsWhatItHolds) {
  const fs::path pipe = folder / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_NE(SaveAs(pipe.string()).find("nothing is reading from this named pipe"), std::string::npos)
      << "a named pipe with no reader must not hang the window";

  // A ppdev device node (major 99) and the printer driver's (major 6): bytes written there would
  // come out on the port's data lines.
  for (const unsigned major : {99u, 6u}) {
    const fs::path port = folder / ("port" + std::to_string(major));
    if (mknod(port.c_str(), S_IFCHR | 0600, makedev(major, 0)) == 0) {
      EXPECT_NE(SaveAs(port.string()).find("it is a parallel port"), std::string::npos) << major;
    } else {
      std::cout << "[ NOTE     ] no port device node could be made (not root): that case was skipped\n";
    }
  }
  EXPECT_EQ(status.texts.size(), 1u);

  // Standard output is written where it stands: what it already holds stays.
  const fs::path target = folder / "stdout.bin";
  std::ofstream(target) << "header\n";
  const int saved = dup(STDOUT_FILENO);
  const int file = open(target.c_str(), O_WRONLY | O_APPEND);
  dup2(file, STDOUT_FILENO);
  close(file);
  const std::string message = SaveAs("");
  dup2(saved, STDOUT_FILENO);
  close(saved);
  EXPECT_EQ(message, "");
  EXPECT_EQ(FileContents(target), "header\n" + BufferAsString());
}

// A Ctrl+C that arrives while the temporary file is being made.
int OpenThenInterrupt(int folder, const char* name, int flags, mode_t mode) {
  const int descriptor = RealFileCalls().open(folder, name, flags, mode);
  std::raise(SIGINT);
  return descriptor;
}

// A SIGKILL, which nothing can catch, in the middle of writing the image (a slow disk).
ssize_t WriteHalfThenDie(int descriptor, const void* buffer, size_t count) {
  RealFileCalls().write(descriptor, buffer, count / 2);
  kill(getpid(), SIGKILL);
  return -1;
}

// Ctrl+C while the image is written (a slow disk) or just after the rename: the save is given up
// with the name unchanged, or "File Saved" is said, and only then does the program end with the
// signal; never a silent replace. The caller holds the end while it reports, as lpt-dump does.
ssize_t WriteThenInterrupt(int descriptor, const void* buffer, size_t count) {
  const ssize_t written = RealFileCalls().write(descriptor, buffer, count);
  std::raise(SIGINT);
  return written;
}
int RenameThenInterrupt(int folder, int file, const char* from, const char* to, bool replacing) {
  const int result = RealFileCalls().rename(folder, file, from, to, replacing);
  std::raise(SIGINT);
  return result;
}

TEST_F(SaveDumpPosixTest, ASignalBeforeTheRenameGivesTheSaveUpAndOneAfterItLetsFileSavedBeSaid) {
  const fs::path target = folder / "earlier-dump.bin";
  std::ofstream(target) << std::string(1800, 'x');
  const auto saveReporting = [&](const FileCalls& calls) {
    PrepareProcess();
    InstallFileCalls(&calls);
    {
      const SaveHoldsTheEnd reporting;
      const std::string error = SaveAs(target.string());
      std::cerr << (error.empty() ? status.PanelText() : error) << std::endl;
    }
    _exit(0);
  };
  static const FileCalls duringTheWrite{RealFileCalls().open, WriteThenInterrupt, RealFileCalls().fsync,
                                        RealFileCalls().close, RealFileCalls().rename};
  EXPECT_EXIT(saveReporting(duringTheWrite), ::testing::KilledBySignal(SIGINT),
              "asked to end .* so the save was given up.* The existing .* is unchanged");
  EXPECT_EQ(FileContents(target), std::string(1800, 'x'));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << "the temporary file stayed";

  static const FileCalls afterTheRename{RealFileCalls().open, RealFileCalls().write, RealFileCalls().fsync,
                                        RealFileCalls().close, RenameThenInterrupt};
  EXPECT_EXIT(saveReporting(afterTheRename), ::testing::KilledBySignal(SIGINT), "^File Saved\n$");
  EXPECT_EQ(FileContents(target), BufferAsString());
}

// The temporary name the image has on its way is valid wherever the name is: not cut inside a
// character, within one name's limit and the whole path's.
std::vector<std::string> renamedNames;
int RecordingRename(int folder, int file, const char* from, const char* to, bool replacing) {
  renamedNames.emplace_back(from);
  return RealFileCalls().rename(folder, file, from, to, replacing);
}
bool ValidUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t j = 1; j < length; ++j) {
      if ((static_cast<unsigned char>(text[i + j]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

TEST_F(SaveDumpPosixTest, LongAndMultibyteNamesGetATemporaryNameThatIsValidWhereTheyAre) {
  static const FileCalls recording{RealFileCalls().open, RealFileCalls().write, RealFileCalls().fsync,
                                   RealFileCalls().close, RecordingRename};
  const FileCalls* previous = InstallFileCalls(&recording);
  std::string euros;
  for (int i = 0; i < 70; ++i) euros += "\u20AC";  // 214 bytes with ".bin": fine on exFAT and NTFS
  std::string cutEuros = "x";                      // 245 bytes: its temporary name is cut, inside a euro sign's bytes
  for (int i = 0; i < 80; ++i) cutEuros += "\u20AC";
  fs::path deep = folder;
  while (deep.string().size() < 3900) deep /= std::string(200, 'd');
  fs::create_directories(deep);
  const std::string longPath = (deep / std::string(4091 - deep.string().size() - 1, 'n')).string();
  for (const std::string& name : {(folder / (euros + ".bin")).string(), (folder / (cutEuros + ".bin")).string(),
                                  (folder / std::string(255, 'x')).string(), longPath}) {
    renamedNames.clear();
    EXPECT_EQ(SaveAs(name), "") << name.size() << " bytes";
    EXPECT_EQ(FileContents(name), BufferAsString());
    ASSERT_EQ(renamedNames.size(), 1u);
    const std::string& temporary = renamedNames[0];
    EXPECT_NE(temporary.find(".lpt-tool-swap-"), std::string::npos) << temporary;
    EXPECT_TRUE(ValidUtf8(temporary)) << temporary;
    EXPECT_LE(temporary.size(), 255u);
  }
  InstallFileCalls(previous);
}

// The order that makes a save last through a power cut: the image written and flushed, the file
// closed, renamed over the name, and then the folder flushed, so that the rename is on the disk.
std::vector<std::string> calls;
int NotedOpen(int folder, const char* name, int flags, mode_t mode) {
  const int descriptor = RealFileCalls().open(folder, name, flags, mode);
  const bool opensFolder = (flags & O_TMPFILE) == O_DIRECTORY;  // O_TMPFILE holds O_DIRECTORY's bit
  calls.push_back((opensFolder ? "open folder " : "open file ") + std::to_string(descriptor));
  return descriptor;
}
ssize_t NotedWrite(int descriptor, const void* buffer, size_t count) {
  calls.push_back("write " + std::to_string(descriptor));
  return RealFileCalls().write(descriptor, buffer, count);
}
int NotedFsync(int descriptor) {
  calls.push_back("fsync " + std::to_string(descriptor));
  return RealFileCalls().fsync(descriptor);
}
int NotedClose(int descriptor) {
  calls.push_back("close " + std::to_string(descriptor));
  return RealFileCalls().close(descriptor);
}
int NotedRename(int folder, int file, const char* from, const char* to, bool replacing) {
  calls.push_back("rename");
  return RealFileCalls().rename(folder, file, from, to, replacing);
}

TEST_F(SaveDumpPosixTest, TheImageIsFlushedBeforeTheRenameAndTheFolderAfterIt) {
  static const FileCalls noting{NotedOpen, NotedWrite, NotedFsync, NotedClose, NotedRename};
  const FileCalls* previous = InstallFileCalls(&noting);
  calls.clear();
  EXPECT_EQ(SaveAs((folder / "dump.bin").string()), "");
  InstallFileCalls(previous);
  ASSERT_EQ(calls.size(), 8u);
  const std::string file = calls[0].substr(calls[0].rfind(' ') + 1);
  const std::string folderDescriptor = calls[5].substr(calls[5].rfind(' ') + 1);
  EXPECT_EQ(calls, (std::vector<std::string>{"open file " + file, "write " + file, "fsync " + file, "close " + file,
                                             "rename", "open folder " + folderDescriptor, "fsync " + folderDescriptor,
                                             "close " + folderDescriptor}));
}

TEST_F(SaveDumpPosixTest, ASignalOrAKillDuringTheSaveLeavesTheEarlierDump) {
  const fs::path target = folder / "earlier-dump.bin";
  std::ofstream(target) << std::string(1800, 'x');
  const auto saveInterrupted = [&] {
    PrepareProcess();
    static const FileCalls interrupting{OpenThenInterrupt, RealFileCalls().write, RealFileCalls().fsync,
                                        RealFileCalls().close, RealFileCalls().rename};
    InstallFileCalls(&interrupting);
    SaveAs(target.string());
    _exit(0);
  };
  EXPECT_EXIT(saveInterrupted(), ::testing::KilledBySignal(SIGINT), "");
  EXPECT_EQ(FileContents(target), std::string(1800, 'x'));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << "the temporary file stayed";

  const auto saveKilled = [&] {
    static const FileCalls killing{RealFileCalls().open, WriteHalfThenDie, RealFileCalls().fsync, RealFileCalls().close,
                                   RealFileCalls().rename};
    InstallFileCalls(&killing);
    SaveAs(target.string());
    _exit(0);
  };
  EXPECT_EXIT(saveKilled(), ::testing::KilledBySignal(SIGKILL), "");
  EXPECT_EQ(FileContents(target), std::string(1800, 'x'));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
      << "a kill during the write left a file behind: the image's file has no name until it is complete";
}

// A file system that makes no unnamed files (FUSE, network drives; older kernels say EISDIR or
// EINVAL) gets a named temporary file instead, and the save goes on as ever.
int refusedUnnamed = 0;
int OpenWithoutUnnamedFiles(int folder, const char* name, int flags, mode_t mode) {
  if ((flags & O_TMPFILE) == O_TMPFILE) return errno = refusedUnnamed, -1;
  return RealFileCalls().open(folder, name, flags, mode);
}

TEST_F(SaveDumpPosixTest, WithoutUnnamedFilesANamedTemporaryFileTakesTheirPlace) {
  static const FileCalls withoutUnnamed{OpenWithoutUnnamedFiles, RealFileCalls().write, RealFileCalls().fsync,
                                        RealFileCalls().close, RecordingRename};
  const FileCalls* previous = InstallFileCalls(&withoutUnnamed);
  std::ofstream(folder / "old.bin") << "earlier";
  for (const int error : {EOPNOTSUPP, EISDIR, EINVAL}) {
    refusedUnnamed = error;
    for (const char* name : {"old.bin", "new.bin"}) {
      renamedNames.clear();
      EXPECT_EQ(SaveAs((folder / name).string()), "") << name << " " << std::strerror(error);
      EXPECT_EQ(FileContents(folder / name), BufferAsString());
      ASSERT_EQ(renamedNames.size(), 1u);
      EXPECT_NE(renamedNames[0].find(".lpt-tool-unfinished-"), std::string::npos) << renamedNames[0];
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
    fs::remove(folder / "new.bin");
  }
  InstallFileCalls(previous);
}

// Another program acting in the very instant of the step that gives the image the name (or a kill
// then): what the step did is judged from the files the save holds, never from which names exist,
// so no file the save did not make is removed, nothing is said unchanged that was changed, and a
// kill leaves the name a whole file, with the other one beside it as NAME.lpt-tool-swap-XXXXXX.
std::function<void(const char*temporary)> beforeTheStep, afterTheStep;
int RenameAmidOthers(int folder, int file, const char* from, const char* to, bool replacing) {
  if (beforeTheStep) beforeTheStep(from);
  const int result = RealFileCalls().rename(folder, file, from, to, replacing);
  if (afterTheStep) afterTheStep(from);
  return result;
}

// The files in the folder and what each holds: "image" for the save's, "swap" for the name
// NAME.lpt-tool-swap-XXXXXX.
std::map<std::string, std::string> FilesIn(const fs::path& folder, const std::string& image) {
  std::map<std::string, std::string> found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string file = entry.path().filename().string();
    const std::string content = FileContents(entry.path());
    found[file.find(".lpt-tool-swap-") == std::string::npos ? file : "swap"] = content == image ? "image" : content;
  }
  return found;
}

TEST_F(SaveDumpPosixTest, WhatAnotherProgramDoesInTheInstantOfTheStepIsNeverUndoneOverItsHead) {
  const auto FilesFound = [&] { return FilesIn(folder, BufferAsString()); };
  const auto put = [&](const char* content, const fs::path& at) {
    std::ofstream(folder / "put.tmp") << content;
    fs::rename(folder / "put.tmp", at);
  };
  const auto exchangeIn = [&](const char* content) {
    std::ofstream(folder / "theirs.swap") << content;
    renameat2(AT_FDCWD, (folder / "theirs.swap").c_str(), AT_FDCWD, (folder / "out.bin").c_str(), RENAME_EXCHANGE);
  };
  const std::string image = "image";  // the save's image, as the files found are shown
  constexpr const char* met = "another program changed the name in the very instant the image took its place";
  constexpr const char* changed = "the name no longer leads to the folder and file it led to";
  struct Instant {
    const char* what;
    const char* name;
    std::function<void(const char*)> before, after;
    const char* words;                        // "" for a save that succeeds
    std::map<std::string, std::string> left;  // every file in the folder; "swap" for NAME.lpt-tool-swap-*
  };
  const Instant instants[] = {
      {"nothing", "out.bin", nullptr, nullptr, "", {{"out.bin", image}}},
      {"nothing, for a new name", "new.bin", nullptr, nullptr, "", {{"out.bin", "earlier"}, {"new.bin", image}}},
      {"the image moved away right after the exchange",
       "out.bin",
       nullptr,
       [&](const char*) { fs::rename(folder / "out.bin", folder / "moved.bin"); },
       met,
       {{"moved.bin", image}, {"swap", "earlier"}}},
      {"a file moved onto the name right after the exchange",
       "out.bin",
       nullptr,
       [&](const char*) { put("theirs", folder / "out.bin"); },
       met,
       {{"out.bin", "theirs"}, {"swap", "earlier"}}},
      {"another save's exchange just before",
       "out.bin",
       [&](const char*) { exchangeIn("theirs"); },
       nullptr,
       changed,
       {{"out.bin", "theirs"}, {"theirs.swap", "earlier"}}},
      {"another save's exchange just after",
       "out.bin",
       nullptr,
       [&](const char*) { exchangeIn("theirs"); },
       met,
       {{"out.bin", "theirs"}, {"theirs.swap", image}, {"swap", "earlier"}}},
      {"a file put at the freed name after a new name",
       "new.bin",
       nullptr,
       [&](const char* temporary) { put("theirs", folder / temporary); },
       "",
       {{"out.bin", "earlier"}, {"new.bin", image}, {"swap", "theirs"}}},
  };
  static const FileCalls amid{RealFileCalls().open, RealFileCalls().write, RealFileCalls().fsync, RealFileCalls().close,
                              RenameAmidOthers};
  const FileCalls* previous = InstallFileCalls(&amid);
  for (const auto& [what, name, before, after, words, left] : instants) {
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove(entry.path());
    std::ofstream(folder / "out.bin") << "earlier";
    beforeTheStep = before;
    afterTheStep = after;
    const std::string message = SaveAs((folder / name).string());
    if (*words == '\0') {
      EXPECT_EQ(message, "") << what;
    } else {
      EXPECT_NE(message.find(words), std::string::npos) << what << ": " << message;
    }
    const std::map<std::string, std::string> found = FilesFound();
    EXPECT_EQ(found, left) << what;
    // Where the save stopped, its message says what each name holds now.
    if (*words != '\0' && left.count("swap") != 0) {
      EXPECT_NE(message.find(" the file the name held before."), std::string::npos) << what << ": " << message;
    }
  }
  beforeTheStep = afterTheStep = nullptr;
  InstallFileCalls(previous);

  // A kill in that instant: the name holds a whole file, and the swap file the other one.
  for (const bool afterIt : {false, true}) {
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove(entry.path());
    std::ofstream(folder / "out.bin") << "earlier";
    const auto saveKilled = [&] {
      static const FileCalls killing{RealFileCalls().open, RealFileCalls().write, RealFileCalls().fsync,
                                     RealFileCalls().close, RenameAmidOthers};
      (afterIt ? afterTheStep : beforeTheStep) = [](const char*) { kill(getpid(), SIGKILL); };
      InstallFileCalls(&killing);
      SaveAs((folder / "out.bin").string());
      _exit(0);
    };
    EXPECT_EXIT(saveKilled(), ::testing::KilledBySignal(SIGKILL), "");
    const std::map<std::string, std::string> found = FilesFound();
    EXPECT_EQ(found, (std::map<std::string, std::string>{{"out.bin", afterIt ? image : "earlier"},
                                                         {"swap", afterIt ? "earlier" : image}}));
  }
}
}  // namespace
