// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTimer>

#include "bus/BusLines.h"
#include "bus/Port95.h"
#include "dump/DumpBuffer.h"
#include "dump/ImageFile.h"
#include "emu/EmulatedAdapter.h"
#include "port/FirstParallelPort.h"
#include "port/PortError.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/RecordingPort.h"
#include "ui/qt/LPT_Tool.h"
#include "ui/qt/QtProgressBar.h"
#include "ui/qt/QtStatusBar.h"
#include "ui/qt/TApplication.h"

namespace {
using Kind = BusEvent::Kind;

EepromImage TestImage() {
  EepromImage image = AddressPatternImage();
  image[0] = 0xA5;
  image[2047] = 0x3C;
  return image;
}

// The window as the program builds it, on an emulated chip whose traffic is recorded, with
// the top-level error handler collecting messages instead of showing boxes.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CsLine = SckLine = SiLine = 0;  // as at program load
    previousHandler = Application.SetErrorHandler([this](const std::string& message) { errors.push_back(message); });
  }
  void CreateWindow() {
    Application.CreateForm(Form1);
    Form1->show();
  }
  void TearDown() override {
    Application.DestroyMainForm();
    Form1 = nullptr;
    Application.SetErrorHandler(previousHandler);
    EXPECT_EQ(dialogs.unexpected, 0) << "a save dialog opened that the test gave no answer for";
  }
  QString SavedFile() const { return folder.filePath("dump.bin"); }
  QByteArray ChipBytes() const { return QByteArray(reinterpret_cast<const char*>(TestImage().data()), 2048); }
  QByteArray FileBytes(const QString& path) const {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  std::string Status() const { return Form1->StatusBar1->PanelText(); }

  EmulatedAdapter adapter{TestImage()};
  RecordingPort port{&adapter};
  DialogDriver dialogs;
  QTemporaryDir folder;
  std::vector<std::string> errors;
  TApplication::ErrorHandler previousHandler;
};

TEST_F(MainWindowTest, LooksAsDescribed) {
  CreateWindow();
  EXPECT_EQ(Form1->windowTitle(), "Korvane");
  const QList<QSize> iconSizes = Form1->windowIcon().availableSizes();
  for (const int size : {16, 24, 32, 48})
    EXPECT_TRUE(iconSizes.contains(QSize(size, size))) << "no icon of " << size << " px";
  EXPECT_EQ(Form1->size(), QSize(393, 72));
  EXPECT_EQ(Form1->pos(), QPoint(227, 151));
  EXPECT_EQ(Form1->font().family(), "MS Sans Serif");
  EXPECT_EQ(Form1->font().pointSize(), 8);
  EXPECT_EQ(Form1->Button1->geometry(), QRect(0, 8, 393, 25));
  EXPECT_EQ(Form1->Button1->text(), "Read And Save Content Of EEPROM 25160");
  EXPECT_EQ(Form1->ProgressBar1->geometry(), QRect(0, 40, 393, 8));
  EXPECT_EQ(Form1->ProgressBar1->Min(), 0);
  EXPECT_EQ(Form1->ProgressBar1->Max(), 100);
  EXPECT_EQ(Form1->ProgressBar1->Step(), 1);
  EXPECT_FALSE(Form1->ProgressBar1->isTextVisible());
  EXPECT_EQ(Form1->StatusBar1->geometry(), QRect(0, 53, 393, 19));
  EXPECT_FALSE(Form1->StatusBar1->isSizeGripEnabled());
  EXPECT_EQ(Status(), "");

  Form1->resize(500, 120);
  EXPECT_EQ(Form1->StatusBar1->geometry(), QRect(0, 101, 500, 19)) << "the status bar stays along the bottom";
}

TEST_F(MainWindowTest, StartUpWritesTheIdleLinesOnceThenWaitsOnce) {
  CreateWindow();
  EXPECT_EQ(port.events, (std::vector<BusEvent>{{Kind::Write, 0x378, 0xF1}, {Kind::Delay}}));
  EXPECT_TRUE(errors.empty());
}

TEST_F(MainWindowTest, OneClickReadsTheChipAndSavesIt) {
  CreateWindow();
  dialogs.AnswerWith(SavedFile());
  Form1->Button1->click();
  EXPECT_TRUE(errors.empty()) << errors.front();
  EXPECT_EQ(FileBytes(SavedFile()), ChipBytes());
  EXPECT_EQ(Status(), "File Saved");
  EXPECT_EQ(Form1->ProgressBar1->Max(), 2048);
  EXPECT_EQ(Form1->ProgressBar1->Position(), 2048);
}

TEST_F(MainWindowTest, CancelLeavesTheLastByteShownAndWritesNothing) {
  CreateWindow();
  dialogs.AnswerWith(std::nullopt);
  Form1->Button1->click();
  EXPECT_EQ(Status(), "Address : 2047, Content : 60");
  EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(MainWindowTest, EachClickRunsAFullReadWithItsOwnDialog) {
  CreateWindow();
  port.events.clear();
  dialogs.AnswerWith(SavedFile());
  Form1->Button1->click();
  dialogs.AnswerWith(SavedFile());
  Form1->Button1->click();
  EXPECT_EQ(dialogs.answered, 2);
  EXPECT_EQ(dialogs.offeredName, "dump.bin") << "the second dialog offers the last name again";
  EXPECT_EQ(port.Count(Kind::Delay), 2u * 32819u);
  EXPECT_EQ(port.Count(Kind::Read), 2u * 16384u);
  EXPECT_EQ(FileBytes(SavedFile()), ChipBytes());
}

// Answers the next question box over the window with the button named `answer` (its mnemonic's
// & left out), and keeps what the box said and each button's keyboard shortcut.
struct QuestionAnswerer {
  QString title;
  QString text;
  QString defaultButton;
  QStringList shortcuts;
  int asked = 0;
  void Answer(const QString& answer) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [this, timer, answer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      title = box->windowTitle();
      text = box->text() + "\n" + box->informativeText();
      defaultButton = box->defaultButton() != nullptr ? box->defaultButton()->text().remove('&') : "";
      ++asked;
      timer->stop();
      timer->deleteLater();
      shortcuts.clear();
      for (QAbstractButton* button : box->buttons()) shortcuts << button->shortcut().toString();
      for (QAbstractButton* button : box->buttons()) {
        if (button->text().remove('&') == answer) button->click();
      }
    });
    timer->start(10);
  }
};

// No chip in the socket: every byte reads 0xFF. The window says so before the save dialog, and
// saves only when told to save anyway; not saving is the default.
TEST_F(MainWindowTest, AReadThatLooksWrongIsSavedOnlyWhenTheUserSaysSo) {
  EmulatedAdapter empty(TestImage(), EmulatedAdapter::Socket::Empty);
  RecordingPort emptySocket(&empty);
  CreateWindow();
  QuestionAnswerer question;
  question.Answer("Don't Save");
  dialogs.AnswerWith(SavedFile());
  Form1->Button1->click();
  EXPECT_EQ(question.asked, 1);
  EXPECT_EQ(question.title, "Korvane");
  EXPECT_TRUE(question.text.startsWith("Every byte read is 0xFF: no chip answered")) << question.text.toStdString();
  EXPECT_TRUE(question.text.endsWith("Save the image anyway?")) << question.text.toStdString();
  EXPECT_EQ(question.defaultButton, "Don't Save");
  EXPECT_EQ(question.shortcuts, (QStringList{"Alt+S", "Alt+D"})) << "the buttons' mnemonics";
  EXPECT_EQ(dialogs.answered, 0) << "the save dialog opened after Don't Save";
  EXPECT_FALSE(QFile::exists(SavedFile()));
  EXPECT_EQ(Status(), "Address : 2047, Content : 255");

  question.Answer("Save Anyway");
  Form1->Button1->click();
  EXPECT_EQ(question.asked, 2);
  EXPECT_EQ(dialogs.answered, 1);
  EXPECT_EQ(FileBytes(SavedFile()), QByteArray(2048, '\xFF'));
  EXPECT_EQ(Status(), "File Saved");
  EXPECT_TRUE(errors.empty());
}

// What assistive technology is told: a name for each control, and the status as the screen
// shows it, as text, "File Saved" once the save ends; the progress bar at the read's end.
TEST_F(MainWindowTest, AssistiveTechnologyHearsTheControlsAndTheResult) {
  CreateWindow();
  const auto name = [](QObject* object) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString("(not accessible)");
  };
  EXPECT_EQ(name(Form1->Button1), "Read And Save Content Of EEPROM 25160");
  EXPECT_EQ(name(Form1->ProgressBar1), "Read progress");
  EXPECT_EQ(name(Form1->StatusBar1), "Status");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(Form1)->role(), QAccessible::Window)
      << "a frame to AT-SPI, announced by its caption";
  EXPECT_EQ(name(Form1), Form1->windowTitle());
  dialogs.AnswerWith(SavedFile());
  Form1->Button1->click();
  auto* panel = Form1->StatusBar1->findChild<QWidget*>("StatusPanel");
  ASSERT_NE(panel, nullptr);
  QDeadlineTimer deadline(30000);
  while (name(panel) != "File Saved" && !deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(name(panel), "File Saved");
  QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(panel)->textInterface();
  ASSERT_NE(text, nullptr) << "a screen reader reads the status as text, not only as a name";
  EXPECT_EQ(text->text(0, text->characterCount()), "File Saved");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(Form1->ProgressBar1)->valueInterface()->currentValue().toInt(), 2048)
      << "the bar's value, which the frames leave alone during the read, is the read's end once it is over";
}

// A save that fails keeps the image read: the box says why, then the dialog opens again on the
// same name until the image is saved elsewhere or the dialog is cancelled.
TEST_F(MainWindowTest, AFailedSaveIsShownAndTheDialogOpensAgainForTheSameImage) {
  CreateWindow();
  dialogs.AnswerWith("/dev/null");                   // a device, never "File Saved"
  dialogs.AnswerByTyping(folder.path(), "newdir/");  // a folder that does not exist, typed as one
  dialogs.AnswerWith(SavedFile());
  Form1->Button1->click();
  ASSERT_EQ(errors.size(), 2u) << "saved to " << Form1->SaveDialog1.FileName();
  EXPECT_NE(errors[0].find("it is a device"), std::string::npos) << errors[0];
  EXPECT_NE(errors[0].find("The image read is kept: the save dialog opens again"), std::string::npos) << errors[0];
  EXPECT_NE(errors[1].find("names a folder, not a file"), std::string::npos) << errors[1];
  EXPECT_EQ(dialogs.answered, 3);
  EXPECT_EQ(FileBytes(SavedFile()), ChipBytes());
  EXPECT_EQ(Status(), "File Saved");

  dialogs.AnswerWith("/dev/null");
  dialogs.AnswerWith(std::nullopt);
  Form1->Button1->click();
  EXPECT_EQ(errors.size(), 3u);
  EXPECT_EQ(dialogs.offeredName, "null") << "the dialog after the failure offers the name that failed";
  EXPECT_EQ(Status(), "Address : 2047, Content : 60") << "cancelled after a failure: nothing was saved";
}

TEST_F(MainWindowTest, ReturnAndEnterOnTheButtonClickIt) {
  CreateWindow();
  for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
    dialogs.AnswerWith(std::nullopt);
    QKeyEvent press(QEvent::KeyPress, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QApplication::sendEvent(Form1->Button1, &press);
  }
  EXPECT_EQ(dialogs.answered, 2);
}

TEST_F(MainWindowTest, TheErrorBoxIsTitledWithTheWindowsCaption) {
  CreateWindow();
  Application.SetErrorHandler(previousHandler);  // the real box
  QString title;
  QTimer::singleShot(10, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      title = box->windowTitle();
      box->accept();
    }
  });
  Application.HandleErrorsOf([] { throw std::runtime_error("the port went away"); });
  EXPECT_EQ(title, "Korvane");
}

// The lines of the label's text as the box lays them out at its width.
QStringList ShownLines(const QLabel& label) {
  QTextDocument document;
  document.setDefaultFont(label.font());
  if (label.textFormat() == Qt::RichText) {
    document.setHtml(label.text());
  } else {
    document.setPlainText(label.text());
  }
  document.setDocumentMargin(0);
  document.setTextWidth(label.contentsRect().width());
  document.size();  // lays the text out
  QStringList lines;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const QTextLayout* layout = block.layout();
    for (int i = 0; i < layout->lineCount(); ++i) {
      lines << block.text().mid(layout->lineAt(i).textStart(), layout->lineAt(i).textLength()).trimmed();
    }
  }
  return lines;
}

// A command or a path in the error box is never cut at its hyphens or slashes ("lpt-tool-" /
// "demo"), which would have the user type half of it; the text wraps at its spaces.
TEST_F(MainWindowTest, TheErrorBoxWrapsOnlyBetweenWords) {
  CreateWindow();
  Application.SetErrorHandler(previousHandler);  // the real box
  std::string message = "The parallel port could not be opened <here> & there.";
  for (int i = 0; i < 12; ++i) message += " Start lpt-tool-demo or look at /run/lpt-tool/port.lock again.";
  QStringList lines;
  QString shown;
  QString accessibleName;
  QTimer::singleShot(10, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      if (const auto* label = box->findChild<QLabel*>("qt_msgbox_label")) {
        lines = ShownLines(*label);
        accessibleName = QAccessible::queryAccessibleInterface(const_cast<QLabel*>(label))->text(QAccessible::Name);
        shown = label->textFormat() == Qt::RichText ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                                                    : label->text();
      }
      box->accept();
    }
  });
  Application.HandleErrorsOf([&] { throw std::runtime_error(message); });
  ASSERT_GT(lines.size(), 3) << "the message should take several lines";
  for (const QString& line : lines) {
    EXPECT_FALSE(line.endsWith('-') || line.endsWith('/')) << line.toStdString();
  }
  EXPECT_EQ(shown.simplified().toStdString(), message) << "the text itself, < and & included";
  EXPECT_EQ(accessibleName.toStdString(), message)
      << "assistive technology gets the sentences whole, without the lines put in for the screen";
}

TEST_F(MainWindowTest, ClosingWritesNothingToThePort) {
  CreateWindow();
  dialogs.AnswerWith(std::nullopt);
  Form1->Button1->click();
  port.events.clear();
  Form1->close();
  Application.DestroyMainForm();
  Form1 = nullptr;
  EXPECT_TRUE(port.events.empty());
}

TEST_F(MainWindowTest, WithoutAPortTheErrorIsShownAndNoDialogOpens) {
  FirstParallelPort noPort({{"ppdev", []() -> std::unique_ptr<PortBackend> {
                               throw EPortError("open on /dev/parport0 failed: No such file or directory");
                             }}});
  PortBackend* previous = InstallPortBackend(&noPort);
  CreateWindow();
  ASSERT_EQ(errors.size(), 1u) << "start-up could not write the idle lines";
  EXPECT_NE(errors[0].find("The parallel port could not be opened"), std::string::npos);
  EXPECT_TRUE(Form1->isVisible());

  dialogs.AnswerWith(SavedFile());
  Form1->Button1->click();
  EXPECT_EQ(errors.size(), 2u);
  EXPECT_EQ(dialogs.answered, 0);
  EXPECT_EQ(Status(), "");
  InstallPortBackend(previous);
}

TEST_F(MainWindowTest, ANameWithDoubleQuotesIsSavedExactlyAsTypedNeverToAnotherFile) {
  CreateWindow();
  QDir(folder.path()).mkdir("somefolder");
  const QString unrelated = folder.filePath("keep.bin");
  QFile keep(unrelated);
  ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
  keep.write("an earlier dump");
  keep.close();
  for (const QString typed : {R"(somefolder/backup"keep.bin)", R"(chip "A".bin)", R"(old.bin" "new.bin)"}) {
    dialogs.AnswerByTyping(folder.path(), typed);
    Form1->Button1->click();
    EXPECT_EQ(FileBytes(folder.filePath(typed)), ChipBytes())
        << typed.toStdString() << " saved as " << Form1->SaveDialog1.FileName();
  }
  EXPECT_EQ(FileBytes(unrelated), "an earlier dump");
  EXPECT_TRUE(errors.empty());
}

TEST_F(MainWindowTest, ACloseAskedForDuringTheReadClosesTheWindowAfterTheDialog) {
  CreateWindow();
  dialogs.AnswerWith(std::nullopt);
  QCoreApplication::postEvent(Form1, new QCloseEvent);  // waits in the queue while the read runs
  bool visibleWithTheDialog = false;
  dialogs.whenShown = [&] { visibleWithTheDialog = Form1->isVisible(); };
  Form1->Button1->click();
  EXPECT_EQ(dialogs.answered, 1) << "the dialog still opens";
  EXPECT_TRUE(visibleWithTheDialog) << "the window closed before the dialog";
  EXPECT_FALSE(Form1->isVisible()) << "the close was dropped";
  EXPECT_EQ(port.Count(Kind::Read), 16384u) << "one read";
}

TEST_F(MainWindowTest, ThePortIsLeftToOtherProgramsWhileTheWindowWaits) {
  CreateWindow();
  EXPECT_EQ(port.releases, 1) << "after the start-up's idle write";
  dialogs.AnswerWith(std::nullopt);
  Form1->Button1->click();
  EXPECT_EQ(port.releases, 2) << "after the read, before the dialog";
}
}  // namespace
