#pragma once
#include <windows.h>

#include <string>
#include <utility>

#include "ui/win32/MemoryPicture.h"

// A picture of a common control in its coming state, drawn over the control in its place. During
// a read the two bars change at every display frame; under Wine each control's own paint takes
// about ten round trips to the wineserver (0.8-1 ms a control on a 2-core machine: 13% of a read
// at 60 frames a second), while drawing both pictures and showing them takes one. The pictures are made from the
// control's own paints, and a copy is used only where it matches the control's paint pixel for
// pixel in the states it was checked in; the control itself gets its state when the read ends
// (FramePacedPainting.h).
class ControlCopy {
 public:
  explicit ControlCopy(HWND control) : control_(control) {}
  virtual ~ControlCopy() = default;
  ControlCopy(const ControlCopy&) = delete;
  ControlCopy& operator=(const ControlCopy&) = delete;

  // Whether the copy can stand for the control; made once, until Forget.
  bool Ready();
  // The control's size, font or look may change before the next read: the copy is made anew.
  void Forget();
  // Draws the coming state into a DC of the control's parent, at the control's place.
  void DrawInParent(HDC parentDc);

 protected:
  // Makes the pictures the copy is drawn from and checks the copy against the control's own
  // paint; the control shows none of the states it is put into meanwhile.
  virtual bool Prepare() = 0;
  // The coming state's picture.
  virtual void Compose(MemoryPicture& picture) const = 0;

  HWND control_;

 private:
  enum class State { Unknown, Usable, Unusable };
  State state_ = State::Unknown;
  RECT place_{};
  MemoryPicture frame_;
};

// A progress bar filling from left to right: the bar's own paint at its minimum and at its
// maximum, the one up to the filled width and the other after it.
class ProgressBarCopy final : public ControlCopy {
 public:
  using ControlCopy::ControlCopy;
  void SetPosition(int position) { position_ = position; }

 private:
  bool Prepare() override;
  void Compose(MemoryPicture& picture) const override;
  void ComposeAt(MemoryPicture& picture, int position) const;

  int position_ = 0;
  int min_ = 0;
  int max_ = 0;
  int fillLeft_ = 0;  // the columns that change as the bar fills
  int fillRight_ = 0;
  MemoryPicture empty_;
  MemoryPicture full_;
};

// A status bar of one part: its own paint without text, and the text drawn over it as the
// status bar draws a part's text.
class StatusBarCopy final : public ControlCopy {
 public:
  using ControlCopy::ControlCopy;
  void SetText(std::wstring text) { text_ = std::move(text); }

 private:
  bool Prepare() override;
  void Compose(MemoryPicture& picture) const override;
  void ComposeWith(MemoryPicture& picture, const std::wstring& text) const;

  std::wstring text_;
  RECT part_{};
  HFONT font_ = nullptr;
  MemoryPicture blank_;
};
