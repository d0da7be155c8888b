// SPDX-License-Identifier: MIT
#include "ui/qt/ExactNameFileDialog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

QString ExactNameFileDialog::ChosenFile() const {
  if (!typedFile_.isEmpty()) return typedFile_;
  const QStringList chosen = selectedFiles();
  return chosen.isEmpty() ? QString() : chosen.first();
}

void ExactNameFileDialog::done(int result) {
  if (auto* nameField = findChild<QLineEdit*>("fileNameEdit"); nameField != nullptr && nameField->completer()) {
    nameField->completer()->popup()->hide();
  }
  QFileDialog::done(result);
}

int ExactNameFileDialog::exec() {
  typedFile_.clear();
  return QFileDialog::exec();
}

void ExactNameFileDialog::accept() {
  auto* nameField = findChild<QLineEdit*>("fileNameEdit");
  const QString typed = nameField != nullptr ? nameField->text() : QString();
  if (nameField == nullptr || !typed.contains(u'"')) {
    QFileDialog::accept();
    return;
  }
  // What QFileDialog does with a name without quotes: a folder is entered, anything else is
  // the file, relative to the folder shown.
  const QString path = QDir::cleanPath(directory().absoluteFilePath(typed));
  if (QFileInfo(path).isDir()) {
    setDirectory(path);
    nameField->clear();
    return;
  }
  typedFile_ = path;
  // QFileDialog::accept would read the quotes again; the dialog closes as accepted instead.
  QDialog::accept();  // NOLINT(bugprone-parent-virtual-call)
}
