// The save's failures after the file was created, made through the file-call seam so that both
// platforms' suites run them: a short write, a full disk, a failing flush or close.
#include "tests/dump/SaveDumpFixture.h"
#include "tests/support/FileContents.h"
#include "tests/support/OsErrors.h"

namespace fs = std::filesystem;

namespace {
enum class Failing { ShortWrite, FullDisk, Flush, Close };
Failing failing = Failing::ShortWrite;
constexpr size_t ShortBy = 48;

ssize_t FailingWrite(int descriptor, const void* buffer, size_t count) {
  if (failing == Failing::FullDisk) {
    SetDiskFullError();
    return -1;
  }
  if (failing == Failing::ShortWrite) count -= ShortBy;
  return RealFileCalls().write(descriptor, buffer, count);
}
int FailingFlush(int descriptor) {
  if (failing != Failing::Flush) return RealFileCalls().fsync(descriptor);
  SetDeviceError();
  return -1;
}
int FailingClose(int descriptor) {
  const int result = RealFileCalls().close(descriptor);
  if (failing != Failing::Close) return result;
  SetDeviceError();
  return -1;
}
const FileCalls failingCalls{RealFileCalls().open, FailingWrite, FailingFlush, FailingClose};

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
  const FileCalls* previous = nullptr;
};

TEST_F(SaveDumpFailuresTest, AShortWriteShowsErrorAndKeepsWhatTheDiskTook) {
  failing = Failing::ShortWrite;
  FakeSaveDialog dialog((folder / "short.bin").string());
  EXPECT_EQ(SaveDump(dialog, status), SaveOutcome::ShortWrite);
  EXPECT_EQ(status.PanelText(), "ERROR");
  EXPECT_EQ(FileContents(folder / "short.bin"), BufferAsString().substr(0, DumpBuffer.size() - ShortBy));
}

// Never "File Saved" for an image that may not be on the disk; a file this save created and
// could not write is not left behind empty.
TEST_F(SaveDumpFailuresTest, AFullDiskOrAFailedFlushOrCloseIsAnErrorNeverFileSaved) {
  const std::pair<Failing, const char*> cases[] = {
      {Failing::FullDisk, "Could not write"}, {Failing::Flush, "Could not flush"}, {Failing::Close, "Could not close"}};
  for (const auto& [failure, words] : cases) {
    failing = failure;
    const fs::path target = folder / "flaky.bin";
    const std::string message = SaveAs(target.string());
    EXPECT_NE(message.find(words), std::string::npos) << message;
    EXPECT_EQ(status.PanelText(), "Address : 2047, Content : 1");
    if (failure == Failing::FullDisk) {
      EXPECT_FALSE(fs::exists(target)) << "the empty file stayed";
      EXPECT_NE(message.find("The empty file that this save created was removed."), std::string::npos) << message;
    }
    fs::remove(target);
  }
}
}  // namespace
