#pragma once
// Colour arithmetic and the small GDI drawing routines shared by every theme and themed
// control: mixing, contrast, HSL, fills and frames that accept "no colour", gradient and
// brushed-texture fills, and the image blits that give item images their looks.
//
// Everything here runs on the user-interface thread; the work bitmaps and the two caches are
// process-wide and unlocked.
#include <windows.h>

#include <cstdint>
#include <string>

#include "runtime/exception.h"
#include "runtime/ui/graphics.h"

namespace movra::ui {
class TControl;
}

namespace movra::skin {

using ui::TColor;

// Raised on states no input should reach; the text names the unit and the line.
class ESkinAssertion : public movra::Exception {
 public:
  ESkinAssertion(const char* unit, int line);
};
[[noreturn]] void SkinAssertionFailure(const char* unit, int line);

// --- System colours ----------------------------------------------------------------------
// Every system colour the themes use is resolved here, so that a test can answer with a fixed
// set of colours instead of the desktop's. `source` nullptr goes back to GetSysColor.
using TSysColorSource = COLORREF (*)(int index);
void SetSysColorSource(TSysColorSource source);
COLORREF SkinSysColor(int index);
// The screen's colour depth in bits per pixel, which a test may fix the same way.
using TScreenBitsSource = int (*)();
void SetScreenBitsSource(TScreenBitsSource source);
int SkinScreenBits();
// A colour value as RGB 0x00BBGGRR: a negative value is a system colour (low byte the index);
// any other value keeps its low three bytes.
COLORREF ResolveColor(TColor color);
inline bool IsSystemColor(TColor color) { return color < 0; }

// --- Colour arithmetic (system colours are resolved first unless said otherwise) ----------
// Per channel (c1·w + c2·(255 − w)) shr 8; w must be 0..255.
TColor ColorMix(TColor c1, TColor c2, int weight);
TColor ColorAddLight(TColor color, int delta);
TColor NearestColorAddLight(TColor color, int delta);
TColor NearestColorMix(TColor c1, TColor c2, int weight);
// The nearest colour the screen shows (resolved first); clNone stays clNone.
TColor NearestColor(TColor color);
int ColorLuminance(TColor color);
bool ColorIsDark(TColor color, int threshold);
// Below 100 `a` is a percentage of c1, from 100 to 1000 per mille; anything else asserts.
TColor ColorBlend(TColor c1, TColor c2, int a);
// Weighted distance of two RGB values (not resolved); black to white is about 441.
float ColorDistance(TColor c1, TColor c2);
// Moves `color` away from `reference` until their distance reaches `minimum` (more near black).
void EnsureContrast(TColor& color, TColor reference, int minimum);
void ColorToHsl(TColor color, double& h, double& s, double& l);
TColor HslToColor(double h, double s, double l);
// Bytes 0 and 2 exchanged, byte 3 cleared: colour value <-> pixel word 0x00RRGGBB.
uint32_t SwapRedBlue(uint32_t value);
// Blends one pixel with `alpha` 0..255 (255 sets it).
void BlendPixel(HDC dc, int x, int y, TColor color, int alpha);

// --- GDI routines (a colour may be clNone) -------------------------------------------------
// Callers delete what these return (deleting a stock or system object is harmless).
HPEN MakePen(TColor color);
HBRUSH MakeBrush(TColor color);
bool FillRectColor(HDC dc, const RECT& rect, TColor color);
// With `shrink` the rect is inflated by −1 afterwards whether or not anything was drawn.
bool FrameRectColor(HDC dc, RECT& rect, TColor color, bool shrink);
void DrawLineColor(HDC dc, int x1, int y1, int x2, int y2, TColor color);
void PolylineColor(HDC dc, const POINT* points, int lastIndex, TColor color);
void PolygonColor(HDC dc, const POINT* points, int lastIndex, TColor lineColor, TColor fillColor);
// An 8 x 8 checker of the two colours, `c1` at the brush origin.
HBRUSH MakeDitherBrush(TColor c1, TColor c2);
void FillRectDither(HDC dc, const RECT& rect, TColor c1, TColor c2);
void DrawBevelFrame(HDC dc, RECT& rect, TColor topLeft, TColor bottomRight, bool inner);
// Moves a splitter's inverted drag frame (3 wide, 2 high) from `oldRect` to `newRect`; either
// may be nullptr.
void DrawSplitterDragFrame(HDC dc, const RECT* newRect, const RECT* oldRect);
void FillDwords(uint32_t* destination, int count, uint32_t value);
void CopyDwords(const uint32_t* source, uint32_t* destination, int count);
enum TGradientDirection { gdHorizontal = 0, gdVertical = 1 };
void GradientFillRect(HDC dc, const RECT& rect, TColor c1, TColor c2, int direction);
// The brushed texture; `origin` nullptr anchors it at (0, 0).
void DitherTextureRect(HDC dc, const POINT* origin, const RECT& rect, TColor color, int amplitude);
void ControlClientSize(const ui::TControl& control, int& width, int& height);

// --- Image blits --------------------------------------------------------------------------
// The drawn size is the smaller of the image size and the rect's, at the rect's top-left.
void DrawImageBrightened(ui::TCanvas& canvas, const RECT& rect, ui::TCustomImageList& images, int index,
                         bool brighten);
void DrawImageFaded(ui::TCanvas& canvas, const RECT& rect, ui::TCustomImageList& images, int index, int alpha);
void DrawImageBlended(ui::TCanvas& canvas, const RECT& rect, ui::TCustomImageList& images, int index, TColor tint,
                      int alpha);
void DrawImageDisabled(ui::TCanvas& canvas, const RECT& rect, ui::TCustomImageList& images, int index, int level);
void DrawImageSilhouette(ui::TCanvas& canvas, const RECT& rect, ui::TCustomImageList& images, int index,
                         TColor color);
void DrawImageSolidSilhouette(ui::TCanvas& canvas, const RECT& rect, ui::TCustomImageList& images, int index,
                              TColor color);
// The image's opaque shape painted in one colour at (x, y).
void DrawImageMask(HDC dc, int x, int y, ui::TCustomImageList& images, int index, TColor color);
void DrawImageMaskCentred(HDC dc, const RECT& rect, ui::TCustomImageList& images, int index, TColor color);
// A one-bit glyph of up to 8 x 8 (`rows[i]` is row i, most significant bit leftmost), centred.
void DrawPatternGlyph(HDC dc, const RECT& rect, int width, int height, const uint8_t* rows, TColor color);

// --- Optional entry points and module state ------------------------------------------------
using TUpdateLayeredWindowFunc = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*,
                                               DWORD);
using TAlphaBlendFunc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using TGradientFillFunc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
// Bound when the module starts; each may be nullptr, and every user tests it first.
struct TSkinEntryPoints {
  TUpdateLayeredWindowFunc UpdateLayeredWindow = nullptr;
  TAlphaBlendFunc AlphaBlend = nullptr;
  TGradientFillFunc GradientFill = nullptr;
};
TSkinEntryPoints& SkinEntryPoints();

// Counted: only the first start and the last end act. A routine used before any start starts
// the module itself.
void SkinUtilsStart();
void SkinUtilsEnd();
// Re-creates the work bitmaps and the small-caption font (after display or setting changes).
void RecreateSharedObjects();
void ClearDitherCache();
// The system's small-caption font, owned by the module.
HFONT UtilsCaptionFont();

}  // namespace movra::skin
