// SPDX-License-Identifier: MIT
#pragma once
#include <string>

#include "display/TSaveDialog.h"

class ExactNameFileDialog;
class QFileDialog;
class QWidget;

// TSaveDialog on the platform's save-file dialog. One dialog lives as long as its owner and
// offers the last accepted name again; it has no filter, extension, folder or title of its own
// and asks nothing before an existing file is replaced.
class QtSaveDialog : public TSaveDialog {
 public:
  explicit QtSaveDialog(QWidget* owner);

  bool Execute() override;
  std::string FileName() const override { return fileName_; }
  QFileDialog* Dialog() const;

 private:
  ExactNameFileDialog* dialog_;  // owned by the owner widget
  std::string fileName_;
};
