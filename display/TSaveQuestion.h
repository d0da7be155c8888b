// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// The window's question before the save dialog when the image read looks wrong (no chip, no
// supply, a smaller part): a box that says what was found and lets the user save it anyway.
class TSaveQuestion {
 public:
  virtual ~TSaveQuestion() = default;
  // Shows `finding` and asks; true to go on to the save dialog. Not saving is the default answer.
  virtual bool SaveAnyway(const std::string& finding) = 0;
};
