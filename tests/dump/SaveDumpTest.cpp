// The save on every platform: the file's content, replacing, cancelling, a name that cannot be
// created.
#include "tests/dump/SaveDumpFixture.h"
#include "tests/support/FileContents.h"

#include <fstream>

namespace fs = std::filesystem;

namespace {
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
  const fs::path missing = folder / "no-such-folder" / "dump.bin";
  EXPECT_NE(SaveAs(missing.string()).find("Could not create the file \"" + missing.string()), std::string::npos);
  EXPECT_NE(SaveAs(folder.string()), "") << "a folder as the name";
  EXPECT_EQ(status.texts.size(), 1u) << "the status text must not change";
  EXPECT_TRUE(fs::is_empty(folder));
}
}  // namespace
