// SPDX-License-Identifier: MIT
#pragma once
#include <memory>

#include "ui/win32/TApplication.h"
#include "ui/win32/Win32Controls.h"

// The main window on Windows: one button that reads the EEPROM and saves the image, a progress
// bar and a status bar. Built from its description, the dialog resource IDD_FORM1 (LPT_Tool.rc).
class TForm1 : public TForm {
 public:
  TForm1();
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  void* Handle() const override { return window_; }

  // The components, in the order the window description gives them.
  Win32SaveDialog SaveDialog1;
  // Asks before the save dialog when the image read looks wrong (no chip, no supply).
  Win32SaveQuestion SaveQuestion;
  void* Button1 = nullptr;  // its HWND
  std::unique_ptr<Win32StatusBar> StatusBar1;
  std::unique_ptr<Win32ProgressBar> ProgressBar1;

  // Puts the bus into its idle state: chip deselected, clock and data low.
  void FormCreate();
  // Reads the whole EEPROM, then offers to save the image.
  void Button1Click();

  // Sets the stored geometry and font, scaled from 96 DPI to the window's monitor.
  void Layout(unsigned dpi);

  // Whether a close was asked for during the read (Alt+F4, the title bar's button, the window
  // manager): the window closes once the click handler has returned.
  bool CloseAsked() const { return closeAsked_; }

 private:
  void AfterTheRead();

  bool closeAsked_ = false;
  void* window_ = nullptr;
  void* font_ = nullptr;
};

extern TForm1* Form1;
