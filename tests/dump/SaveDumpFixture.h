// SPDX-License-Identifier: MIT
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "dump/DumpBuffer.h"
#include "dump/SaveDump.h"
#include "runtime/UntypedFile.h"
#include "tests/support/FakeDisplays.h"
#include "tests/support/ScratchFolder.h"

// A scratch folder of the test's own, a recognisable DumpBuffer, and a status bar that shows
// the read's last text.
class SaveDumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = NewScratchFolder("lpt-save");
    for (std::size_t i = 0; i < DumpBuffer.size(); ++i) DumpBuffer[i] = static_cast<std::uint8_t>(i * 13 + 1);
    status.SetPanelText("Address : 2047, Content : 1");
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
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
  // Saves as lpt-dump does: the file opened before the read, a name of the process's own
  // descriptors taken ("" is standard output).
  std::string SaveAsCommandLine(const std::string& name) {
    TFile file;
    AssignFile(file, name);
    file.takesOwnDescriptors = true;
    try {
      Rewrite(file, 1);
      InOutCheck(file);
      SaveDumpInto(file, status);
    } catch (const EInOutError& error) {
      return error.what();
    }
    return "";
  }
  static std::string BufferAsString() { return {DumpBuffer.begin(), DumpBuffer.end()}; }

  std::filesystem::path folder;
  FakeStatusBar status;
};
