#include "runtime/ui/graphics.h"

#include <algorithm>

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

TGraphicsObject::~TGraphicsObject() {
  if (handle_) DeleteObject(handle_);
}

void TGraphicsObject::Changed() {
  if (handle_) {
    DeleteObject(handle_);
    handle_ = nullptr;
  }
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

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTW lf{};
    lf.lfHeight = height_;
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
    lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    std::wstring face = Utf8ToWide(name_);
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    handle_ = CreateFontIndirectW(&lf);
  }
  return static_cast<HFONT>(handle_);
}

void TFont::Assign(const TPersistent& source) {
  auto* font = dynamic_cast<const TFont*>(&source);
  if (!font) return TPersistent::Assign(source);
  if (name_ == font->name_ && height_ == font->height_ && color_ == font->color_ && style_ == font->style_)
    return;
  name_ = font->name_;
  height_ = font->height_;
  color_ = font->color_;
  style_ = font->style_;
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

void TBrush::SetColor(TColor color) {
  if (color != color_) color_ = color, Changed();
}
void TBrush::SetStyle(TBrushStyle style) {
  if (style != style_) style_ = style, Changed();
}

void TBrush::Assign(const TPersistent& source) {
  auto* brush = dynamic_cast<const TBrush*>(&source);
  if (!brush) return TPersistent::Assign(source);
  if (brush->color_ == color_ && brush->style_ == style_) return;
  color_ = brush->color_;
  style_ = brush->style_;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (!handle_) {
    if (style_ == TBrushStyle::bsClear || color_ == clNone)
      handle_ = GetStockObject(NULL_BRUSH);
    else
      handle_ = CreateSolidBrush(ColorToRGB(color_));
  }
  return static_cast<HBRUSH>(handle_);
}

// --- TCanvas ---------------------------------------------------------------------------------

TCanvas::TCanvas() = default;

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
  if (brush_.Style() != TBrushStyle::bsClear && brush_.Color() != clNone) ::FillRect(dc_, &rect, brush_.Handle());
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
  if (!list_ || index < 0 || index >= Count()) return;
  if (enabled) {
    ImageList_Draw(list_, index, canvas.Handle(), x, y, ILD_TRANSPARENT);
    return;
  }
  IMAGELISTDRAWPARAMS p{};
  p.cbSize = sizeof(p);
  p.himl = list_;
  p.i = index;
  p.hdcDst = canvas.Handle();
  p.x = x;
  p.y = y;
  p.rgbBk = CLR_NONE;
  p.rgbFg = CLR_DEFAULT;
  p.fStyle = ILD_TRANSPARENT;
  p.fState = ILS_SATURATE;
  if (!ImageList_DrawIndirect(&p)) ImageList_DrawEx(list_, index, canvas.Handle(), x, y, 0, 0, CLR_NONE, GetSysColor(COLOR_BTNSHADOW), ILD_BLEND50);
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
