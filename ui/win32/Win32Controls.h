// SPDX-License-Identifier: MIT
#pragma once
#include <string>

#include "display/TProgressBar.h"
#include "display/TSaveDialog.h"
#include "display/TSaveQuestion.h"
#include "display/TStatusBar.h"

// The toolkit's displays and dialog on the Windows common controls. Each wraps a control the
// window's resource created (passed as its HWND); the control's own behaviour is relied on, as
// the window description expects of it.

// msctls_progress32: Max is PBM_SETRANGE32 (the position stays); StepIt advances the position by
// one and starts over from the minimum past the maximum. The control gets its new position at the
// display's pace (FramePacedPainting.h).
class Win32ProgressBar : public TProgressBar {
 public:
  explicit Win32ProgressBar(void* control);
  ~Win32ProgressBar() override;
  Win32ProgressBar(const Win32ProgressBar&) = delete;
  Win32ProgressBar& operator=(const Win32ProgressBar&) = delete;
  int Min() const override;
  int Max() const override;
  void SetMax(int max) override;
  int Step() const override { return 1; }
  int Position() const override;
  void StepIt() override;

 private:
  void* control_;
  int position_;
};

// msctls_statusbar32 with one part reaching the right edge. The panel's text is the one last set;
// the control gets it with the next frame, and Refresh paints it as soon as a frame is due
// (FramePacedPainting.h): at the display's pace, not once per byte.
class Win32StatusBar : public TStatusBar {
 public:
  explicit Win32StatusBar(void* control);
  ~Win32StatusBar() override;
  Win32StatusBar(const Win32StatusBar&) = delete;
  Win32StatusBar& operator=(const Win32StatusBar&) = delete;
  void SetPanelText(const std::string& text) override;
  std::string PanelText() const override { return text_; }
  void Refresh() override;

 private:
  void* control_;
  std::string text_;
};

// GetSaveFileNameW from a zeroed OPENFILENAMEW: no filter, extension, folder or title, no
// question before replacing a file; the last accepted name is offered again.
class Win32SaveDialog : public TSaveDialog {
 public:
  void SetOwner(void* window) { owner_ = window; }
  bool Execute() override;
  std::string FileName() const override { return fileName_; }
  // The flags it passes to the dialog.
  static unsigned long Flags();

 private:
  void* owner_ = nullptr;
  std::string fileName_;
};

// A warning box over the window, titled with its caption, Yes to save anyway and No (the
// default) to leave the image unsaved.
class Win32SaveQuestion : public TSaveQuestion {
 public:
  void SetOwner(void* window) { owner_ = window; }
  bool SaveAnyway(const std::string& finding) override;

 private:
  void* owner_ = nullptr;
};
