// SPDX-License-Identifier: MIT
// The save's failures once its temporary file exists, made through the file-call seam so that
// both platforms' suites run them: a short write, a full disk, a failing flush, close or rename.
// Whatever fails, the name keeps what it held and nothing is left beside it.
#include "tests/dump/SaveDumpFixture.h"
#include "tests/support/FileContents.h"
#include "tests/support/OsErrors.h"

#include <fstream>

namespace fs = std::filesystem;

namespace {
enum class Failing { ShortWrite, FullDisk, Flush, Close, Rename, ShortWriteThenClose };
Failing failing = Failing::ShortWrite;
constexpr size_t ShortBy = 48;

ssize_t FailingWrite(int descriptor, const void* buffer, size_t count) {
  if (failing == Failing::FullDisk) {
    SetDiskFullError();
    return -1;
  }
  if (failing == Failing::ShortWrite || failing == Failing::ShortWriteThenClose) count -= ShortBy;
  return RealFileCalls().write(descriptor, buffer, count);
}
int FailingFlush(int descriptor) {
  if (failing != Failing::Flush) return RealFileCalls().fsync(descriptor);
  SetDeviceError();
  return -1;
}
int FailingClose(int descriptor) {
  const int result = RealFileCalls().close(descriptor);
  if (failing != Failing::Close && failing != Failing::ShortWriteThenClose) return result;
  SetDeviceError();
  return -1;
}
int FailingRename(int folder, int file, const char* from, const char* to, bool replacing) {
  if (failing != Failing::Rename) return RealFileCalls().rename(folder, file, from, to, replacing);
  SetDeviceError();
  return -1;
}
const FileCalls failingCalls{RealFileCalls().open, FailingWrite, FailingFlush, FailingClose, FailingRename};

class SaveDumpFailuresTest : public SaveDumpTest {
 protected:
  void SetUp() override {
    SaveDumpTest::SetUp();
    previous = InstallFileCalls(&failingCalls);
  }
  void TearDown() override {
    InstallFileCalls(previous);
    SaveDumpTest::TearDown();
  }
  // The names in the scratch folder: nothing beside what the test made.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
  }
  const FileCalls* previous = nullptr;
};

TEST_F(SaveDumpFailuresTest, AShortWriteShowsErrorAndLeavesTheNameAsItWas) {
  failing = Failing::ShortWrite;
  const fs::path existing = folder / "earlier.bin";
  std::ofstream(existing) << std::string(1000, 'x');
  // "ERROR" in the status bar, and the window's box says how much the disk took and why.
  std::string message = SaveAs(existing.string());
  EXPECT_EQ(status.PanelText(), "ERROR");
  EXPECT_NE(message.find("The disk took only "), std::string::npos) << message;
  EXPECT_NE(
      message.find("(a full disk or a file size limit); the existing \"" + existing.string() + "\" is unchanged."),
      std::string::npos)
      << message;
  EXPECT_EQ(FileContents(existing), std::string(1000, 'x'));

  message = SaveAs((folder / "new.bin").string());
  EXPECT_NE(message.find("no file was made."), std::string::npos) << message;
  EXPECT_EQ(Names(), std::vector<std::string>{"earlier.bin"}) << "neither the part nor a temporary file stays";
}

// Never "File Saved" for an image that may not be on the disk, and never a lost earlier dump.
TEST_F(SaveDumpFailuresTest, EveryFailureIsAnErrorThatLeavesTheEarlierFileAndNothingElse) {
  const std::pair<Failing, const char*> cases[] = {{Failing::FullDisk, "Could not write"},
                                                   {Failing::Flush, "Could not flush"},
                                                   {Failing::Close, "Could not close"},
                                                   {Failing::Rename, "Could not replace"},
                                                   {Failing::ShortWriteThenClose, "Could not close"}};
  const fs::path existing = folder / "earlier.bin";
  std::ofstream(existing) << std::string(1000, 'x');
  for (const auto& [failure, words] : cases) {
    failing = failure;
    std::string message = SaveAs(existing.string());
    EXPECT_NE(message.find(words), std::string::npos) << message;
    EXPECT_NE(message.find("The existing \"" + existing.string() + "\" is unchanged."), std::string::npos) << message;
    EXPECT_EQ(FileContents(existing), std::string(1000, 'x')) << words;

    message = SaveAs((folder / "new.bin").string());
    EXPECT_NE(message.find(words), std::string::npos) << message;
    EXPECT_NE(message.find("No file was made."), std::string::npos) << message;
    EXPECT_EQ(Names(), std::vector<std::string>{"earlier.bin"}) << words;
  }
  // The read's text, then "ERROR" from the two short writes whose close failed: never "File Saved".
  EXPECT_EQ(status.texts, (std::vector<std::string>{"Address : 2047, Content : 1", "ERROR", "ERROR"}));
}
}  // namespace
