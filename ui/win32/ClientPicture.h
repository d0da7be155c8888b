#pragma once
#include <windows.h>

// A control's client area as 32-bit pixels in memory, with a memory DC to draw into it.
class ClientPicture {
 public:
  ClientPicture() = default;
  ClientPicture(int width, int height);
  ~ClientPicture();
  ClientPicture(ClientPicture&& other) noexcept;
  ClientPicture& operator=(ClientPicture&& other) noexcept;
  ClientPicture(const ClientPicture&) = delete;
  ClientPicture& operator=(const ClientPicture&) = delete;

  // The control's own paint of its client area (WM_PRINTCLIENT), as it would put it on the screen.
  static ClientPicture Of(HWND control);

  bool Empty() const { return dc_ == nullptr; }
  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Column `x` of the two pictures (as the controls painted them) differs in some row.
  bool ColumnDiffers(const ClientPicture& other, int x) const;
  // Same size, every pixel the same.
  bool operator==(const ClientPicture& other) const;

 private:
  const DWORD* Pixel(int x, int y) const { return pixels_ + static_cast<size_t>(y) * width_ + x; }
  void Release();

  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  DWORD* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};
