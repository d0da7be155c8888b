// SPDX-License-Identifier: MIT
#include "ui/qt/QtStatusBar.h"

#include "ui/qt/FramePacedPainting.h"
#include "ui/qt/StatusPanel.h"

QtStatusBar::QtStatusBar(QWidget* parent) : QStatusBar(parent), panel_(new StatusPanel(this)) {
  setSizeGripEnabled(false);
  addWidget(panel_, 1);
}

void QtStatusBar::SetPanelText(const std::string& text) { panel_->SetText(QString::fromStdString(text)); }

std::string QtStatusBar::PanelText() const { return panel_->Text().toStdString(); }

void QtStatusBar::Refresh() { PaintByNextFrame(*panel_); }
