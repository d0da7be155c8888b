// SPDX-License-Identifier: MIT
#include "tests/support/DialogDriver.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <memory>

namespace {
template <typename Typing>
void Act(QFileDialog* dialog, const std::optional<Typing>& typing) {
  if (!typing) {
    dialog->reject();
    return;
  }
  // As a user does: go to the folder, type the name (selectFile leaves the name field alone
  // while it has focus), and leave no file picked in the views, which would win over the name.
  // The name field has the keyboard focus while a user types: the dialog then leaves the text
  // alone when the views pick a file that matches it.
  auto* nameField = dialog->findChild<QLineEdit*>("fileNameEdit");
  if (nameField != nullptr && !nameField->hasFocus()) {
    dialog->activateWindow();
    nameField->setFocus();
    return;  // typed at the next try
  }
  dialog->setDirectory(typing->folder);
  if (nameField != nullptr) nameField->setText(typing->typed);
  for (auto* view : dialog->findChildren<QAbstractItemView*>()) {
    if (view->selectionModel() != nullptr) view->selectionModel()->clearSelection();
  }
  static_cast<QDialog*>(dialog)->accept();  // QFileDialog checks the name as on Return
}

// The dialog's directory model works in a thread of its own and may still be updating the
// name field when the answer comes; an answer the dialog did not take is given again.
// The same dialog opens again at the next save, so the retries stop once this showing ends.
template <typename Typing>
void ActUntilClosed(const QPointer<QFileDialog>& dialog, const std::optional<Typing>& typing,
                    const std::shared_ptr<bool>& finished) {
  if (dialog.isNull() || *finished) return;
  Act(dialog, typing);
  QTimer::singleShot(20, [=] { ActUntilClosed(dialog, typing, finished); });
}
}  // namespace

DialogDriver::DialogDriver() {
  QObject::connect(&watch_, &QTimer::timeout, [this] { Look(); });
  watch_.start(10);
}

void DialogDriver::AnswerWith(const std::optional<QString>& fileName) {
  std::optional<Typing> typing;
  if (fileName) typing = Typing{QFileInfo(*fileName).absolutePath(), QFileInfo(*fileName).fileName()};
  answers_.push_back(typing);
}

void DialogDriver::AnswerByTyping(const QString& folder, const QString& typed) {
  answers_.push_back(Typing{folder, typed});
}

void DialogDriver::Look() {
  auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
  if (dialog == nullptr || dialog == answering_) return;
  answering_ = dialog;
  auto finished = std::make_shared<bool>(false);
  QObject::connect(
      dialog, &QDialog::finished, dialog,
      [this, finished] {
        *finished = true;
        answering_ = nullptr;
      },
      Qt::SingleShotConnection);
  if (answers_.empty()) {
    ++unexpected;
    ActUntilClosed(QPointer<QFileDialog>(dialog), std::optional<Typing>(), finished);
    return;
  }
  ++answered;
  if (whenShown) whenShown();
  const auto* nameField = dialog->findChild<QLineEdit*>("fileNameEdit");
  offeredName = nameField != nullptr ? nameField->text() : QString();
  const std::optional<Typing> typing = answers_.front();
  answers_.pop_front();
  ActUntilClosed(QPointer<QFileDialog>(dialog), typing, finished);
}
