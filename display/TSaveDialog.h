// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// The platform's save-file dialog.
class TSaveDialog {
 public:
  virtual ~TSaveDialog() = default;
  // Shows the dialog modally; true when the user accepted a name, false on cancel.
  virtual bool Execute() = 0;
  // The accepted name.
  virtual std::string FileName() const = 0;
};
