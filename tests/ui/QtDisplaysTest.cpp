// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFileDialog>

#include "display/FramePace.h"
#include "tests/support/DialogDriver.h"
#include "ui/qt/FramePacedPainting.h"
#include "ui/qt/QtProgressBar.h"
#include "ui/qt/QtSaveDialog.h"
#include "ui/qt/QtStatusBar.h"

namespace {
TEST(QtProgressBar, StartsOverFromTheMinimumWhenASecondReadStepsPastTheMaximum) {
  QtProgressBar bar;
  bar.setRange(0, 100);
  EXPECT_EQ(bar.Position(), 0);
  bar.SetMax(2048);
  // The process's first change shows a frame at once, in the middle of the read: the value the
  // bar is handed at rest must outlive that frame.
  bar.StepIt();
  PaintWaitingControlsNow();
  EXPECT_EQ(bar.value(), 1);
  for (int byte = 1; byte < 2048; ++byte) bar.StepIt();
  EXPECT_EQ(bar.Position(), 2048);
  bar.SetMax(2048);
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 0) << "the second read must show progress again";
  for (int byte = 1; byte < 2048; ++byte) bar.StepIt();
  EXPECT_EQ(bar.Position(), 2047);
}

TEST(QtStatusBar, ShowsOnePanelTextWithoutSizeGrip) {
  QtStatusBar bar;
  EXPECT_EQ(bar.PanelText(), "");
  bar.SetPanelText("Address : 2047, Content : 255");
  bar.Refresh();
  EXPECT_EQ(bar.PanelText(), "Address : 2047, Content : 255");
  EXPECT_FALSE(bar.isSizeGripEnabled());
}

TEST(QtSaveDialog, AcceptsCancelsAndOffersTheLastAcceptedNameAgain) {
  QWidget owner;
  QtSaveDialog dialog(&owner);
  EXPECT_TRUE(dialog.Dialog()->testOption(QFileDialog::DontConfirmOverwrite));
  EXPECT_EQ(dialog.Dialog()->nameFilters(), QStringList{"All Files (*)"});
  EXPECT_EQ(dialog.Dialog()->defaultSuffix(), "");

  DialogDriver driver;
  const QString name = QDir::temp().filePath("lpt-dialog-test.bin");
  driver.AnswerWith(name);
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), name.toStdString());

  driver.AnswerWith(std::nullopt);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(driver.answered, 2);
  EXPECT_EQ(driver.offeredName, "lpt-dialog-test.bin");
}
}  // namespace

// Both windows' frame rule: a frame goes at the change after which waiting as long as the longest
// gap since the last frame would take the oldest waiting change past 16 ms. Changes at a steady
// gap after a frame at 0; the first frame after it goes at the time in each row.
TEST(FramePace, AFrameGoesBeforeTheNextChangeWouldBeLate) {
  using std::chrono::milliseconds;
  const std::pair<int, int> gapAndFrame[] = {{1, 15}, {5, 15}, {10, 10}, {20, 20}};
  for (const auto& [gap, frame] : gapAndFrame) {
    FramePace pace;
    const FramePace::Clock::time_point start{};
    pace.FrameShown(start);
    int at = gap;
    while (!pace.FrameDueAfterChange(start + milliseconds(at))) at += gap;
    EXPECT_EQ(at, frame) << "changes every " << gap << " ms";
  }
}
