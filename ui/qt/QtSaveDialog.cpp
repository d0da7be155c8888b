// SPDX-License-Identifier: MIT
#include "ui/qt/QtSaveDialog.h"

#include "ui/qt/ExactNameFileDialog.h"
#include "ui/qt/FramePacedPainting.h"

QtSaveDialog::QtSaveDialog(QWidget* owner) : dialog_(new ExactNameFileDialog(owner)) {
  dialog_->setAcceptMode(QFileDialog::AcceptSave);
  dialog_->setFileMode(QFileDialog::AnyFile);
  dialog_->setOption(QFileDialog::DontConfirmOverwrite);
}

bool QtSaveDialog::Execute() {
  PaintWaitingControlsNow();  // the read's last text and bar are on screen before the dialog opens
  if (!fileName_.empty()) dialog_->selectFile(QString::fromStdString(fileName_));
  if (dialog_->exec() != QDialog::Accepted) return false;
  const QString chosen = dialog_->ChosenFile();
  if (chosen.isEmpty()) return false;
  fileName_ = chosen.toStdString();
  return true;
}

QFileDialog* QtSaveDialog::Dialog() const { return dialog_; }
