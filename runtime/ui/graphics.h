#pragma once
// Colours, fonts, pens, brushes, canvases, bitmaps, icons and image lists over GDI and comctl32.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/ui/classes.h"

namespace movra::ui {

// A colour value: non-negative is 0x00BBGGRR; negative is a system colour whose index is the
// low byte; clNone draws nothing and clDefault means "the control's own".
using TColor = int32_t;
constexpr TColor SystemColor(int index) { return static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(index)); }
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
inline constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
inline constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
inline constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
inline constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
inline constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
inline constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
inline constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
inline constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
inline constexpr TColor clHotLight = static_cast<TColor>(0x8000001A);

// The RGB value of `color` (system colours resolved); clNone and clDefault give black.
COLORREF ColorToRGB(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A GDI object created on first use and dropped whenever a property changes.
class TGraphicsObject : public TPersistent {
 public:
  ~TGraphicsObject() override;
  TNotifyEvent OnChange;
  // Runs before the handle is deleted, so that a device context holding it can let it go.
  TNotifyEvent OnReleasing;

 protected:
  void Changed();
  void ReleaseHandle();
  HGDIOBJ handle_ = nullptr;
};

class TFont : public TGraphicsObject {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TFont", &TPersistent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  TFont();
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  int Size() const;  // points
  void SetSize(int points);
  int Height() const { return height_; }  // pixels, negative for the character height
  void SetHeight(int height);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  unsigned Style() const { return style_; }
  void SetStyle(unsigned style);
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE charset);
  BYTE Pitch() const { return pitch_; }
  void SetPitch(BYTE pitch);
  // Angle of the text in tenths of a degree (escapement and orientation).
  int Orientation() const { return orientation_; }
  void SetOrientation(int tenths);
  HFONT Handle();
  // Takes the font's face, height, style, charset, pitch and angle from `font` (a handle the
  // caller keeps) or from a description.
  void SetHandle(HFONT font);
  void AssignLogFont(const LOGFONTW& font);
  LOGFONTW LogFont() const;

  void Assign(const TPersistent& source) override;
  void GetProperties(TPropertyList& properties) override;

 private:
  std::string name_;
  int height_;
  TColor color_ = clWindowText;
  unsigned style_ = 0;
  BYTE charset_ = DEFAULT_CHARSET;
  BYTE pitch_ = DEFAULT_PITCH;
  int orientation_ = 0;
};

// The system's non-client metrics (menu, caption and message fonts), read with the record
// size every Windows version accepts; false when the system refuses.
bool GetNonClientMetrics(NONCLIENTMETRICSW& metrics);

enum class TPenStyle { psSolid, psDash, psDot, psClear };
class TPen : public TGraphicsObject {
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Width() const { return width_; }
  void SetWidth(int width);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle style);
  HPEN Handle();
  void Assign(const TPersistent& source) override;

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = TPenStyle::psSolid;
};

class TBitmap;

enum class TBrushStyle { bsSolid, bsClear };
class TBrush : public TGraphicsObject {
 public:
  ~TBrush() override;
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);
  // A pattern brush of a copy of `bitmap` (nullptr: back to the solid brush). A monochrome
  // pattern paints its 0 bits in the text colour and its 1 bits in the background colour of
  // the context it is used in.
  TBitmap* Bitmap() const { return bitmap_.get(); }
  void SetBitmap(const TBitmap* bitmap);
  HBRUSH Handle();
  void Assign(const TPersistent& source) override;

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = TBrushStyle::bsSolid;
  std::unique_ptr<TBitmap> bitmap_;
};

// Drawing on a device context; pen, brush and font are selected when a call needs them.
class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  HDC Handle() { return dc_; }
  // Hands the canvas a device context it does not own (nullptr releases the current one).
  void SetHandle(HDC dc);
  TFont& Font() { return font_; }
  TPen& Pen() { return pen_; }
  TBrush& Brush() { return brush_; }

  void FillRect(const RECT& rect);
  void FrameRect(const RECT& rect);
  void Rectangle(const RECT& rect);
  void RoundRect(const RECT& rect, int cornerWidth, int cornerHeight);
  void Ellipse(const RECT& rect);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  POINT PenPos();
  // The outline through `points` with the pen; a polygon is closed and filled with the brush.
  void Polyline(const std::vector<POINT>& points);
  void Polygon(const std::vector<POINT>& points);
  void DrawFocusRect(const RECT& rect);
  COLORREF Pixel(int x, int y);
  void SetPixel(int x, int y, TColor color);
  // The part of the surface that drawing reaches (the clip box).
  RECT ClipRect();
  // Copies `source` of `from` into `dest`, stretched to fit, with CopyMode as raster operation.
  void CopyRect(const RECT& dest, TCanvas& from, const RECT& source);
  DWORD CopyMode = SRCCOPY;
  void TextOut(int x, int y, const std::string& text);
  void TextRect(const RECT& rect, const std::string& text, UINT format);
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  void Draw(int x, int y, class TBitmap& bitmap);
  void StretchDraw(const RECT& rect, class TBitmap& bitmap);

 private:
  void Select(bool pen, bool brush, bool font);
  void Deselect();
  void ReleasingObject(TObject* object);
  HDC dc_ = nullptr;
  HGDIOBJ oldPen_ = nullptr, oldBrush_ = nullptr, oldFont_ = nullptr;
  TFont font_;
  TPen pen_;
  TBrush brush_;
};

// A canvas on the screen-compatible memory context of a bitmap.
enum class TPixelFormat { pf32bit, pf1bit };

class TBitmap : public TPersistent {
 public:
  TBitmap() = default;
  TBitmap(int width, int height, TPixelFormat format = TPixelFormat::pf32bit);
  ~TBitmap() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  TPixelFormat PixelFormat() const { return format_; }
  void SetSize(int width, int height, TPixelFormat format = TPixelFormat::pf32bit);
  bool Empty() const { return !bitmap_; }
  HBITMAP Handle() const { return bitmap_; }
  // Lets the bitmap go from its canvas's drawing context (the canvas takes it again when next
  // used), so that the handle can be selected elsewhere.
  void Dormant();
  // 32-bit pixels (0xAARRGGBB, top-down rows); nullptr for monochrome or empty bitmaps.
  uint32_t* Pixels() const { return bits_; }
  TCanvas& Canvas();
  // Loads a bitmap resource; false when the program has none of that name.
  bool LoadFromResourceName(HINSTANCE instance, const std::wstring& name);
  // Takes ownership of a GDI bitmap, converting it to the 32-bit format.
  void SetHandle(HBITMAP bitmap);
  void Assign(const TPersistent& source) override;

 private:
  void Release();
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  uint32_t* bits_ = nullptr;
  int width_ = 0, height_ = 0;
  TPixelFormat format_ = TPixelFormat::pf32bit;
  std::unique_ptr<TCanvas> canvas_;
};

// An icon picture; assigning copies it.
class TIcon : public TPersistent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TIcon", &TPersistent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  ~TIcon() override;

  HICON Handle() const { return icon_; }
  // Takes ownership of `icon`.
  void SetHandle(HICON icon);
  bool Empty() const { return !icon_; }
  void Assign(const TPersistent& source) override;
  TNotifyEvent OnChange;

 private:
  HICON icon_ = nullptr;
};

// Image list of comctl32 with change notification to its users.
class TCustomImageList;
class TChangeLink {
 public:
  virtual ~TChangeLink();
  TCustomImageList* Sender() const { return sender_; }
  virtual void Change();
  TNotifyEvent OnChange;

 private:
  friend class TCustomImageList;
  TCustomImageList* sender_ = nullptr;
};

class TCustomImageList : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TCustomImageList", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  TCustomImageList(TComponent* owner, int width = 16, int height = 16);
  ~TCustomImageList() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Drops every image and changes the image size.
  void SetSize(int width, int height);
  int Count() const;
  HIMAGELIST Handle();
  TColor BkColor = clNone;

  int Add(TBitmap& image, TBitmap* mask);
  int AddMasked(TBitmap& image, TColor maskColor);
  int AddIcon(const TIcon& icon);
  // Replaces the image at `index` (masked by `maskColor` when not clNone).
  void Replace(int index, TBitmap& image, TColor maskColor = clNone);
  void Delete(int index);
  void Clear();
  // Loads a bitmap strip resource cut into images of the list's width; white or `maskColor`
  // pixels are transparent. False when the resource is missing.
  bool ResourceLoad(HINSTANCE instance, const std::wstring& name, TColor maskColor);
  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);
  void Draw(HDC dc, int x, int y, int index, bool enabled = true);
  // The image at `index` drawn over the list's BkColor (white when none) into `image`,
  // which takes the list's size and keeps its own pixel format; false outside the list.
  bool GetBitmap(int index, TBitmap& image);
  // The image's mask as a monochrome bitmap: 1 (white) where the image is transparent,
  // 0 (black) where it covers; false outside the list.
  bool GetMask(int index, TBitmap& mask);
  // The image as a new icon (assigned to `icon`); false for an index outside the list.
  bool GetIcon(int index, TIcon& icon);

  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);
  TNotifyEvent OnChange;

 protected:
  void Change();

 private:
  void Create();
  HIMAGELIST list_ = nullptr;
  int width_, height_;
  std::vector<TChangeLink*> links_;
};

class TImageList : public TCustomImageList {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TImageList", &TCustomImageList::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  using TCustomImageList::TCustomImageList;
};

}  // namespace movra::ui
