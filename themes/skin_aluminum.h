#pragma once
// The theme registered as "Aluminum": brushed-metal toolbars and docks in light greys, buttons
// and frames with anti-aliased rounded corners, engraved glyphs, and item colours from two state
// tables built as the flat theme builds its own, around fixed greys and a highlight that is never
// too dark. It never uses the visual styles.
#include <windows.h>

#include <array>
#include <string>

#include "themes/skin_default.h"
#include "themes/skin_officexp.h"
#include "themes/skin_stripes.h"

namespace movra::skin {

// The fixed greys of the theme.
inline constexpr TColor kAluminumLight = 0xDFDFDF;
inline constexpr TColor kAluminumMedium = 0xC7C7C7;
inline constexpr TColor kAluminumDark = 0x9F9F9F;

struct TSkinAluminumColors {
  int TextureDepth = 12;
  TColor DarkFaceColor = kAluminumMedium;
  TColor MenuBarBackColor = kAluminumLight;
  TColor ToolbarBackColor = kAluminumLight;
  TColor DimFaceColor = kAluminumLight;
  TColor PopupBackColor = ui::clWindow;
  TColor DockPanelBackColor = ui::clWindow;
  TColor PopupFrameColor = kAluminumDark;
  std::array<TSkinWindowColors, 2> ToolbarWindowColors{};
  std::array<TSkinWindowColors, 2> PanelWindowColors{};
  TSkinItemPalette Items;
  TColor SeparatorColor = kAluminumDark;
};

// clHighlight with its lightness raised to 0.4 when lower.
TColor AluminumHighlightBase();
// The colours from the current system colours, turned into what the screen shows (the two
// face colours excepted).
TSkinAluminumColors AluminumColors();

// --- Drawing primitives (radii 0 to 3, counted per corner; clNone draws nothing) ----------

// A one-pixel frame (right and bottom one pixel in) whose edges stop short of each corner by its
// radius, the corners filled in with blended pixels.
void DrawRoundFrame(HDC dc, const RECT& rect, int topLeft, TColor color, int bottomRight, int bottomLeft,
                    int topRight);
// A filled polygon with the corners cut by their radii.
void FillRoundRect(HDC dc, const RECT& rect, int topLeft, TColor color, int bottomRight, int bottomLeft,
                   int topRight);
// Light top and left edges, dark bottom and right ones, corners of radius 1 or 2 smoothed into
// `fill` (clNone: into what is already there).
void Draw3DRoundFrame(HDC dc, const RECT& rect, int topLeft, TColor fill, TColor light, TColor dark,
                      int bottomRight, int bottomLeft, int topRight);
// A small engraved dot in each whole 4-pixel cell of the rect shrunk by `inset`, centred.
void DrawDotGrid(HDC dc, const RECT& rect, TColor color, int inset);
// The first third (left, or top when vertical) a gradient from lighter to `color`, the rest from
// `color` to slightly darker.
void FillGradientHalves(HDC dc, const RECT& rect, TColor color, bool vertical);
// The close cross engraved on `color`: light below-right, dark above-left, then dark grey (black
// when hot) in place.
void DrawEngravedCross(HDC dc, const RECT& rect, TColor color, bool hot);

class TSkinAluminumTheme : public TSkinDefaultTheme {
 public:
  explicit TSkinAluminumTheme(const std::string& name);
  ~TSkinAluminumTheme() override;

  void GetGlyphShift(ui::TCanvas& canvas, const TItemDrawState& state, POINT& offset) override;
  TColor GetItemBackColor(const TItemDrawState& state) override;
  TColor GetItemCaptionColor(const TItemDrawState& state) override;
  TColor GetGlyphBackColor(const TItemDrawState& state) override;
  int GetShadowKind() override;
  void GetViewBorderSize(int viewKind, SIZE& size) override;
  TColor GetViewBackColor(int viewKind) override;
  void DrawViewBackground(ui::TCanvas& canvas, const RECT& reference, const RECT& paint, const RECT& clip,
                          TColor backColor, bool paintedUnderneath, int viewKind) override;
  void DrawButtonFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) override;
  void DrawItemCaption(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                       const std::string& caption, UINT format, bool rotated) override;
  void DrawCheckGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) override;
  void DrawChevronGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) override;
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

  // Its own colours only; ToolbarBackColor and DockPanelBackColor follow them.
  void RebuildColors() override;
  const TSkinAluminumColors& Colors() const { return colors_; }
  static TSkinThemeUnitState& UnitState();

 protected:
  bool UsesVisualStyles() const override { return false; }

 private:
  TColor ItemColor(const TItemDrawState& state, int part) const { return colors_.Items.ItemColor(state, part); }
  TColor ButtonColor(const TItemDrawState& state, int part) const { return colors_.Items.ButtonColor(state, part); }
  // A close button in the colours of a toolbar item state, with corners of `radius`.
  void DrawCloseButton(HDC dc, const RECT& rect, int itemState, int radius, TColor ground);
  TSkinAluminumColors colors_;
};

// Registers the theme as "Aluminum" (once; later calls do nothing). Called at start-up, after
// the theme registry has started.
void SkinAluminumStart();

}  // namespace movra::skin
