#pragma once
#include <windows.h>

// A picture as 32-bit pixels in memory, with a memory DC to draw into it: a control's own paint,
// what a window or the screen shows, or one composed from such pictures.
class MemoryPicture {
 public:
  MemoryPicture() = default;
  MemoryPicture(int width, int height);
  ~MemoryPicture();
  MemoryPicture(MemoryPicture&& other) noexcept;
  MemoryPicture& operator=(MemoryPicture&& other) noexcept;
  MemoryPicture(const MemoryPicture&) = delete;
  MemoryPicture& operator=(const MemoryPicture&) = delete;

  // The control's own paint of its client area (WM_PRINTCLIENT), as it would put it on the screen.
  static MemoryPicture Of(HWND control);
  // The control as its window holds it (its own paint, or what was drawn over it there).
  static MemoryPicture InWindow(HWND control);
  // The control as the screen shows it (under Wine, read back from the X server).
  static MemoryPicture OnScreen(HWND control);

  bool Empty() const { return dc_ == nullptr; }
  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Column `x` of the two pictures differs in some row (for pictures not drawn into since taken).
  bool ColumnDiffers(const MemoryPicture& other, int x) const;
  // Same size, every pixel the same colour.
  bool operator==(const MemoryPicture& other) const;

 private:
  // What `source` shows in the area from `origin`, `size` large.
  static MemoryPicture CopiedFrom(HDC source, POINT origin, SIZE size);
  const DWORD* Pixel(int x, int y) const { return pixels_ + static_cast<size_t>(y) * width_ + x; }
  void Release();

  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  DWORD* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};
