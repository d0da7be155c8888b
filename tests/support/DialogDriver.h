#pragma once
#include <QString>
#include <optional>

// Answers the next modal save dialog as a user would: accepts it with the given file name, or
// cancels it when there is none. Counts the dialogs it answered.
class DialogDriver {
 public:
  void AnswerWith(const std::optional<QString>& fileName);
  int answered = 0;
  QString offeredName;  // the name the dialog offered when it opened

 private:
  void Answer(const std::optional<QString>& fileName);
};
