// The save on every platform: the file's content, replacing, cancelling, a name that cannot be
// created.
#include "tests/dump/SaveDumpFixture.h"
#include "tests/support/FileContents.h"

#include <fstream>
#include <type_traits>
#include <vector>

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

// A long name of four-byte characters gets a temporary name cut where a character starts: never
// inside one's UTF-8 bytes (Linux), never between the two halves of a UTF-16 pair (Windows).
std::vector<std::string> openedNames;
int RecordingOpen(int folder, const char* name, int flags, mode_t mode) {
  openedNames.emplace_back(name);
  return RealFileCalls().open(folder, name, flags, mode);
}

TEST_F(SaveDumpTest, ALongNameOfFourByteCharactersGetsATemporaryNameCutBetweenCharacters) {
  constexpr bool utf16Names = std::is_same_v<fs::path::value_type, wchar_t>;
  std::string base = "x";
  for (int i = 0; i < (utf16Names ? 120 : 57); ++i) base += "\U0001F4BE";  // a floppy disk, 4 bytes, 2 UTF-16 units
  base += ".bin";
  static const FileCalls recording{RecordingOpen, RealFileCalls().write, RealFileCalls().fsync, RealFileCalls().close,
                                   RealFileCalls().rename};
  const FileCalls* previous = InstallFileCalls(&recording);
  openedNames.clear();
  EXPECT_EQ(SaveAs(folder.string() + "/" + base), "");
  InstallFileCalls(previous);
  ASSERT_FALSE(openedNames.empty());
  const std::string temporary = openedNames[0].substr(openedNames[0].find_last_of("\\/") + 1);
  const std::size_t kept = temporary.find(".lpt-tool-unfinished-");
  ASSERT_NE(kept, std::string::npos) << temporary;
  EXPECT_LT(kept, base.size()) << "the name needs a cut";
  EXPECT_EQ((kept - 1) % 4, 0u) << "cut inside a character: " << temporary;
}
}  // namespace
