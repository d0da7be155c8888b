// The save against Linux's own failures: a full disk, a file size limit, named pipes, port
// devices, standard output; and no descriptor ever leaks. SaveDumpFailuresTest makes the
// failures that Linux cannot be made to give (a failing flush or close) on both platforms.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fstream>

#include "runtime/ProcessSafety.h"
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

TEST_F(SaveDumpPosixTest, AFullDiskRaisesAndLeavesTheTextAlone) {
  const std::string message = SaveAs("/dev/full");
  EXPECT_NE(message.find("Could not write the file \"/dev/full\": No space left on device"), std::string::npos);
  EXPECT_EQ(status.texts.size(), 1u);
}

TEST_F(SaveDumpPosixTest, AShortWriteShowsErrorAndKeepsWhatWasWritten) {
  const fs::path target = folder / "short.bin";
  constexpr rlim_t Limit = 1000;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The kernel stops a write at the file size limit and returns the short count.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{Limit, Limit};
    setrlimit(RLIMIT_FSIZE, &limit);
    FakeStatusBar childStatus;
    FakeSaveDialog dialog(target.string());
    try {
      SaveDump(dialog, childStatus);
    } catch (...) {
      _exit(3);
    }
    if (childStatus.PanelText() != "ERROR") _exit(4);
    // With no room at all under the limit, the write fails, and the message names the limit.
    const rlimit none{0, 0};
    setrlimit(RLIMIT_FSIZE, &none);
    FakeSaveDialog second((target.string() + "2"));
    try {
      SaveDump(second, childStatus);
    } catch (const EInOutError& error) {
      // The file this save created could not take a byte: it does not stay behind, empty.
      const std::string message = error.what();
      const bool named = message.find("file size limit (ulimit -f)") != std::string::npos &&
                         message.find("The empty file that this save created was removed.") != std::string::npos;
      _exit(named && !fs::exists(target.string() + "2") ? 0 : 5);
    }
    _exit(6);
  }
  int result = 0;
  ASSERT_EQ(waitpid(child, &result, 0), child);
  ASSERT_TRUE(WIFEXITED(result));
  EXPECT_EQ(WEXITSTATUS(result), 0) << "3: an error was raised, 4: the status was not ERROR, 5 or 6: no error "
                                       "naming the limit, or the empty file stayed";
  EXPECT_EQ(FileContents(target), BufferAsString().substr(0, Limit));
}

TEST_F(SaveDumpPosixTest, SpecialFilesAreRefusedAtOnceAndStandardOutputKeepsWhatItHolds) {
  const fs::path pipe = folder / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_NE(SaveAs(pipe.string()).find("nothing is reading from this named pipe"), std::string::npos)
      << "a named pipe with no reader must not hang the window";

  // A ppdev device node (major 99): its bytes would come out on the port's data lines.
  const fs::path port = folder / "parport0";
  if (mknod(port.c_str(), S_IFCHR | 0600, makedev(99, 0)) == 0) {
    EXPECT_NE(SaveAs(port.string()).find("it is a parallel port"), std::string::npos);
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

// A Ctrl+C that arrives right after the file was created and emptied.
int OpenThenInterrupt(const char* path, int flags, mode_t mode) {
  const int descriptor = RealFileCalls().open(path, flags, mode);
  std::raise(SIGINT);
  return descriptor;
}

TEST_F(SaveDumpPosixTest, ASignalOnceTheFileIsEmptiedWaitsUntilTheImageIsWritten) {
  const fs::path target = folder / "earlier-dump.bin";
  std::ofstream(target) << std::string(1800, 'x');
  const auto saveInterrupted = [&] {
    PrepareProcess();
    static const FileCalls interrupting{OpenThenInterrupt, RealFileCalls().write, RealFileCalls().fsync,
                                        RealFileCalls().close};
    InstallFileCalls(&interrupting);
    SaveAs(target.string());
    _exit(0);
  };
  EXPECT_EXIT(saveInterrupted(), ::testing::KilledBySignal(SIGINT), "");
  EXPECT_EQ(FileContents(target), BufferAsString());
}
}  // namespace
