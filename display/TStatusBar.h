// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// A status bar with one text panel (panel item 0).
class TStatusBar {
 public:
  virtual ~TStatusBar() = default;
  virtual void SetPanelText(const std::string& text) = 0;
  virtual std::string PanelText() const = 0;
  // Shows the latest text when a display frame is due (about 70 of a read's 2,048 texts reach
  // the screen): the read keeps the event loop busy, so this is where the bar gets its chance.
  virtual void Refresh() = 0;
};
