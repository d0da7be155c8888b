#pragma once
#include <string>

#include "ui/toolkit/TSaveDialog.h"

// The save "dialog" of the command line: the name was given on the command line already.
class FixedNameDialog : public TSaveDialog {
 public:
  explicit FixedNameDialog(std::string name) : name_(std::move(name)) {}
  bool Execute() override { return true; }
  std::string FileName() const override { return name_; }

 private:
  std::string name_;
};
