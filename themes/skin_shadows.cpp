#include "themes/skin_shadows.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "runtime/ui/forms.h"
#include "runtime/ui/simple_timer.h"
#include "toolbars/bar_common.h"

namespace movra::skin {

namespace {

constexpr const char* kUtilsUnit = "SkinUtils";
constexpr int kNoLayeredWindowLine = 1574;
constexpr int kNoAlphaBlendLine = 1630;

// Hidden shadow windows kept for later popups; more than two popups' worth is never needed at
// once, since only a menu and its open submenus cast shadows together.
constexpr size_t kKeptShadows = 12;
std::vector<TShadow*>& KeptShadows() {
  static auto* kept = new std::vector<TShadow*>;
  return *kept;
}

// A kept window of this orientation and style, or none. Windows the system destroyed with their
// owner, and those of another style (the display has changed), are freed on the way.
TShadow* TakeKeptShadow(bool horizontal, TShadowStyle style) {
  std::vector<TShadow*>& kept = KeptShadows();
  for (auto it = kept.begin(); it != kept.end();) {
    TShadow* shadow = *it;
    if (!shadow->HandleAllocated() || shadow->Style() != style) {
      it = kept.erase(it);
      ui::Free(shadow);
      continue;
    }
    if (shadow->IsHorizontal() == horizontal) {
      kept.erase(it);
      return shadow;
    }
    ++it;
  }
  return nullptr;
}

// Keeps a popup's part for the next popup, or frees it when enough are kept.
void KeepShadow(TShadow* shadow) {
  std::vector<TShadow*>& kept = KeptShadows();
  if (shadow->HandleAllocated() && kept.size() < kKeptShadows) {
    shadow->Withdraw();
    kept.push_back(shadow);
  } else {
    ui::Free(shadow);
  }
}

// Made ahead of each orientation: as many as a drop-down from a menu bar or a submenu casts.
constexpr size_t kShadowsAhead = 3;
ui::TSimpleTimer* aheadTimer = nullptr;
TShadowStyle aheadStyle = shsPlain;

void MakeKeptShadows(ui::TSimpleTimer*) {
  for (bool horizontal : {true, false}) {
    // Taking them all out and back frees those of another style and counts the rest.
    std::vector<TShadow*> made;
    while (TShadow* shadow = TakeKeptShadow(horizontal, aheadStyle)) made.push_back(shadow);
    try {
      while (made.size() < kShadowsAhead) {
        const RECT nowhere{0, 0, 1, 1};
        TShadow* shadow = horizontal ? static_cast<TShadow*>(new THorzShadow(nowhere, 0, 0, aheadStyle))
                                     : new TVertShadow(nowhere, 0, 0, aheadStyle);
        made.push_back(shadow);
        shadow->HandleNeeded();
        shadow->MakeLayered();
      }
    } catch (...) {
      // A window that cannot be made ahead is made, or fails, when a popup needs it.
    }
    for (TShadow* shadow : made) KeepShadow(shadow);
  }
}

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

void Put(TShadowGeometry& g, int slot, bool horizontal, RECT bounds, uint8_t edges) {
  // An opener narrower than the shadow, or a popup shorter than it, leaves parts without area.
  if (Empty(bounds)) return;
  g[static_cast<size_t>(slot)] = {true, horizontal, bounds, edges};
}

// Alpha of a soft corner cell; m is the larger side of the cell, b and d the distances from
// the corner's centre.
uint32_t CornerAlpha(int b, int d, int m) {
  const int e = (std::max(b, d) + b + d) * 128 / m;
  return e > 254 ? 0u : static_cast<uint32_t>(255 - e);
}

// The widths of the start and end corners along a band of `length` with corners of `side`.
void CornerLengths(int length, int side, uint8_t edges, int& start, int& end) {
  start = (edges & seStartCorner) ? side : 0;
  end = (edges & seEndCorner) ? side : 0;
  if (start + end <= length) return;
  if (start && end) {
    start = length / 2;
    end = length - start;
  } else if (start) {
    start = length;
  } else {
    end = length;
  }
}

}  // namespace

// --- Geometry and pictures ------------------------------------------------------------------

TShadowGeometry ShadowGeometry(const RECT& popup, const RECT& item, int s) {
  TShadowGeometry g{};
  const bool noPopup = Empty(popup), noItem = Empty(item);
  if (noPopup && noItem) return g;
  if (noPopup || noItem) {
    const RECT& r = noPopup ? item : popup;
    Put(g, shV1, false, {r.right, r.top + s, r.right + s, r.bottom}, seStartCorner);
    Put(g, shH1, true, {r.left + s, r.bottom, r.right + s, r.bottom + s}, seStartCorner | seEndCorner);
    return g;
  }
  RECT p = popup, i = item;
  const bool overlapVertically = p.top + 2 < i.bottom && i.top < p.bottom - 2;
  if (overlapVertically) {
    if (p.left < i.left) std::swap(p, i);
    const bool sideBySide = p.left + 2 >= i.right || i.left >= p.right - 2;
    if (!sideBySide) return g;
    if (i.top + s < p.top) Put(g, shV1, false, {i.right, i.top + s, i.right + s, p.top}, seStartCorner);
    Put(g, shV2, false, {p.right, p.top + s, p.right + s, p.bottom + s}, seStartCorner | seEndCorner);
    Put(g, shH1, true, {i.left + s, i.bottom, i.right, i.bottom + s}, seStartCorner);
    if (p.bottom < i.bottom)
      Put(g, shV3, false, {i.right, p.bottom, i.right + s, i.bottom + s}, seStartCorner | seEndCorner);
    if (i.bottom + s < p.bottom)
      Put(g, shH2, true, {p.left + s, p.bottom, p.right, p.bottom + s}, seStartCorner);
    else
      Put(g, shH2, true, {p.left, p.bottom, p.right, p.bottom + s}, 0);
    return g;
  }
  if (p.top < i.top) std::swap(p, i);
  if (i.left + s < p.left) Put(g, shH1, true, {i.left + s, i.bottom, p.left, i.bottom + s}, seStartCorner);
  Put(g, shH2, true, {p.left + s, p.bottom, p.right + s, p.bottom + s}, seStartCorner | seEndCorner);
  Put(g, shV1, false, {i.right, i.top + s, i.right + s, i.bottom}, seStartCorner);
  if (p.right < i.right) Put(g, shH3, true, {p.right, i.bottom, i.right + s, i.bottom + s}, seStartCorner | seEndCorner);
  if (i.right + s < p.right)
    Put(g, shV2, false, {p.right, p.top + s, p.right + s, p.bottom}, seStartCorner);
  else
    Put(g, shV2, false, {p.right, p.top + 1, p.right + s, p.bottom}, 0);
  return g;
}

void FillShadowAlpha(uint32_t* bits, int w, int h, bool horizontal, uint8_t edges) {
  if (!bits || w <= 0 || h <= 0) return;
  auto at = [&](int x, int y) -> uint32_t& { return bits[static_cast<size_t>(y) * w + x]; };
  if (horizontal) {
    int start = 0, end = 0;
    CornerLengths(w, h, edges, start, end);
    for (int y = 0; y < h; ++y) {
      const uint32_t band = static_cast<uint32_t>(255 - y * 256 / h) << 24;
      for (int x = start; x < w - end; ++x) at(x, y) = band;
    }
    if (start > 0) {
      const int m = std::max(start, h);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < start; ++x) at(x, y) = CornerAlpha(std::abs(x - m + 1), std::abs(y + m - h), m) << 24;
    }
    if (end > 0) {
      const int m = std::max(end, h), left = w - end;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < end; ++x) at(left + x, y) = CornerAlpha(std::abs(x + m - end), std::abs(y + m - h), m) << 24;
    }
    return;
  }
  int start = 0, end = 0;
  CornerLengths(h, w, edges, start, end);
  for (int y = start; y < h - end; ++y)
    for (int x = 0; x < w; ++x) at(x, y) = static_cast<uint32_t>(255 - x * 256 / w) << 24;
  if (start > 0) {
    const int m = std::max(w, start);
    for (int y = 0; y < start; ++y)
      for (int x = 0; x < w; ++x) at(x, y) = CornerAlpha(std::abs(x + m - w), std::abs(y - m + 1), m) << 24;
  }
  if (end > 0) {
    const int m = std::max(w, end), top = h - end;
    for (int y = 0; y < end; ++y)
      for (int x = 0; x < w; ++x) at(x, top + y) = CornerAlpha(std::abs(x + m - w), std::abs(y + m - end), m) << 24;
  }
}

TShadowStyle ShadowStyleFor(bool lowColor, bool haveUpdateLayeredWindow, bool haveAlphaBlend) {
  if (lowColor) return shsPlain;
  if (haveUpdateLayeredWindow && haveAlphaBlend) return shsLayered;
  if (haveAlphaBlend) return shsAlphaBlended;
  return shsPlain;
}

// --- The shadow window ----------------------------------------------------------------------

TShadow::TShadow(const RECT& bounds, uint8_t opacity, uint8_t edges, TShadowStyle style)
    : TCustomControl(nullptr), opacity_(opacity), edges_(edges), style_(style) {
  // Made hidden: the window is shown behind its popup once it holds its picture.
  visible_ = false;
  SetColor(ui::clBtnShadow);
  SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

void TShadow::CreateParams(ui::TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = (params.Style | WS_POPUP) & ~(WS_CHILD | WS_GROUP | WS_TABSTOP);
  params.ExStyle |= WS_EX_TOOLWINDOW;
  HWND application = ui::Application().Handle();
  params.WndParent = application ? application : GetDesktopWindow();
  params.Menu = nullptr;
  if (saveBits_) {
    // A window class keeps one style: the save-bits shadows have their own.
    params.ClassStyle |= CS_SAVEBITS;
    params.WinClassName += L"S";
  }
}

void TShadow::Reuse(const RECT& bounds, uint8_t opacity, uint8_t edges) {
  opacity_ = opacity;
  edges_ = edges;
  SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

void TShadow::Withdraw() {
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW | SWP_NOOWNERZORDER |
                   SWP_NOSENDCHANGING);
}

HDC TShadow::MakeAlphaBitmap(HBITMAP& bitmap, HGDIOBJ& old) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = Width();
  info.bmiHeader.biHeight = -Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  FillAlpha(static_cast<uint32_t*>(bits), Width(), Height());
  HDC dc = CreateCompatibleDC(nullptr);
  old = SelectObject(dc, bitmap);
  return dc;
}

void TShadow::FreeAlphaBitmap(HDC dc, HBITMAP bitmap, HGDIOBJ old) {
  if (dc) {
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  if (bitmap) DeleteObject(bitmap);
}

void TShadow::MakeLayered() {
  if (style_ != shsLayered) return;
  auto update = SkinEntryPoints().UpdateLayeredWindow;
  if (!update) SkinAssertionFailure(kUtilsUnit, kNoLayeredWindowLine);
  HWND window = Handle();
  const LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
  if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(window, GWL_EXSTYLE, ex | WS_EX_LAYERED);
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  HDC source = MakeAlphaBitmap(bitmap, old);
  if (!source) return;
  HDC screen = GetDC(nullptr);
  POINT position{Left(), Top()};
  SIZE size{Width(), Height()};
  POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity_, AC_SRC_ALPHA};
  update(window, screen, &position, &size, source, &origin, 0, &blend, ULW_ALPHA);
  ReleaseDC(nullptr, screen);
  FreeAlphaBitmap(source, bitmap, old);
}

void TShadow::ShowBehind(HWND popup) {
  SetWindowPos(Handle(), popup, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
}

bool TShadow::EraseBlended(HDC dc) {
  bars::DispatchPendingPaints();
  auto blend = SkinEntryPoints().AlphaBlend;
  if (!blend) SkinAssertionFailure(kUtilsUnit, kNoAlphaBlendLine);
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  HDC source = MakeAlphaBitmap(bitmap, old);
  if (source) blend(dc, 0, 0, Width(), Height(), source, 0, 0, Width(), Height(), {AC_SRC_OVER, 0, opacity_, AC_SRC_ALPHA});
  FreeAlphaBitmap(source, bitmap, old);
  return true;
}

void TShadow::WndProc(ui::TMessage& m) {
  switch (m.Msg) {
    case WM_NCHITTEST:
      m.Result = HTTRANSPARENT;
      return;
    case WM_ERASEBKGND:
      if (style_ == shsAlphaBlended) {
        m.Result = EraseBlended(reinterpret_cast<HDC>(m.WParam)) ? 1 : 0;
        return;
      }
      break;
    default:
      break;
  }
  TCustomControl::WndProc(m);
}

void THorzShadow::FillAlpha(uint32_t* bits, int width, int height) {
  FillShadowAlpha(bits, width, height, true, Edges());
}

void TVertShadow::FillAlpha(uint32_t* bits, int width, int height) {
  FillShadowAlpha(bits, width, height, false, Edges());
}

// --- A popup's shadows ----------------------------------------------------------------------

TShadows::TShadows(const RECT& popup, const RECT& item, bool lowColor, uint8_t opacity, int size) {
  const TSkinEntryPoints& entries = SkinEntryPoints();
  const bool layered = entries.UpdateLayeredWindow != nullptr, blended = entries.AlphaBlend != nullptr;
  if (lowColor || (!layered && !blended)) size /= 2;
  const TShadowStyle style = ShadowStyleFor(lowColor, layered, blended);
  const TShadowGeometry geometry = ShadowGeometry(popup, item, size);
  try {
    for (size_t slot = 0; slot < parts_.size(); ++slot) {
      const TShadowPartSpec& spec = geometry[slot];
      if (!spec.Present) continue;
      if (TShadow* kept = TakeKeptShadow(spec.Horizontal, style)) {
        parts_[slot] = kept;
        kept->Reuse(spec.Bounds, opacity, spec.Edges);
        continue;
      }
      if (spec.Horizontal)
        parts_[slot] = new THorzShadow(spec.Bounds, opacity, spec.Edges, style);
      else
        parts_[slot] = new TVertShadow(spec.Bounds, opacity, spec.Edges, style);
      parts_[slot]->HandleNeeded();
    }
    for (TShadow* part : parts_)
      if (part) part->MakeLayered();
  } catch (...) {
    for (TShadow*& part : parts_) {
      ui::Free(part);
      part = nullptr;
    }
    throw;
  }
  saveBits_ = true;
  for (TShadow* part : parts_)
    if (part) part->SetSaveBits(true);
}

TShadows::~TShadows() {
  for (TShadow*& part : parts_) {
    if (part) KeepShadow(part);
    part = nullptr;
  }
}

void TShadows::Show(HWND popup) {
  for (TShadow* part : parts_)
    if (part) part->ShowBehind(popup);
}

void MakeShadowsAhead(bool lowColor) {
  const TSkinEntryPoints& entries = SkinEntryPoints();
  aheadStyle = ShadowStyleFor(lowColor, entries.UpdateLayeredWindow != nullptr, entries.AlphaBlend != nullptr);
  if (!aheadTimer) {
    aheadTimer = new ui::TSimpleTimer(1, ui::TSimpleTimerEvent(&MakeKeptShadows));
    aheadTimer->AutoDisable = true;
  }
  aheadTimer->SetEnabled(true);
}

void FreeKeptShadows() {
  delete aheadTimer;
  aheadTimer = nullptr;
  std::vector<TShadow*>& kept = KeptShadows();
  while (!kept.empty()) {
    TShadow* shadow = kept.back();
    kept.pop_back();
    ui::Free(shadow);
  }
}

}  // namespace movra::skin
