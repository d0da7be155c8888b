// SPDX-License-Identifier: MIT
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "display/TProgressBar.h"
#include "display/TSaveDialog.h"
#include "display/TStatusBar.h"

// A progress bar that behaves like the window's (min 0, max 100, step 1 at first).
class FakeProgressBar : public TProgressBar {
 public:
  int Min() const override { return 0; }
  int Max() const override { return max; }
  void SetMax(int value) override { max = value; }
  int Step() const override { return 1; }
  int Position() const override { return position; }
  void StepIt() override {
    position = SteppedPosition(position, 1, 0, max);
    ++steps;
  }
  int max = 100;
  int position = 0;
  int steps = 0;
};

// A status bar that keeps every text it was given and counts repaints.
class FakeStatusBar : public TStatusBar {
 public:
  void SetPanelText(const std::string& text) override { texts.push_back(text); }
  std::string PanelText() const override { return texts.empty() ? std::string() : texts.back(); }
  void Refresh() override { ++refreshes; }
  std::vector<std::string> texts;
  int refreshes = 0;
};

// A save dialog that accepts a given name, or cancels when it has none.
class FakeSaveDialog : public TSaveDialog {
 public:
  explicit FakeSaveDialog(std::optional<std::string> answer) : answer_(std::move(answer)) {}
  bool Execute() override {
    ++executions;
    return answer_.has_value();
  }
  std::string FileName() const override { return answer_.value_or(""); }
  int executions = 0;

 private:
  std::optional<std::string> answer_;
};
