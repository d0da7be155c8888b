// SPDX-License-Identifier: MIT
#pragma once
#include <chrono>
#include <cstdio>
#include <string>

#include "display/TProgressBar.h"
#include "display/TStatusBar.h"

// The read's progress bar and status bar on a terminal: one line on standard error with the
// percentage, the address just read, the speed and the time left. Drawn only when standard
// error is a terminal and not silenced, and at most ten times a second, since a terminal has
// nothing to repaint between draws.
class TerminalProgress : public TProgressBar, public TStatusBar {
 public:
  TerminalProgress(std::FILE* terminal, bool enabled, std::string label);

  int Min() const override { return 0; }
  int Max() const override { return max_; }
  void SetMax(int max) override;
  int Step() const override { return 1; }
  int Position() const override { return position_; }
  void StepIt() override;

  void SetPanelText(const std::string& text) override { text_ = text; }
  std::string PanelText() const override { return text_; }
  void Refresh() override;

  // Ends the progress line so that the next message starts on a line of its own.
  void Finish();

  // Whether a progress line is drawn and not yet ended (read from a signal handler).
  static bool LineOpen();

 private:
  void Draw();

  std::FILE* terminal_;
  bool enabled_;
  std::string label_;
  int max_ = 100;
  int position_ = 0;
  int stepsThisRead_ = 0;
  std::string text_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
  bool drawn_ = false;
  std::size_t lastLength_ = 0;  // of the line drawn last, to blank what a shorter one leaves
};
