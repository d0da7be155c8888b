// SPDX-License-Identifier: MIT
#pragma once
#include <string>

#include "display/TSaveQuestion.h"

class QWidget;

// TSaveQuestion as a warning box over the window, titled with its caption: "Don't Save" is the
// default button and the one Escape takes; "Save Anyway" goes on to the save dialog.
class QtSaveQuestion : public TSaveQuestion {
 public:
  explicit QtSaveQuestion(QWidget* owner) : owner_(owner) {}
  bool SaveAnyway(const std::string& finding) override;

 private:
  QWidget* owner_;
};
