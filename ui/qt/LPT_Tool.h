// SPDX-License-Identifier: MIT
#pragma once
#include <QWidget>

#include "ui/qt/QtSaveDialog.h"
#include "ui/qt/QtSaveQuestion.h"
#include "ui_LPT_Tool.h"

class QPushButton;
class QtProgressBar;
class QtStatusBar;

// The main window: one button that reads the EEPROM and saves the image, a progress bar and a
// status bar. Built from its description, LPT_Tool.ui.
class TForm1 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm1(QWidget* parent = nullptr);

  // The components, in the order the window description gives them.
  QtSaveDialog SaveDialog1;
  // Asks before the save dialog when the image read looks wrong (no chip, no supply).
  QtSaveQuestion SaveQuestion{this};
  QPushButton* Button1;
  QtStatusBar* StatusBar1;
  QtProgressBar* ProgressBar1;

  // Puts the bus into its idle state: chip deselected, clock and data low.
  void FormCreate();
  // Reads the whole EEPROM, then offers to save the image.
  void Button1Click();

 protected:
  // Return and Enter on the focused button click it, as Space does (Qt does so only in dialogs).
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Keeps the status bar along the bottom edge over the full width, as the window describes.
  void resizeEvent(QResizeEvent* event) override;
  // A close asked for while the click handler runs is kept until it returns, after the dialog.
  void closeEvent(QCloseEvent* event) override;
  // The same for X11's close request, which Qt counts as input and would drop at the dialog.
  bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  void AfterTheRead();

  Ui::TForm1 ui_;
  bool inButton1Click_ = false;
  bool closeAsked_ = false;
};

extern TForm1* Form1;
