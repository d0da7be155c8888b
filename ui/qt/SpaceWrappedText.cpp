// SPDX-License-Identifier: MIT
#include "ui/qt/SpaceWrappedText.h"

#include <QLabel>
#include <QMessageBox>
#include <QStringList>

void SetSpaceWrappedText(QMessageBox& box, const std::string& message, int columns) {
  QStringList lines;
  for (const QString& paragraph : QString::fromStdString(message).split('\n')) {
    QString line;
    for (const QString& word : paragraph.split(' ')) {
      if (!line.isEmpty() && line.size() + 1 + word.size() > columns) {
        lines << line.toHtmlEscaped();
        line.clear();
      }
      line += (line.isEmpty() ? "" : " ") + word;
    }
    lines << line.toHtmlEscaped();
  }
  // A paragraph in "white-space: pre" keeps its lines as they are (QTextBlockFormat's
  // non-breakable lines); the box then widens to the longest.
  box.setTextFormat(Qt::RichText);
  box.setText("<p style=\"white-space: pre\">" + lines.join("<br>") + "</p>");
  // Assistive technology gets the sentences whole: a braille display would show the lines above
  // as breaks in the middle of a sentence.
  if (auto* label = box.findChild<QLabel*>("qt_msgbox_label"))
    label->setAccessibleName(QString::fromStdString(message));
}
