#include "runtime/ui/graphics.h"

#include <algorithm>
#include <cstddef>

#include "runtime/text.h"

namespace movra::ui {

COLORREF ColorToRGB(TColor color) {
  if (color == clNone || color == clDefault) return 0;
  if (color < 0) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}

namespace {

int ScreenPixelsPerInch() {
  static int ppi = [] {
    HDC dc = GetDC(nullptr);
    int v = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return v > 0 ? v : 96;
  }();
  return ppi;
}

}  // namespace

// --- GDI objects -----------------------------------------------------------------------------

TGraphicsObject::~TGraphicsObject() { ReleaseHandle(); }

void TGraphicsObject::ReleaseHandle() {
  if (!handle_) return;
  // A handle still selected into a device context would not be deleted.
  if (OnReleasing) OnReleasing(this);
  DeleteObject(handle_);
  handle_ = nullptr;
}

void TGraphicsObject::Changed() {
  ReleaseHandle();
  if (OnChange) OnChange(this);
}

TFont::TFont() : name_("MS Shell Dlg 2"), height_(-MulDiv(8, ScreenPixelsPerInch(), 72)) {}

void TFont::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, ScreenPixelsPerInch()); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }

void TFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  // The colour is not part of the GDI font: keep the handle.
  if (OnChange) OnChange(this);
}

void TFont::SetStyle(unsigned style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TFont::SetCharset(BYTE charset) {
  if (charset == charset_) return;
  charset_ = charset;
  Changed();
}

void TFont::SetPitch(BYTE pitch) {
  if (pitch == pitch_) return;
  pitch_ = pitch;
  Changed();
}

void TFont::SetOrientation(int tenths) {
  if (tenths == orientation_) return;
  orientation_ = tenths;
  Changed();
}

LOGFONTW TFont::LogFont() const {
  LOGFONTW lf{};
  lf.lfHeight = height_;
  lf.lfEscapement = orientation_;
  lf.lfOrientation = orientation_;
  lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
  lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = charset_;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = pitch_;
  std::wstring face = Utf8ToWide(name_);
  wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return lf;
}

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTW lf = LogFont();
    handle_ = CreateFontIndirectW(&lf);
  }
  return static_cast<HFONT>(handle_);
}

void TFont::AssignLogFont(const LOGFONTW& lf) {
  std::wstring face(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE));
  unsigned style = (lf.lfWeight >= FW_BOLD ? fsBold : 0u) | (lf.lfItalic ? fsItalic : 0u) |
                   (lf.lfUnderline ? fsUnderline : 0u) | (lf.lfStrikeOut ? fsStrikeOut : 0u);
  std::string name = WideToUtf8(face);
  if (name == name_ && lf.lfHeight == height_ && style == style_ && lf.lfCharSet == charset_ &&
      (lf.lfPitchAndFamily & 0x0F) == pitch_ && lf.lfEscapement == orientation_)
    return;
  name_ = name;
  height_ = lf.lfHeight;
  style_ = style;
  charset_ = lf.lfCharSet;
  pitch_ = lf.lfPitchAndFamily & 0x0F;
  orientation_ = lf.lfEscapement;
  Changed();
}

void TFont::SetHandle(HFONT font) {
  LOGFONTW lf{};
  if (font && GetObjectW(font, sizeof(lf), &lf) == sizeof(lf)) AssignLogFont(lf);
}

bool GetNonClientMetrics(NONCLIENTMETRICSW& metrics) {
  // The record grew with Windows Vista; the older size is the one every version takes.
  constexpr UINT kPortableSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
  metrics = NONCLIENTMETRICSW{};
  metrics.cbSize = kPortableSize;
  return SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kPortableSize, &metrics, 0) != FALSE;
}

void TFont::Assign(const TPersistent& source) {
  auto* font = dynamic_cast<const TFont*>(&source);
  if (!font) return TPersistent::Assign(source);
  if (name_ == font->name_ && height_ == font->height_ && color_ == font->color_ && style_ == font->style_ &&
      charset_ == font->charset_ && pitch_ == font->pitch_ && orientation_ == font->orientation_)
    return;
  name_ = font->name_;
  height_ = font->height_;
  color_ = font->color_;
  style_ = font->style_;
  charset_ = font->charset_;
  pitch_ = font->pitch_;
  orientation_ = font->orientation_;
  Changed();
}

void TFont::GetProperties(TPropertyList& properties) {
  properties.AddText("Name", [this] { return name_; }, [this](const std::string& s) { SetName(s); });
}

void TPen::SetColor(TColor color) {
  if (color != color_) color_ = color, Changed();
}
void TPen::SetWidth(int width) {
  if (width != width_) width_ = width, Changed();
}
void TPen::SetStyle(TPenStyle style) {
  if (style != style_) style_ = style, Changed();
}

void TPen::Assign(const TPersistent& source) {
  auto* pen = dynamic_cast<const TPen*>(&source);
  if (!pen) return TPersistent::Assign(source);
  if (pen->color_ == color_ && pen->width_ == width_ && pen->style_ == style_) return;
  color_ = pen->color_;
  width_ = pen->width_;
  style_ = pen->style_;
  Changed();
}

HPEN TPen::Handle() {
  if (!handle_) {
    int style = style_ == TPenStyle::psDash ? PS_DASH
                : style_ == TPenStyle::psDot ? PS_DOT
                : style_ == TPenStyle::psClear || color_ == clNone ? PS_NULL
                                                                     : PS_SOLID;
    handle_ = CreatePen(style, width_, ColorToRGB(color_));
  }
  return static_cast<HPEN>(handle_);
}

TBrush::~TBrush() = default;

void TBrush::SetBitmap(const TBitmap* bitmap) {
  if (!bitmap && !bitmap_) return;
  if (bitmap) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(*bitmap);
    copy->Dormant();
    bitmap_ = std::move(copy);
  } else {
    bitmap_.reset();
  }
  Changed();
}

void TBrush::SetColor(TColor color) {
  if (color != color_) color_ = color, Changed();
}
void TBrush::SetStyle(TBrushStyle style) {
  if (style != style_) style_ = style, Changed();
}

void TBrush::Assign(const TPersistent& source) {
  auto* brush = dynamic_cast<const TBrush*>(&source);
  if (!brush) return TPersistent::Assign(source);
  if (brush->color_ == color_ && brush->style_ == style_ && !brush->bitmap_ && !bitmap_) return;
  color_ = brush->color_;
  style_ = brush->style_;
  if (brush->bitmap_) {
    bitmap_ = std::make_unique<TBitmap>();
    bitmap_->Assign(*brush->bitmap_);
    bitmap_->Dormant();
  } else {
    bitmap_.reset();
  }
  Changed();
}

HBRUSH TBrush::Handle() {
  if (!handle_) {
    if (bitmap_ && !bitmap_->Empty())
      handle_ = CreatePatternBrush(bitmap_->Handle());
    else if (style_ == TBrushStyle::bsClear || color_ == clNone)
      handle_ = GetStockObject(NULL_BRUSH);
    else
      handle_ = CreateSolidBrush(ColorToRGB(color_));
  }
  return static_cast<HBRUSH>(handle_);
}

// --- TCanvas ---------------------------------------------------------------------------------

TCanvas::TCanvas() {
  font_.OnReleasing = TNotifyEvent(this, &TCanvas::ReleasingObject);
  pen_.OnReleasing = TNotifyEvent(this, &TCanvas::ReleasingObject);
  brush_.OnReleasing = TNotifyEvent(this, &TCanvas::ReleasingObject);
}

void TCanvas::ReleasingObject(TObject* object) {
  if (!dc_) return;
  HGDIOBJ* old = object == &font_ ? &oldFont_ : object == &pen_ ? &oldPen_ : &oldBrush_;
  if (*old) SelectObject(dc_, *old);
  *old = nullptr;
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  Deselect();
  dc_ = dc;
}

void TCanvas::Select(bool pen, bool brush, bool font) {
  if (!dc_) throw Exception("Canvas does not allow drawing");
  if (pen) {
    HGDIOBJ old = SelectObject(dc_, pen_.Handle());
    if (!oldPen_) oldPen_ = old;
  }
  if (brush) {
    HGDIOBJ old = SelectObject(dc_, brush_.Handle());
    if (!oldBrush_) oldBrush_ = old;
    SetBkColor(dc_, ColorToRGB(brush_.Color()));
    SetBkMode(dc_, brush_.Style() == TBrushStyle::bsClear || brush_.Color() == clNone ? TRANSPARENT : OPAQUE);
  }
  if (font) {
    HGDIOBJ old = SelectObject(dc_, font_.Handle());
    if (!oldFont_) oldFont_ = old;
    SetTextColor(dc_, ColorToRGB(font_.Color()));
  }
}

void TCanvas::Deselect() {
  if (!dc_) return;
  if (oldPen_) SelectObject(dc_, oldPen_);
  if (oldBrush_) SelectObject(dc_, oldBrush_);
  if (oldFont_) SelectObject(dc_, oldFont_);
  oldPen_ = oldBrush_ = oldFont_ = nullptr;
}

void TCanvas::FillRect(const RECT& rect) {
  Select(false, true, false);
  if (brush_.Bitmap() || (brush_.Style() != TBrushStyle::bsClear && brush_.Color() != clNone))
    ::FillRect(dc_, &rect, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& rect) {
  Select(false, true, false);
  if (brush_.Color() != clNone) ::FrameRect(dc_, &rect, brush_.Handle());
}

void TCanvas::Rectangle(const RECT& rect) {
  Select(true, true, false);
  ::Rectangle(dc_, rect.left, rect.top, rect.right, rect.bottom);
}

void TCanvas::RoundRect(const RECT& rect, int cornerWidth, int cornerHeight) {
  Select(true, true, false);
  ::RoundRect(dc_, rect.left, rect.top, rect.right, rect.bottom, cornerWidth, cornerHeight);
}

void TCanvas::Ellipse(const RECT& rect) {
  Select(true, true, false);
  ::Ellipse(dc_, rect.left, rect.top, rect.right, rect.bottom);
}

void TCanvas::MoveTo(int x, int y) {
  Select(true, false, false);
  MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Select(true, false, false);
  ::LineTo(dc_, x, y);
}

POINT TCanvas::PenPos() {
  Select(false, false, false);
  POINT p{};
  GetCurrentPositionEx(dc_, &p);
  return p;
}

void TCanvas::Polyline(const std::vector<POINT>& points) {
  Select(true, false, false);
  if (!points.empty()) ::Polyline(dc_, points.data(), static_cast<int>(points.size()));
}

void TCanvas::Polygon(const std::vector<POINT>& points) {
  Select(true, true, false);
  if (!points.empty()) ::Polygon(dc_, points.data(), static_cast<int>(points.size()));
}

void TCanvas::DrawFocusRect(const RECT& rect) {
  Select(false, true, false);
  ::DrawFocusRect(dc_, &rect);
}

COLORREF TCanvas::Pixel(int x, int y) {
  Select(false, false, false);
  return ::GetPixel(dc_, x, y);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  Select(false, false, false);
  ::SetPixelV(dc_, x, y, ColorToRGB(color));
}

RECT TCanvas::ClipRect() {
  Select(false, false, false);
  RECT r{};
  ::GetClipBox(dc_, &r);
  return r;
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& from, const RECT& source) {
  Select(false, true, false);
  from.Select(false, false, false);
  int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  int sw = source.right - source.left, sh = source.bottom - source.top;
  if (dw == sw && dh == sh)
    BitBlt(dc_, dest.left, dest.top, dw, dh, from.dc_, source.left, source.top, CopyMode);
  else
    StretchBlt(dc_, dest.left, dest.top, dw, dh, from.dc_, source.left, source.top, sw, sh, CopyMode);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  Select(false, true, true);
  std::wstring w = Utf8ToWide(text);
  ::TextOutW(dc_, x, y, w.c_str(), static_cast<int>(w.size()));
}

void TCanvas::TextRect(const RECT& rect, const std::string& text, UINT format) {
  Select(false, true, true);
  std::wstring w = Utf8ToWide(text);
  RECT r = rect;
  ::DrawTextW(dc_, w.c_str(), static_cast<int>(w.size()), &r, format);
}

SIZE TCanvas::TextExtent(const std::string& text) {
  Select(false, false, true);
  std::wstring w = Utf8ToWide(text);
  SIZE size{};
  ::GetTextExtentPoint32W(dc_, w.c_str(), static_cast<int>(w.size()), &size);
  return size;
}

void TCanvas::Draw(int x, int y, TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  Select(false, false, false);
  BitBlt(dc_, x, y, bitmap.Width(), bitmap.Height(), bitmap.Canvas().Handle(), 0, 0, SRCCOPY);
}

void TCanvas::StretchDraw(const RECT& rect, TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  Select(false, false, false);
  SetStretchBltMode(dc_, HALFTONE);
  StretchBlt(dc_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, bitmap.Canvas().Handle(),
             0, 0, bitmap.Width(), bitmap.Height(), SRCCOPY);
}

// --- TBitmap ---------------------------------------------------------------------------------

TBitmap::TBitmap(int width, int height, TPixelFormat format) { SetSize(width, height, format); }

TBitmap::~TBitmap() { Release(); }

void TBitmap::Dormant() {
  if (canvas_) canvas_->SetHandle(nullptr);
  if (dc_) {
    SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
    dc_ = nullptr;
  }
}

void TBitmap::Release() {
  Dormant();
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
}

void TBitmap::SetSize(int width, int height, TPixelFormat format) {
  Release();
  format_ = format;
  if (width <= 0 || height <= 0) return;
  width_ = width;
  height_ = height;
  if (format == TPixelFormat::pf1bit) {
    bitmap_ = CreateBitmap(width, height, 1, 1, nullptr);
    return;
  }
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<uint32_t*>(bits);
  if (!bitmap_) width_ = height_ = 0;
}

TCanvas& TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TCanvas>();
  if (!dc_ && bitmap_) {
    dc_ = CreateCompatibleDC(nullptr);
    oldBitmap_ = SelectObject(dc_, bitmap_);
  }
  canvas_->SetHandle(dc_);
  return *canvas_;
}

void TBitmap::SetHandle(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) {
    Release();
    return;
  }
  SetSize(info.bmWidth, info.bmHeight);
  HDC src = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(src, bitmap);
  BitBlt(Canvas().Handle(), 0, 0, width_, height_, src, 0, 0, SRCCOPY);
  SelectObject(src, old);
  DeleteDC(src);
  DeleteObject(bitmap);
  GdiFlush();
}

bool TBitmap::LoadFromResourceName(HINSTANCE instance, const std::wstring& name) {
  HBITMAP loaded =
      static_cast<HBITMAP>(LoadImageW(instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!loaded) return false;
  SetHandle(loaded);
  return true;
}

void TBitmap::Assign(const TPersistent& source) {
  auto* other = dynamic_cast<const TBitmap*>(&source);
  if (!other) return TPersistent::Assign(source);
  if (other == this) return;
  SetSize(other->width_, other->height_, other->format_);
  if (!other->bitmap_) return;
  // A bitmap can be selected into one drawing context only: copy through the source's own
  // canvas, which may hold it already.
  HDC src = const_cast<TBitmap*>(other)->Canvas().Handle();
  BitBlt(Canvas().Handle(), 0, 0, width_, height_, src, 0, 0, SRCCOPY);
}

// --- TIcon -----------------------------------------------------------------------------------

TIcon::~TIcon() {
  if (icon_) DestroyIcon(icon_);
}

void TIcon::SetHandle(HICON icon) {
  if (icon == icon_) return;
  if (icon_) DestroyIcon(icon_);
  icon_ = icon;
  if (OnChange) OnChange(this);
}

void TIcon::Assign(const TPersistent& source) {
  auto* other = dynamic_cast<const TIcon*>(&source);
  if (!other) return TPersistent::Assign(source);
  if (other == this) return;
  SetHandle(other->icon_ ? CopyIcon(other->icon_) : nullptr);
}

// --- Image lists -----------------------------------------------------------------------------

TChangeLink::~TChangeLink() {
  if (sender_) sender_->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(sender_);
}

TCustomImageList::TCustomImageList(TComponent* owner, int width, int height)
    : TComponent(owner), width_(width), height_(height) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : links_) link->sender_ = nullptr;
  if (list_) ImageList_Destroy(list_);
}

void TCustomImageList::Create() {
  if (!list_) list_ = ImageList_Create(width_, height_, ILC_COLOR32 | ILC_MASK, 4, 4);
}

HIMAGELIST TCustomImageList::Handle() {
  Create();
  return list_;
}

void TCustomImageList::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  if (list_) ImageList_Destroy(list_);
  list_ = nullptr;
  width_ = width;
  height_ = height;
  Change();
}

int TCustomImageList::Count() const { return list_ ? ImageList_GetImageCount(list_) : 0; }

int TCustomImageList::Add(TBitmap& image, TBitmap* mask) {
  int index = ImageList_Add(Handle(), image.Handle(), mask ? mask->Handle() : nullptr);
  Change();
  return index;
}

int TCustomImageList::AddMasked(TBitmap& image, TColor maskColor) {
  // A copy, because comctl32 blackens the masked pixels of the bitmap it is given.
  TBitmap copy;
  copy.Assign(image);
  // Nor can the image list select a bitmap that is still in its canvas.
  copy.Dormant();
  int index = ImageList_AddMasked(Handle(), copy.Handle(), ColorToRGB(maskColor));
  Change();
  return index;
}

int TCustomImageList::AddIcon(const TIcon& icon) {
  if (icon.Empty()) return -1;
  int index = ImageList_ReplaceIcon(Handle(), -1, icon.Handle());
  Change();
  return index;
}

void TCustomImageList::Delete(int index) {
  if (list_ && ImageList_Remove(list_, index)) Change();
}

void TCustomImageList::Clear() { Delete(-1); }

bool TCustomImageList::ResourceLoad(HINSTANCE instance, const std::wstring& name, TColor maskColor) {
  TBitmap strip;
  if (!strip.LoadFromResourceName(instance, name)) return false;
  return AddMasked(strip, maskColor) >= 0;
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) {
  Draw(canvas.Handle(), x, y, index, enabled);
}

void TCustomImageList::Replace(int index, TBitmap& image, TColor maskColor) {
  if (!list_ || index < 0 || index >= Count()) return;
  TBitmap copy;
  copy.Assign(image);
  copy.Dormant();
  if (maskColor == clNone) {
    ImageList_Replace(list_, index, copy.Handle(), nullptr);
  } else {
    // The masked form has no replacing call: add, then move the new image into place.
    int added = ImageList_AddMasked(list_, copy.Handle(), ColorToRGB(maskColor));
    if (added >= 0) {
      ImageList_Copy(list_, index, list_, added, ILCF_MOVE);
      ImageList_Remove(list_, added);
    }
  }
  Change();
}

bool TCustomImageList::GetBitmap(int index, TBitmap& image) {
  if (!list_ || index < 0 || index >= Count()) return false;
  if (image.PixelFormat() == TPixelFormat::pf1bit) {
    // Through a colour copy: the blit to one bit turns the background colour into 1 (white)
    // and everything else into 0, whatever the image list makes of a monochrome target.
    TBitmap colour;
    if (!GetBitmap(index, colour)) return false;
    image.SetSize(width_, height_, TPixelFormat::pf1bit);
    HDC source = colour.Canvas().Handle();
    SetBkColor(source, ColorToRGB(BkColor == clNone ? clWhite : BkColor));
    BitBlt(image.Canvas().Handle(), 0, 0, width_, height_, source, 0, 0, SRCCOPY);
    GdiFlush();
    return true;
  }
  image.SetSize(width_, height_, image.PixelFormat());
  TCanvas& canvas = image.Canvas();
  canvas.Brush().SetStyle(TBrushStyle::bsSolid);
  canvas.Brush().SetColor(BkColor == clNone ? clWhite : BkColor);
  canvas.FillRect({0, 0, width_, height_});
  ImageList_Draw(list_, index, canvas.Handle(), 0, 0, ILD_TRANSPARENT);
  GdiFlush();
  return true;
}

bool TCustomImageList::GetMask(int index, TBitmap& mask) {
  if (!list_ || index < 0 || index >= Count()) return false;
  mask.SetSize(width_, height_, TPixelFormat::pf1bit);
  TCanvas& canvas = mask.Canvas();
  // The mask is put on with AND: start from all transparent.
  PatBlt(canvas.Handle(), 0, 0, width_, height_, WHITENESS);
  ImageList_Draw(list_, index, canvas.Handle(), 0, 0, ILD_MASK);
  GdiFlush();
  return true;
}

void TCustomImageList::Draw(HDC dc, int x, int y, int index, bool enabled) {
  if (!list_ || index < 0 || index >= Count() || !dc) return;
  if (enabled) {
    ImageList_Draw(list_, index, dc, x, y, ILD_TRANSPARENT);
    return;
  }
  IMAGELISTDRAWPARAMS p{};
  p.cbSize = sizeof(p);
  p.himl = list_;
  p.i = index;
  p.hdcDst = dc;
  p.x = x;
  p.y = y;
  p.rgbBk = CLR_NONE;
  p.rgbFg = CLR_DEFAULT;
  p.fStyle = ILD_TRANSPARENT;
  p.fState = ILS_SATURATE;
  if (!ImageList_DrawIndirect(&p)) ImageList_DrawEx(list_, index, dc, x, y, 0, 0, CLR_NONE, GetSysColor(COLOR_BTNSHADOW), ILD_BLEND50);
}

bool TCustomImageList::GetIcon(int index, TIcon& icon) {
  if (!list_ || index < 0 || index >= Count()) return false;
  icon.SetHandle(ImageList_GetIcon(list_, index, ILD_NORMAL));
  return !icon.Empty();
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (link->sender_) link->sender_->UnRegisterChanges(link);
  link->sender_ = this;
  links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  std::erase(links_, link);
  if (link->sender_ == this) link->sender_ = nullptr;
}

void TCustomImageList::Change() {
  auto links = links_;
  for (TChangeLink* link : links) link->Change();
  if (OnChange) OnChange(this);
}

}  // namespace movra::ui
