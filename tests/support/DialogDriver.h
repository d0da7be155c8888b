#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

// Answers the next modal save dialog as a user would: accepts it with the given file name, or
// cancels it when there is none. Counts the dialogs it answered.
class DialogDriver {
 public:
  void AnswerWith(const std::optional<QString>& fileName);
  // Accepts the dialog with `typed` in its name field, exactly as a user types it there, while
  // the dialog shows `folder`.
  void AnswerByTyping(const QString& folder, const QString& typed);
  int answered = 0;
  QString offeredName;              // the name the dialog offered when it opened
  std::function<void()> whenShown;  // runs while each dialog is open, before it is answered

 private:
  QObject timers_;  // ends the answers still waiting for a dialog when the driver goes
  struct Typing {
    QString folder;
    QString typed;
  };
  void Answer(const std::optional<Typing>& typing);
};
