#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "dump/DumpBuffer.h"
#include "dump/SaveDump.h"
#include "tests/support/FakeDisplays.h"
#include "tests/support/FileContents.h"
#include "ui/toolkit/UntypedFile.h"

namespace fs = std::filesystem;

namespace {
int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

std::string BufferAsString() { return {DumpBuffer.begin(), DumpBuffer.end()}; }

// A scratch folder, a recognisable DumpBuffer, and a status bar that shows the read's last text.
class SaveDumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("lpt-save-" + std::to_string(getpid()));
    fs::create_directories(folder);
    for (std::size_t i = 0; i < DumpBuffer.size(); ++i) DumpBuffer[i] = static_cast<std::uint8_t>(i * 13 + 1);
    status.SetPanelText("Address : 2047, Content : 1");
    descriptorsBefore = OpenDescriptors();
  }
  void TearDown() override {
    EXPECT_EQ(OpenDescriptors(), descriptorsBefore) << "a descriptor leaked";
    fs::remove_all(folder);
  }
  // Saves under the name and returns the error message, or "" when none was raised.
  std::string SaveAs(const std::string& name) {
    FakeSaveDialog dialog(name);
    try {
      SaveDump(dialog, status);
    } catch (const EInOutError& error) {
      return error.what();
    }
    return "";
  }
  fs::path folder;
  FakeStatusBar status;
  int descriptorsBefore = 0;
};

TEST_F(SaveDumpTest, SavesExactlyTheBufferAndReplacesALongerFile) {
  const fs::path target = folder / "dump.bin";
  std::ofstream(target) << std::string(5000, 'x');
  const EepromImage before = DumpBuffer;
  EXPECT_EQ(SaveAs(target.string()), "");
  EXPECT_EQ(status.PanelText(), "File Saved");
  EXPECT_EQ(FileContents(target), BufferAsString());
  EXPECT_EQ(DumpBuffer, before);
}

TEST_F(SaveDumpTest, CancelWritesNothingAndKeepsTheText) {
  FakeSaveDialog dialog(std::nullopt);
  SaveDump(dialog, status);
  EXPECT_EQ(dialog.executions, 1);
  EXPECT_EQ(status.PanelText(), "Address : 2047, Content : 1");
  EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(SaveDumpTest, CreateFailuresRaiseTheOsErrorAndMakeNoFile) {
  const std::string missing = SaveAs((folder / "no-such-folder" / "dump.bin").string());
  EXPECT_NE(missing.find("Could not create the file \"" + (folder / "no-such-folder" / "dump.bin").string()),
            std::string::npos);
  EXPECT_NE(missing.find("No such file or directory"), std::string::npos);
  EXPECT_NE(SaveAs(folder.string()).find("Is a directory"), std::string::npos);
  EXPECT_EQ(status.texts.size(), 1u) << "the status text must not change";
  EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(SaveDumpTest, AFullDiskRaisesAndLeavesTheTextAlone) {
  const std::string message = SaveAs("/dev/full");
  EXPECT_NE(message.find("Could not write the file \"/dev/full\": No space left on device"), std::string::npos);
  EXPECT_EQ(status.texts.size(), 1u);
}

TEST_F(SaveDumpTest, AShortWriteShowsErrorAndKeepsWhatWasWritten) {
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
      _exit(std::string(error.what()).find("file size limit (ulimit -f)") != std::string::npos ? 0 : 5);
    }
    _exit(6);
  }
  int result = 0;
  ASSERT_EQ(waitpid(child, &result, 0), child);
  ASSERT_TRUE(WIFEXITED(result));
  EXPECT_EQ(WEXITSTATUS(result), 0) << "3: an error was raised, 4: the status was not ERROR, 5 or 6: no error "
                                       "naming the limit";
  EXPECT_EQ(FileContents(target), BufferAsString().substr(0, Limit));
}

TEST_F(SaveDumpTest, SpecialFilesAreRefusedAtOnceAndStandardOutputKeepsWhatItHolds) {
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

// The file layer with one call made to fail.
int failingCall = 0;  // 1: fsync, 2: close
int FailingFsync(int fd) {
  if (failingCall != 1) return RealFileCalls().fsync(fd);
  errno = EIO;
  return -1;
}
int FailingClose(int fd) {
  RealFileCalls().close(fd);
  if (failingCall != 2) return 0;
  errno = EIO;
  return -1;
}

TEST_F(SaveDumpTest, AFailedFlushOrCloseIsAnErrorNeverFileSaved) {
  const FileCalls failing{RealFileCalls().open, RealFileCalls().write, FailingFsync, FailingClose};
  const FileCalls* previous = InstallFileCalls(&failing);
  for (int call : {1, 2}) {
    failingCall = call;
    const std::string message = SaveAs((folder / "flaky.bin").string());
    EXPECT_NE(message.find(call == 1 ? "Could not flush" : "Could not close"), std::string::npos) << message;
    EXPECT_NE(message.find("Input/output error"), std::string::npos);
    EXPECT_EQ(status.PanelText(), "Address : 2047, Content : 1");
  }
  InstallFileCalls(previous);
}
}  // namespace
