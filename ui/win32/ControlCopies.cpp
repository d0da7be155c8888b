#include "ui/win32/ControlCopies.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {
// Puts the control into another state without a repaint: WM_SETREDRAW, the way to change a
// window without repainting it, holds painting back while the state is set. Nothing repaints the
// control after: no message is handled, and the change invalidated nothing.
template <typename SetState>
void SetUnseen(HWND control, SetState setState) {
  SendMessageW(control, WM_SETREDRAW, FALSE, 0);
  setState();
  SendMessageW(control, WM_SETREDRAW, TRUE, 0);
}

// The control's own paint of a state set unseen; taken with painting allowed again, since some
// controls paint nothing while it is held back.
template <typename SetState>
MemoryPicture PaintedIn(HWND control, SetState setState) {
  SetUnseen(control, setState);
  return MemoryPicture::Of(control);
}
}  // namespace

bool ControlCopy::Ready() {
  if (state_ == State::Unknown) {
    state_ = State::Unusable;
    RECT client{};
    GetClientRect(control_, &client);
    place_ = client;
    MapWindowPoints(control_, GetParent(control_), reinterpret_cast<POINT*>(&place_), 2);
    frame_ = MemoryPicture(client.right, client.bottom);
    if (!frame_.Empty() && Prepare()) state_ = State::Usable;
  }
  return state_ == State::Usable;
}

void ControlCopy::Forget() {
  state_ = State::Unknown;
  frame_ = MemoryPicture();
}

void ControlCopy::DrawInParent(HDC parentDc) {
  Compose(frame_);
  BitBlt(parentDc, place_.left, place_.top, frame_.Width(), frame_.Height(), frame_.Dc(), 0, 0, SRCCOPY);
}

bool ProgressBarCopy::Prepare() {
  const auto style = GetWindowLongW(control_, GWL_STYLE);
  if ((style & (PBS_VERTICAL | PBS_MARQUEE)) != 0) return false;
  PBRANGE limits{};
  SendMessageW(control_, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&limits));
  min_ = limits.iLow;
  max_ = limits.iHigh;
  if (max_ <= min_) return false;

  // The bar as it is, at its minimum and at its maximum: the columns that differ between these
  // two are the ones that fill. Then the bar at four positions over the range, two whose exact
  // filled width ends in half a pixel or more and two in less, which hold the copy to the
  // control's rounding.
  UpdateWindow(control_);  // whatever it still had to paint
  const int shownAt = static_cast<int>(SendMessageW(control_, PBM_GETPOS, 0, 0));
  MemoryPicture shown = MemoryPicture::Of(control_);
  std::vector<std::pair<int, MemoryPicture>> samples;
  const auto paintAt = [this](int position) {
    return PaintedIn(control_, [&] { SendMessageW(control_, PBM_SETPOS, position, 0); });
  };
  empty_ = paintAt(min_);
  full_ = paintAt(max_);
  fillLeft_ = 0;
  while (fillLeft_ < full_.Width() && !full_.ColumnDiffers(empty_, fillLeft_)) ++fillLeft_;
  fillRight_ = full_.Width();
  while (fillRight_ > fillLeft_ && !full_.ColumnDiffers(empty_, fillRight_ - 1)) --fillRight_;
  const long long range = max_ - min_;
  for (const int fifths : {1, 2, 3, 4}) {
    const bool halfOrMore = fifths % 2 == 1;
    int position = min_ + static_cast<int>(range * fifths / 5);
    const auto share = [&](int at) { return (static_cast<long long>(at - min_) * (fillRight_ - fillLeft_)) % range; };
    while (position < max_ && (2 * share(position) >= range) != halfOrMore) ++position;
    samples.emplace_back(position, paintAt(position));
  }
  SetUnseen(control_, [&] { SendMessageW(control_, PBM_SETPOS, shownAt, 0); });
  if (fillLeft_ == fillRight_) return false;
  samples.emplace_back(shownAt, std::move(shown));

  MemoryPicture composed(full_.Width(), full_.Height());
  return std::all_of(samples.begin(), samples.end(), [&](const auto& sample) {
    ComposeAt(composed, sample.first);
    return composed == sample.second;
  });
}

void ProgressBarCopy::Compose(MemoryPicture& picture) const { ComposeAt(picture, position_); }

void ProgressBarCopy::ComposeAt(MemoryPicture& picture, int position) const {
  // The control's own rule: the filled width is the position's share of the fill's width,
  // rounded to the nearest pixel.
  const int filled = fillLeft_ + MulDiv(std::clamp(position, min_, max_) - min_, fillRight_ - fillLeft_, max_ - min_);
  BitBlt(picture.Dc(), 0, 0, filled, picture.Height(), full_.Dc(), 0, 0, SRCCOPY);
  BitBlt(picture.Dc(), filled, 0, picture.Width() - filled, picture.Height(), empty_.Dc(), filled, 0, SRCCOPY);
}

bool StatusBarCopy::Prepare() {
  if (SendMessageW(control_, SB_ISSIMPLE, 0, 0) || SendMessageW(control_, SB_GETPARTS, 0, 0) != 1) return false;
  font_ = reinterpret_cast<HFONT>(SendMessageW(control_, WM_GETFONT, 0, 0));
  const auto lengthAndType = static_cast<DWORD>(SendMessageW(control_, SB_GETTEXTLENGTHW, 0, 0));
  if (font_ == nullptr || HIWORD(lengthAndType) != 0 ||
      !SendMessageW(control_, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part_))) {
    return false;  // a drawing style or an icon of its own, or no font to draw the text in
  }
  std::wstring shownText(LOWORD(lengthAndType) + 1, L'\0');
  SendMessageW(control_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(shownText.data()));
  shownText.resize(LOWORD(lengthAndType));

  // The bar as it is, without text, and with the coming text.
  UpdateWindow(control_);  // whatever it still had to paint
  const MemoryPicture shown = MemoryPicture::Of(control_);
  const auto paintWith = [this](const wchar_t* text) {
    return PaintedIn(control_, [&] { SendMessageW(control_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text)); });
  };
  blank_ = paintWith(L"");
  const MemoryPicture withComingText = paintWith(text_.c_str());
  SetUnseen(control_, [&] { SendMessageW(control_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(shownText.c_str())); });
  MemoryPicture composed(blank_.Width(), blank_.Height());
  ComposeWith(composed, shownText);
  if (!(composed == shown)) return false;
  ComposeWith(composed, text_);
  return composed == withComingText;
}

void StatusBarCopy::Compose(MemoryPicture& picture) const { ComposeWith(picture, text_); }

void StatusBarCopy::ComposeWith(MemoryPicture& picture, const std::wstring& text) const {
  BitBlt(picture.Dc(), 0, 0, picture.Width(), picture.Height(), blank_.Dc(), 0, 0, SRCCOPY);
  // As the status bar draws a part's text: in its font and the button text colour, without a
  // background, three pixels in from the part's left edge, on one line, centred from top to bottom.
  const HGDIOBJ previous = SelectObject(picture.Dc(), font_);
  SetBkMode(picture.Dc(), TRANSPARENT);
  SetTextColor(picture.Dc(), GetSysColor(COLOR_BTNTEXT));
  RECT area = part_;
  area.left += 3;
  DrawTextW(picture.Dc(), text.c_str(), -1, &area, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(picture.Dc(), previous);
}
