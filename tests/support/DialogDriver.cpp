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
void Act(QFileDialog* dialog, const std::optional<QString>& fileName) {
  if (!fileName) {
    dialog->reject();
    return;
  }
  // As a user does: go to the folder, type the name (selectFile leaves the name field alone
  // while it has focus), and leave no file picked in the views, which would win over the name.
  const QFileInfo target(*fileName);
  dialog->setDirectory(target.absolutePath());
  if (auto* nameField = dialog->findChild<QLineEdit*>("fileNameEdit")) nameField->setText(target.fileName());
  for (auto* view : dialog->findChildren<QAbstractItemView*>()) {
    if (view->selectionModel() != nullptr) view->selectionModel()->clearSelection();
  }
  static_cast<QDialog*>(dialog)->accept();  // QFileDialog checks the name as on Return
}

// The dialog's directory model works in a thread of its own and may still be updating the
// name field when the answer comes; an answer the dialog did not take is given again.
// The same dialog opens again at the next save, so the retries stop once this showing ends.
void ActUntilClosed(const QPointer<QFileDialog>& dialog, const std::optional<QString>& fileName,
                    const std::shared_ptr<bool>& finished) {
  if (dialog.isNull() || *finished) return;
  Act(dialog, fileName);
  QTimer::singleShot(20, [=] { ActUntilClosed(dialog, fileName, finished); });
}
}  // namespace

void DialogDriver::AnswerWith(const std::optional<QString>& fileName) {
  // The dialog runs its own modal loop; look for it from that loop's timers.
  QTimer::singleShot(10, [this, fileName] { Answer(fileName); });
}

void DialogDriver::Answer(const std::optional<QString>& fileName) {
  auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
  if (dialog == nullptr) {
    AnswerWith(fileName);
    return;
  }
  ++answered;
  const auto* nameField = dialog->findChild<QLineEdit*>("fileNameEdit");
  offeredName = nameField != nullptr ? nameField->text() : QString();
  auto finished = std::make_shared<bool>(false);
  QObject::connect(
      dialog, &QDialog::finished, dialog, [finished] { *finished = true; }, Qt::SingleShotConnection);
  ActUntilClosed(dialog, fileName, finished);
}
