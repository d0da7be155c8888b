#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
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
    _exit(childStatus.PanelText() == "ERROR" ? 0 : 4);
  }
  int result = 0;
  ASSERT_EQ(waitpid(child, &result, 0), child);
  ASSERT_TRUE(WIFEXITED(result));
  EXPECT_EQ(WEXITSTATUS(result), 0) << "3: an error was raised, 4: the status was not ERROR";
  EXPECT_EQ(FileContents(target), BufferAsString().substr(0, Limit));
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
