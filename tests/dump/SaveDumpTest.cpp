// SPDX-License-Identifier: MIT
// The save on every platform: the file's content, replacing, cancelling, a name that cannot be
// created, a name that leads elsewhere by the time the image is ready.
#include "tests/dump/SaveDumpFixture.h"
#include "tests/support/FileContents.h"

#include <fstream>
#include <functional>
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
  const fs::path missing = folder / "no-such-folder{}" / "dump.bin";  // {} as the message's texts hold it
  const std::string message = SaveAs(missing.string());
  EXPECT_NE(message.find("Could not create the file \"" + missing.string()), std::string::npos) << message;
  EXPECT_NE(message.find("no-such-folder{}\" does not exist. Choose"), std::string::npos) << message;
  EXPECT_NE(SaveAs(folder.string()), "") << "a folder as the name";
  EXPECT_EQ(status.texts.size(), 1u) << "the status text must not change";
  EXPECT_TRUE(fs::is_empty(folder));
}

// A long name of four-byte characters gets a temporary name cut where a character starts: never
// inside one's UTF-8 bytes (Linux), never between the two halves of a UTF-16 pair (Windows).
std::vector<std::string> temporaryNames;
int RecordingOpen(int folder, const char* name, int flags, mode_t mode) {
  if (std::string(name).find(".lpt-tool-") != std::string::npos) temporaryNames.emplace_back(name);
  return RealFileCalls().open(folder, name, flags, mode);
}
int RecordingRename(int folder, int file, const char* from, const char* to, bool replacing) {
  temporaryNames.emplace_back(from);
  return RealFileCalls().rename(folder, file, from, to, replacing);
}

TEST_F(SaveDumpTest, ALongNameOfFourByteCharactersGetsATemporaryNameCutBetweenCharacters) {
  constexpr bool utf16Names = std::is_same_v<fs::path::value_type, wchar_t>;
  std::string base = "x";
  for (int i = 0; i < (utf16Names ? 120 : 59); ++i) base += "\U0001F4BE";  // a floppy disk, 4 bytes, 2 UTF-16 units
  base += ".bin";
  static const FileCalls recording{RecordingOpen, RealFileCalls().write, RealFileCalls().fsync, RealFileCalls().close,
                                   RecordingRename};
  const FileCalls* previous = InstallFileCalls(&recording);
  temporaryNames.clear();
  const std::string message = SaveAs(folder.string() + "/" + base);
  // Wine keeps Windows' names on the host's file system, which holds no name over 255 bytes.
  if (!utf16Names) {
    EXPECT_EQ(message, "");
  }
  InstallFileCalls(previous);
  ASSERT_FALSE(temporaryNames.empty());
  const std::string temporary = temporaryNames[0].substr(temporaryNames[0].find_last_of("\\/") + 1);
  const std::size_t kept = temporary.find(".lpt-tool-");
  ASSERT_NE(kept, std::string::npos) << temporary;
  EXPECT_LT(kept, base.size()) << "the name needs a cut";
  EXPECT_EQ((kept - 1) % 4, 0u) << "cut inside a character: " << temporary;
}

// What the save decided on before the read is what it acts on, and nothing of the save has a name
// during the read: when the name leads elsewhere by the time the image is ready (its folder
// swapped for a link to another, moved away and made anew, or a file put at the name), or in the
// very instant of the step that gives the image the name, the save stops, the file there is
// untouched, nothing is left in the folder that was opened, and the message says why.
std::function<void()> atTheStep;
int RenameAfterAChange(int folder, int file, const char* from, const char* to, bool replacing) {
  if (atTheStep) atTheStep();
  return RealFileCalls().rename(folder, file, from, to, replacing);
}

TEST_F(SaveDumpTest, ANameThatLeadsElsewhereWhenTheImageIsReadyStopsTheSave) {
  const fs::path dumps = folder / "dumps";
  const fs::path moved = folder / "dumps.old";
  const fs::path other = folder / "other";
  const auto moveAndRemake = [&] {
    fs::rename(dumps, moved);
    fs::create_directory(dumps);
    std::ofstream(dumps / "out.bin") << "other";
  };
  const auto fileAt = [&](const char* name) {
    return [&dumps, name] {
      std::ofstream(dumps / "put.tmp") << "other";
      fs::rename(dumps / "put.tmp", dumps / name);
    };
  };
  constexpr const char* changed = "the name no longer leads to the folder and file it led to";
  struct Change {
    const char* change;
    const char* name;
    bool atTheStep;
    std::function<void()> make;
    const char* words;
    bool otherAtTheName;  // the name holds another program's file afterwards
  };
  const Change changes[] = {
#ifndef _WIN32
      {"the folder swapped for a link to another", "out.bin", false,
       [&] {
         fs::rename(dumps, moved);
         fs::create_directory_symlink(other, dumps);
       },
       changed, false},
      // Linux exchanges the two files and checks the step afterwards; Windows' rename cannot.
      {"a file moved onto the name at the step", "out.bin", true, fileAt("out.bin"), changed, true},
      // The decided file is held open, so a new file cannot take its identity. (Windows keeps a
      // removed file's name while the save holds the file: no other file can be made there.)
      {"the file removed and another made at its name", "out.bin", false,
       [&] {
         fs::remove(dumps / "out.bin");
         std::ofstream(dumps / "out.bin") << "other";
       },
       changed, true},
#endif
      {"the folder moved and a new one made", "out.bin", false, moveAndRemake, changed, false},
      {"the folder moved and a new one made, for a new name", "new.bin", false, moveAndRemake, changed, false},
      {"a file put at the new name", "new.bin", false, fileAt("new.bin"), "another file took the name", true},
      {"a file put at the new name at the step", "new.bin", true, fileAt("new.bin"), "another file took the name",
       true},
  };
  static const FileCalls changing{RealFileCalls().open, RealFileCalls().write, RealFileCalls().fsync,
                                  RealFileCalls().close, RenameAfterAChange};
  const FileCalls* previous = InstallFileCalls(&changing);
  for (const auto& [change, name, duringTheStep, make, words, otherAtTheName] : changes) {
    for (const fs::path& made : {dumps, moved, other}) fs::remove_all(made);
    fs::create_directory(dumps);
    fs::create_directory(other);
    std::ofstream(dumps / "out.bin") << "earlier";
    std::ofstream(other / "out.bin") << "other";
    TFile file;
    AssignFile(file, (dumps / name).string());
    Rewrite(file, 1);  // as lpt-dump does, before the read
    ASSERT_EQ(file.ioResult, 0) << change;
    // Linux makes the image's file with no name; Windows gives it a fresh one at once.
    constexpr int madeDuringTheRead = std::is_same_v<fs::path::value_type, wchar_t> ? 1 : 0;
    EXPECT_EQ(std::distance(fs::directory_iterator(dumps), fs::directory_iterator()), 1 + madeDuringTheRead)
        << change << ": a name of the save exists during the read";
    atTheStep = duringTheStep ? make : nullptr;
    if (!duringTheStep) make();  // during the read
    std::string message;
    try {
      SaveDumpInto(file, status);
    } catch (const EInOutError& error) {
      message = error.what();
    }
    EXPECT_NE(message.find(words), std::string::npos) << change << ": " << message;
    EXPECT_EQ(FileContents(other / "out.bin"), "other") << change;
    const fs::path opened = fs::exists(moved) ? moved : dumps;
    if (otherAtTheName) {
      EXPECT_EQ(FileContents(dumps / name), "other") << change;
    }
    if (!otherAtTheName || std::string(name) != "out.bin") {
      EXPECT_EQ(FileContents(opened / "out.bin"), "earlier") << change;
    }
    // Windows removes the image's file through its handle, wherever its folder went; Wine removes
    // it by the name it was made under, so there a folder moved away keeps it.
    if (madeDuringTheRead == 0 || opened == dumps) {
      EXPECT_EQ(std::distance(fs::directory_iterator(opened), fs::directory_iterator()),
                opened == dumps && std::string(name) == "new.bin" ? 2 : 1)
          << change << ": a temporary file stayed";
    }
  }
  atTheStep = nullptr;
  InstallFileCalls(previous);
}

// Another program that renames the image's file away during the read and puts a file of its own
// at that name changes nothing of the save: the file that holds the image takes the name (on
// Linux it has no name to change), and the other program's file stays where it was put.
TEST_F(SaveDumpTest, TheFileHoldingTheImageTakesTheNameWhateverItWasRenamedTo) {
  for (const char* name : {"out.bin", "new.bin"}) {
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove(entry.path());
    std::ofstream(folder / "out.bin") << "earlier";
    TFile file;
    AssignFile(file, (folder / name).string());
    Rewrite(file, 1);  // as lpt-dump does, before the read
    ASSERT_EQ(file.ioResult, 0) << name;
    std::vector<fs::path> imagesNames;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().filename().string().find(".lpt-tool-") != std::string::npos) imagesNames.push_back(entry.path());
    }
    std::vector<fs::path> theirs;  // Windows refuses the rename: the save holds its file unshared
    for (const fs::path& imagesName : imagesNames) {
      std::error_code refused;
      fs::rename(imagesName, folder / "moved-away", refused);
      if (!refused) std::ofstream(imagesName) << "theirs";
      if (!refused) theirs.push_back(imagesName);
    }
    EXPECT_NO_THROW(SaveDumpInto(file, status)) << name;
    EXPECT_EQ(FileContents(folder / name), BufferAsString()) << name;
    for (const fs::path& theirName : theirs) EXPECT_EQ(FileContents(theirName), "theirs");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
              (std::string(name) == "out.bin" ? 1 : 2) + static_cast<long>(theirs.size()))
        << name << ": the image's file was left, or another program's file went";
  }
}
}  // namespace
