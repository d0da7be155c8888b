// SPDX-License-Identifier: MIT
#include "ui/qt/QtSaveQuestion.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/qt/FramePacedPainting.h"

bool QtSaveQuestion::SaveAnyway(const std::string& finding) {
  PaintWaitingControlsNow();  // the read's last text and bar are on screen behind the box
  QString text = QString::fromStdString(finding);
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  QMessageBox box(QMessageBox::Warning, owner_->windowTitle(), text, QMessageBox::NoButton, owner_);
  box.setInformativeText("Save the image anyway?");
  // Alt+S and Alt+D answer it from the keyboard.
  QPushButton* save = box.addButton("&Save Anyway", QMessageBox::AcceptRole);
  QPushButton* dontSave = box.addButton("&Don't Save", QMessageBox::RejectRole);
  box.setDefaultButton(dontSave);
  box.setEscapeButton(dontSave);
  box.exec();
  return box.clickedButton() == save;
}
