// SPDX-License-Identifier: MIT
#pragma once
#include <QFileDialog>
#include <QString>

// Qt's own save dialog, taking the name exactly as typed. QFileDialog reads double quotes in the
// name field as its list of several files ("a" "b") and would save `backup"keep.bin` as
// keep.bin; quotes are legal in a file name, and a save takes one name.
class ExactNameFileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  // The accepted file: the name typed when it held a quote, otherwise the dialog's selection.
  QString ChosenFile() const;

  int exec() override;
  void accept() override;
  // Closes the name field's completion list with the dialog: left open, it stays on the screen
  // and takes the next click, meant for the window.
  void done(int result) override;

 private:
  QString typedFile_;
};
