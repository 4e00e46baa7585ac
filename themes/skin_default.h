#pragma once
// The theme registered as "Default": system colours with the system's 3-D edges and frame
// controls, or, while the manager reports visual styles in use, the visual-styles parts of the
// manager's theme handles. Themes that keep the classic look derive from it and inherit what
// they do not replace.
#include <windows.h>

#include <string>

#include "themes/skin_themes.h"

namespace movra::skin {

class TSkinDefaultTheme : public TSkinTheme {
 public:
  // Listens to the manager and builds the cached colours. A derived theme that replaces
  // RebuildColors or UsesVisualStyles calls RebuildColors from its own constructor: a base
  // constructor reaches only its own operations.
  explicit TSkinDefaultTheme(const std::string& name);
  ~TSkinDefaultTheme() override;

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

  // Recomputes the cached colours (from the constructor and on every system change).
  virtual void RebuildColors();

  // Phase 2 of SKM_SYSTEMCHANGE rebuilds the colours; the manager has re-read its state by then.
  void Dispatch(TMessage& message) override;

  TColor ToolbarBackColor() const { return toolbarBackColor_; }
  TColor ToolbarForeColor() const { return toolbarForeColor_; }
  TColor DockPanelBackColor() const { return dockPanelBackColor_; }
  TColor StatusBarBackColor() const { return statusBarBackColor_; }

 protected:
  // True while this theme draws through the visual styles: the manager's VisualStylesActive.
  // Themes that never use the visual-styles library answer false, and every inherited
  // operation then takes its classic branch (margins and metrics included).
  virtual bool UsesVisualStyles() const;

  // The field frame, the white inside with room for the right button, and the button in
  // `button`: the edit box of every theme that keeps the Default one's layout.
  void DrawEditBoxWith(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                       const TSkinEditBoxInfo& info, const RECT& button);

  // The manager's theme handle of a window class (nullptr when not open).
  static HTHEME ThemeData(TSkinThemeDataClass dataClass);
  // One visual-styles part; false when the handle or the call is missing or fails.
  static bool DrawThemePart(TSkinThemeDataClass dataClass, HDC dc, int part, int state, const RECT& rect);

  TColor toolbarBackColor_ = ui::clBtnFace;
  TColor toolbarForeColor_ = ui::clBtnText;
  TColor dockPanelBackColor_ = ui::clBtnFace;
  TColor statusBarBackColor_ = ui::clBtnFace;
};

// The system's DrawEdge in the resolved system colours (SkinSysColor), so that themes paint
// the colours a test injects: the BDR_* and EDGE_* kinds with the BF_LEFT/TOP/RIGHT/BOTTOM
// sides and BF_MIDDLE, BF_FLAT and BF_ADJUST; diagonals are not drawn.
void DrawSkinEdge(HDC dc, RECT& rect, UINT edge, UINT flags);

// Text in one colour on a clear background with `font`; `rotated` runs it up along the left
// side through the framework's rotated-text routine.
void DrawSkinText(HDC dc, HFONT font, const std::string& text, RECT rect, UINT format, TColor color, bool rotated);
// The popup scroller's arrow: a filled triangle centred in `rect`, pointing in `direction`
// (1 up, 2 down, 3 left, 4 right). Themes that keep the Default arrow on their own face use it.
void DrawScrollerArrow(HDC dc, const RECT& rect, int direction, TColor color);
// The chevron of a chevron button in `rect` (its pattern by the view's direction), offset by
// (dx, dy).
void DrawChevronPattern(HDC dc, const RECT& rect, bool vertical, int dx, int dy, TColor color);
// The 7 x 6 close cross of a panel's close button, centred in `rect`.
void DrawCloseCross(HDC dc, const RECT& rect, TColor color);

// The small-caption font that floating-frame and panel captions use (owned by the utilities).
HFONT SmallCaptionFont();

// The status bar's size grip in the bottom-right corner of `rect`: three rounds of diagonal
// lines on `back`, with a closing edge in `back` when asked.
void DrawSizeGrip(HDC dc, const RECT& rect, TColor back, bool closeEdge);

// Registers "Default" (once). The libraries are static, so the program calls this at start-up
// rather than relying on a self-registering object.
void RegisterDefaultTheme();
// The themed extension's start: the registry and manager, "Default" registered, then the hub
// with "Default" as the current theme. Counted; the last end undoes it in reverse.
void SkinStart();
void SkinEnd();

}  // namespace movra::skin
