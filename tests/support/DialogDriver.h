// SPDX-License-Identifier: MIT
#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>

class QFileDialog;

// Answers modal save dialogs as a user would, one answer each, in the order given: accepts one
// with the given file name, or cancels it when there is none. Counts the dialogs it answered. A
// dialog that opens with no answer given is cancelled at once and counted as unexpected, so a
// test fails on what it checks instead of waiting for an answer that never comes.
class DialogDriver {
 public:
  DialogDriver();
  void AnswerWith(const std::optional<QString>& fileName);
  // Accepts the dialog with `typed` in its name field, exactly as a user types it there, while
  // the dialog shows `folder`.
  void AnswerByTyping(const QString& folder, const QString& typed);
  int answered = 0;
  int unexpected = 0;
  QString offeredName;              // the name the dialog offered when it opened
  std::function<void()> whenShown;  // runs while each dialog is open, before it is answered

 private:
  struct Typing {
    QString folder;
    QString typed;
  };
  void Look();
  std::deque<std::optional<Typing>> answers_;
  QPointer<QFileDialog> answering_;  // the dialog being answered, until it closes
  QTimer watch_;                     // looks for a dialog from the dialog's own modal loop
};
