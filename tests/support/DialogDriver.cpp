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

void DialogDriver::AnswerWith(const std::optional<QString>& fileName) {
  std::optional<Typing> typing;
  if (fileName) typing = Typing{QFileInfo(*fileName).absolutePath(), QFileInfo(*fileName).fileName()};
  // The dialog runs its own modal loop; look for it from that loop's timers.
  QTimer::singleShot(10, &timers_, [this, typing] { Answer(typing); });
}

void DialogDriver::AnswerByTyping(const QString& folder, const QString& typed) {
  QTimer::singleShot(10, &timers_, [this, typing = Typing{folder, typed}] { Answer(typing); });
}

void DialogDriver::Answer(const std::optional<Typing>& typing) {
  auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
  if (dialog == nullptr) {
    QTimer::singleShot(10, &timers_, [this, typing] { Answer(typing); });
    return;
  }
  ++answered;
  if (whenShown) whenShown();
  const auto* nameField = dialog->findChild<QLineEdit*>("fileNameEdit");
  offeredName = nameField != nullptr ? nameField->text() : QString();
  auto finished = std::make_shared<bool>(false);
  QObject::connect(
      dialog, &QDialog::finished, dialog, [finished] { *finished = true; }, Qt::SingleShotConnection);
  ActUntilClosed(dialog, typing, finished);
}
