// SPDX-License-Identifier: MIT
#pragma once
#include <QStatusBar>
#include <QString>

#include "display/TStatusBar.h"

class StatusPanel;

// TStatusBar on a QStatusBar with one text panel and no size grip. The panel paints its own
// text at a fixed size, so a new text costs one small repaint and never a relayout. Refresh
// paints it with the next display frame (FramePacedPainting.h), at the display's pace.
class QtStatusBar : public QStatusBar, public TStatusBar {
  Q_OBJECT
 public:
  explicit QtStatusBar(QWidget* parent = nullptr);

  void SetPanelText(const std::string& text) override;
  std::string PanelText() const override;
  void Refresh() override;

 private:
  StatusPanel* panel_;
};
