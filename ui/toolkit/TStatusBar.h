#pragma once
#include <string>

// A status bar with one text panel (panel item 0).
class TStatusBar {
 public:
  virtual ~TStatusBar() = default;
  virtual void SetPanelText(const std::string& text) = 0;
  virtual std::string PanelText() const = 0;
  // Repaints the bar before returning, not at the next idle moment: the read keeps the event
  // loop busy, so this is the only way the user sees each byte.
  virtual void Refresh() = 0;
};
