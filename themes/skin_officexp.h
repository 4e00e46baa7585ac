#pragma once
// The flat theme: items without 3-D edges, hot and pushed items as filled rectangles with a
// one-pixel frame, menus with an image gutter in the toolbar colour, popups with a dark frame
// and their own shadow, floating windows with a flat coloured caption. Every colour is blended
// from the system colours (plain system colours on a low-colour display) and rebuilt whenever
// they change; visual styles are never used.
//
// The item state tables and their lookups are kept apart from the theme, so that other flat
// themes can build theirs from their own base colours the same way.
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "themes/skin_themes.h"
#include "themes/skin_utils.h"

namespace movra::skin {

// --- Item states and their colour tables -------------------------------------------------

// Components of an item table entry.
enum TSkinItemColorPart : int { sicBack = 0, sicText = 1, sicFrame = 2 };
using TSkinItemColors = std::array<TColor, 3>;

enum TSkinToolbarItemState : int {
  tisNormal = 0,
  tisDisabled = 1,
  tisChecked = 2,
  tisPushed = 3,
  tisHot = 4,
  tisDisabledHot = 5,
  tisCheckedHot = 6,
  tisPopupOpen = 7,
};
enum TSkinMenuItemState : int { misNormal = 0, misDisabled = 1, misHot = 2, misDisabledHot = 3 };

// An item of a popup menu proper that is not drawn in toolbar style.
bool IsPopupMenuItem(const TItemDrawState& state);
int ToolbarItemState(const TItemDrawState& state);
int MenuItemState(const TItemDrawState& state);
// A toolbar whose items let its background show through.
inline bool IsTransparentToolbar(int viewKind) {
  return (viewKind & vkToolbarFamily) != 0 && (viewKind & vkTransparentItems) != 0;
}

// `color` moved away from `reference` until their distance reaches `minimum`.
inline TColor ContrastedColor(TColor color, TColor reference, int minimum) {
  EnsureContrast(color, reference, minimum);
  return color;
}

// The base colours a flat theme builds its item tables from (normal display).
struct TSkinItemRecipe {
  TColor ToolbarBack;
  TColor PopupBack;
  TColor PopupFrame;
  TColor NormalText;       // toolbar items' text, before the contrast correction
  TColor DisabledText;     // disabled toolbar items' text, before the contrast correction
  TColor Highlight;        // what checked and pushed items are blended from
  TColor CheckedFace;      // what a checked item's highlight is blended into, half with the window
  TColor Hot;              // background of hot items, enabled or not
  TColor DisabledHotText;  // text of a disabled item under the mouse
  TColor PopupOpenBack;    // background of an item whose popup is open
};

// The two item tables of a flat theme and the lookups the theme's operations read.
struct TSkinItemPalette {
  std::array<TSkinItemColors, 4> MenuItemColors{};
  std::array<TSkinItemColors, 8> ToolbarItemColors{};
  // What a transparent-item toolbar shows for an item without a background or frame.
  TColor ToolbarBackColor = ui::clBtnFace;
  TColor TransparentFrameColor = ui::clBtnShadow;

  // Captions, item backgrounds, chevrons and arrows: the menu table for popup-menu items.
  TColor ItemColor(const TItemDrawState& state, int part) const;
  // Button faces, check marks and image backgrounds: always the toolbar table.
  TColor ButtonColor(const TItemDrawState& state, int part) const;
};

// Both tables from the recipe; the toolbar table first, since the hot menu item copies the
// hot toolbar item.
void BuildItemTables(const TSkinItemRecipe& recipe, TSkinItemPalette& palette);

// --- The theme's colours ------------------------------------------------------------------

struct TSkinWindowColors {
  TColor Border;
  TColor Caption;
  TColor CaptionText;
};
enum TSkinWindowRow : int { swrActive = 0, swrInactive = 1 };

// The greys a blended colour table is made of, darkest first: text, shadow (frames and the
// active caption), face (the inactive caption and checked items) and light (the active
// caption's text).
struct TSkinGreys {
  TColor Text, Shadow, Face, Light;
};
// The popup frame and the toolbar and panel windows' frames and captions of a blended table,
// from its greys and its toolbar and popup backgrounds. Returns the item recipe with what
// follows from them (backgrounds, frame, text, checked face, and the dim grey of inactive
// captions as the text of disabled items under the mouse); the caller adds the rest.
TSkinItemRecipe BlendWindowColors(const TSkinGreys& greys, TColor toolbarBack, TColor popupBack, TColor& popupFrame,
                                  std::array<TSkinWindowColors, 2>& toolbarWindows,
                                  std::array<TSkinWindowColors, 2>& panelWindows);

struct TSkinOfficeXPColors {
  TColor MenuBarBackColor = ui::clBtnFace;
  TColor ToolbarBackColor = ui::clBtnFace;
  TColor PopupBackColor = ui::clWindow;
  TColor DockPanelBackColor = ui::clWindow;
  TColor PopupFrameColor = ui::clBtnText;
  std::array<TSkinWindowColors, 2> ToolbarWindowColors{};
  std::array<TSkinWindowColors, 2> PanelWindowColors{};
  TSkinItemPalette Items;
  TColor DragHandleColor = ui::clBtnText;
  TColor ToolbarSeparatorColor = ui::clBtnShadow;
  TColor MenuSeparatorColor = ui::clBtnShadow;
  TColor ImageShadowColor = ui::clBtnFace;
  TColor StatusPanelFrameColor = ui::clBtnShadow;

  // Every one of the theme's colours, in the order they are built.
  template <class F>
  void ForEachColor(F&& f) {
    for (TColor* c : {&MenuBarBackColor, &ToolbarBackColor, &PopupBackColor, &DockPanelBackColor, &PopupFrameColor})
      f(*c);
    for (auto* table : {&ToolbarWindowColors, &PanelWindowColors})
      for (TSkinWindowColors& row : *table)
        for (TColor* c : {&row.Border, &row.Caption, &row.CaptionText}) f(*c);
    for (TSkinItemColors& entry : Items.MenuItemColors)
      for (TColor& c : entry) f(c);
    for (TSkinItemColors& entry : Items.ToolbarItemColors)
      for (TColor& c : entry) f(c);
    for (TColor* c : {&DragHandleColor, &ToolbarSeparatorColor, &MenuSeparatorColor, &ImageShadowColor,
                      &StatusPanelFrameColor})
      f(*c);
  }
};

// The colours from the current system colours; on a low-colour display plain system colours,
// otherwise blends turned into the nearest colours the screen shows.
TSkinOfficeXPColors OfficeXPColors(bool lowColor);

// --- The theme ----------------------------------------------------------------------------

class TSkinOfficeXPTheme : public TSkinTheme {
 public:
  explicit TSkinOfficeXPTheme(const std::string& name);
  ~TSkinOfficeXPTheme() override;

  void GetGlyphShift(ui::TCanvas& canvas, const TItemDrawState& state, POINT& offset) override;
  TColor GetItemBackColor(const TItemDrawState& state) override;
  TColor GetItemCaptionColor(const TItemDrawState& state) override;
  TColor GetGlyphBackColor(const TItemDrawState& state) override;
  void GetItemMargins(int kind, TSkinMargins& margins) override;
  int GetShadowKind() override;
  void GetViewBorderSize(int viewKind, SIZE& size) override;
  TColor GetViewBackColor(int viewKind) override;
  void GetViewPadding(int viewKind, TSkinMargins& margins) override;
  void DrawViewBackground(ui::TCanvas& canvas, const RECT& reference, const RECT& paint, const RECT& clip,
                          TColor backColor, bool paintedUnderneath, int viewKind) override;
  void DrawButtonFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) override;
  void DrawItemCaption(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state, const std::string& caption,
                       UINT format, bool rotated) override;
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

  void Dispatch(TMessage& message) override;
  virtual void RebuildColors();

  const TSkinOfficeXPColors& Colors() const { return colors_; }
  // The caption-button glyphs shared by every live instance (empty when the resource is
  // missing from the program).
  static ui::TCustomImageList* CaptionGlyphs();

 private:
  // Frame, fill and cross of a close button in the colours of a toolbar item state.
  void DrawCloseButton(HDC dc, const RECT& rect, int itemState);
  TColor ItemColor(const TItemDrawState& state, int part) const { return colors_.Items.ItemColor(state, part); }
  TColor ButtonColor(const TItemDrawState& state, int part) const { return colors_.Items.ButtonColor(state, part); }
  TSkinOfficeXPColors colors_;
};

// Name of the bitmap resource of the caption-button glyphs (0 close, 1 maximise, 2 minimise,
// 3 restore; 16 x 16 each, white transparent).
inline constexpr wchar_t kSkinGlyphsResource[] = L"SKINGLYPHS";

// Registers the theme as "OfficeXP" (once; later calls do nothing). The libraries are static,
// so the program calls this at start-up, after the theme registry has started.
void SkinOfficeXPStart();

}  // namespace movra::skin
