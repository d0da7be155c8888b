// SPDX-License-Identifier: MIT
#pragma once
#include <windows.h>

// A control's client area as 32-bit pixels in memory: as the control paints the state it holds,
// or as the screen shows it, for tests that check what a user sees.
class MemoryPicture {
 public:
  MemoryPicture() = default;
  ~MemoryPicture();
  MemoryPicture(MemoryPicture&& other) noexcept;
  MemoryPicture& operator=(MemoryPicture&& other) noexcept;
  MemoryPicture(const MemoryPicture&) = delete;
  MemoryPicture& operator=(const MemoryPicture&) = delete;

  // The control's own paint of the state it holds (WM_PRINTCLIENT), as it would put it on the screen.
  static MemoryPicture Of(HWND control);
  // The control as the screen shows it (under Wine, read back from the X server).
  static MemoryPicture OnScreen(HWND control);

  bool Empty() const { return dc_ == nullptr; }
  // Same size, every pixel the same colour.
  bool operator==(const MemoryPicture& other) const;

 private:
  MemoryPicture(int width, int height);
  void Release();

  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  DWORD* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};
