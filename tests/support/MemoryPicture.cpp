// SPDX-License-Identifier: MIT
#include "tests/support/MemoryPicture.h"

#include <algorithm>
#include <utility>

namespace {
// The colour; the screen shows no alpha, and some paints set it while others leave it.
DWORD Visible(DWORD pixel) { return pixel & 0x00FFFFFFu; }
}  // namespace

MemoryPicture::MemoryPicture(int width, int height) {
  if (width <= 0 || height <= 0) return;
  BITMAPINFO format{};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  dc_ = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(dc_, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dc_ == nullptr || bitmap_ == nullptr) {
    Release();
    return;
  }
  previous_ = SelectObject(dc_, bitmap_);
  pixels_ = static_cast<DWORD*>(bits);
  width_ = width;
  height_ = height;
}

MemoryPicture::~MemoryPicture() { Release(); }

MemoryPicture::MemoryPicture(MemoryPicture&& other) noexcept { *this = std::move(other); }

MemoryPicture& MemoryPicture::operator=(MemoryPicture&& other) noexcept {
  if (this != &other) {
    Release();
    dc_ = std::exchange(other.dc_, nullptr);
    bitmap_ = std::exchange(other.bitmap_, nullptr);
    previous_ = std::exchange(other.previous_, nullptr);
    pixels_ = std::exchange(other.pixels_, nullptr);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
  }
  return *this;
}

void MemoryPicture::Release() {
  if (dc_ != nullptr && previous_ != nullptr) SelectObject(dc_, previous_);
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  if (dc_ != nullptr) DeleteDC(dc_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  previous_ = nullptr;
  pixels_ = nullptr;
  width_ = height_ = 0;
}

MemoryPicture MemoryPicture::Of(HWND control) {
  RECT client{};
  GetClientRect(control, &client);
  MemoryPicture picture(client.right, client.bottom);
  if (picture.Empty()) return picture;
  // A colour no control paints, so that pixels a paint leaves alone count as differences too.
  std::fill(picture.pixels_, picture.pixels_ + static_cast<size_t>(picture.width_) * picture.height_, 0x00FF00FFu);
  SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture.dc_), PRF_CLIENT | PRF_ERASEBKGND);
  GdiFlush();  // the pixels are read directly
  return picture;
}

MemoryPicture MemoryPicture::OnScreen(HWND control) {
  RECT client{};
  GetClientRect(control, &client);
  MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&client), 2);
  MemoryPicture picture(client.right - client.left, client.bottom - client.top);
  if (picture.Empty()) return picture;
  const HDC screen = GetDC(nullptr);
  BitBlt(picture.dc_, 0, 0, picture.width_, picture.height_, screen, client.left, client.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  GdiFlush();
  return picture;
}

bool MemoryPicture::operator==(const MemoryPicture& other) const {
  if (Empty() || other.Empty() || width_ != other.width_ || height_ != other.height_) return false;
  GdiFlush();  // a picture drawn into since
  return std::equal(pixels_, pixels_ + static_cast<size_t>(width_) * height_, other.pixels_,
                    [](DWORD mine, DWORD theirs) { return Visible(mine) == Visible(theirs); });
}
