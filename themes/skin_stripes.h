#pragma once
// The theme registered as "Stripes": the classic look of the Default theme without the visual
// styles, with thin horizontal stripes on toolbar and popup backgrounds, captions and grips
// filled with a small dot pattern, buttons with chamfered one-pixel frames and checker-dithered
// faces, and the strongest of the popup shadows.
#include <windows.h>

#include <cstdint>
#include <string>

#include "themes/skin_default.h"

namespace movra::skin {

// What the live instances of one theme class share: an 8 x 8 pattern bitmap and the
// caption-button glyphs of the SKINGLYPHS resource (empty when the program lacks it). The first
// Acquire makes them and the last Release frees them.
class TSkinThemeUnitState {
 public:
  void Acquire();
  void Release();
  int Instances() const { return instances_; }
  // nullptr while no instance lives.
  ui::TCustomImageList* Glyphs() const { return glyphs_; }
  // The pattern filled by `fill` (each pixel 0x00RRGGBB, row by row), as a pattern brush with
  // its origin at `origin`; nullptr while no instance lives. The caller deletes the brush.
  template <class F>
  HBRUSH PatternBrush(F&& fill) {
    if (!pattern_ || !pattern_->Pixels()) return nullptr;
    GdiFlush();
    fill(pattern_->Pixels());
    pattern_->Dormant();
    return CreatePatternBrush(pattern_->Handle());
  }
  // A caption-button glyph (interface kind 0 close, 1 minimise, 2 maximise, 3 restore) centred
  // in `rect` in one colour.
  void DrawCaptionGlyph(HDC dc, const RECT& rect, int kind, TColor color) const;

 private:
  int instances_ = 0;
  ui::TBitmap* pattern_ = nullptr;
  ui::TCustomImageList* glyphs_ = nullptr;
};

// A closed one-pixel polyline around `rect` (right and bottom one pixel in) with its top-left
// and bottom-left corners cut by `a` pixels and its top-right and bottom-right ones by `b`.
void DrawChamferFrame(HDC dc, const RECT& rect, int a, TColor color, int b);

// A flat check box (kind 1) or radio button (kind 2) one pixel inside `rect`, outlined in `pen`
// and filled with `brush` (nullptr: hollow); `marked` adds the check mark or the dot in `mark`.
// A radio button's dot is only drawn for the checked state, so callers pass checked alone.
void DrawFlatCheckControl(HDC dc, const RECT& rect, int kind, bool marked, TColor pen, HBRUSH brush, TColor mark);

// The line-drawn status-bar parts: 1 and 2 a vertical separator at the right edge (3 pixels in
// for part 1), 3 a size grip of three rounds of diagonal lines, each round `gap` lines apart
// and then a dark and a light line. Other parts draw nothing.
void DrawLinedStatusPart(HDC dc, const RECT& rect, int part, TColor separator, TColor dark, TColor light, int gap);

class TSkinStripesTheme : public TSkinDefaultTheme {
 public:
  explicit TSkinStripesTheme(const std::string& name);
  ~TSkinStripesTheme() override;

  TColor GetItemCaptionColor(const TItemDrawState& state) override;
  int GetShadowKind() override;
  void GetViewBorderSize(int viewKind, SIZE& size) override;
  TColor GetViewBackColor(int viewKind) override;
  void DrawViewBackground(ui::TCanvas& canvas, const RECT& reference, const RECT& paint, const RECT& clip,
                          TColor backColor, bool paintedUnderneath, int viewKind) override;
  void DrawButtonFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) override;
  void DrawItemCaption(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                       const std::string& caption, UINT format, bool rotated) override;
  void DrawEditBox(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                   const TSkinEditBoxInfo& info) override;
  void DrawEditBoxButton(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                         const TSkinEditButtonInfo& info) override;
  void DrawDockBackground(ui::TCanvas& canvas, const RECT& client, const RECT& clip, int dockKind) override;
  void DrawPanelNonClient(ui::TCanvas& canvas, const RECT& rect, const TSkinPanelNCInfo& info) override;
  void DrawDropArrow(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) override;
  void DrawFloatingFrame(ui::TCanvas& canvas, const RECT& rect, const TSkinFloatingFrameInfo& info) override;
  void DrawFieldFrame(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) override;
  void DrawGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state, ui::TCustomImageList* images,
                 int index) override;
  void DrawCaptionButton(ui::TCanvas& canvas, const RECT& rect, const TSkinCaptionButtonInfo& info,
                         int kind) override;
  void DrawMenuItemFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) override;
  void DrawSelectionFill(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) override;
  void DrawScrollerButton(ui::TCanvas& canvas, const RECT& rect, int direction, bool active) override;
  void DrawPopupBorder(ui::TCanvas& canvas, const RECT& rect, const TSkinPopupBorderInfo& info) override;
  void DrawSeparatorLine(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state, bool horizontal,
                         bool lineBreak) override;
  void DrawToolbarNonClient(ui::TCanvas& canvas, const RECT& rect, const TSkinToolbarNCInfo& info) override;
  void DrawCheckControl(ui::TCanvas& canvas, const RECT& rect, int kind, int state) override;
  void DrawStatusBarPart(ui::TCanvas& canvas, const RECT& rect, int part) override;
  int GetMetric(int id) override;
  bool GetFlag(int id) override;

  // Computes the two colours of its own and sets ToolbarBackColor to clBtnFace; the Default
  // theme's colours are not rebuilt.
  void RebuildColors() override;

  TColor PanelColor() const { return panelColor_; }
  TColor SoftShadowColor() const { return softShadowColor_; }

  // Fills `rect` with `color` and paints the dot pattern of that colour over the rect shrunk by
  // `inset`, cut to whole 4-pixel cells plus 2 and centred; with clNone only the dots are drawn.
  static void DrawDotPattern(HDC dc, const RECT& rect, TColor color, int inset);
  // What the live instances share.
  static TSkinThemeUnitState& UnitState();

 protected:
  // Never styled: every inherited operation takes its classic branch.
  bool UsesVisualStyles() const override { return false; }

 private:
  // A toolbar close button in the square `rect`: moved a pixel toward the handle strip's
  // start and shrunk by one, a checker face when hot or pressed, a chamfer, the cross.
  void DrawCloseButton(HDC dc, RECT rect, int bits, bool vertical);
  // A caption strip with the dot pattern on both sides of a plain band `textWidth` wide in the
  // middle; plain throughout when `dotted` is off or the band does not fit.
  void DrawDottedCaption(HDC dc, const RECT& strip, int textWidth, int inset, bool dotted, bool rotated);
  TColor panelColor_ = ui::clBtnFace;
  TColor softShadowColor_ = ui::clBtnShadow;
};

// Registers the theme as "Stripes" (once; later calls do nothing). Called at start-up, after
// the theme registry has started.
void SkinStripesStart();

}  // namespace movra::skin
