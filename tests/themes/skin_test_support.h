#pragma once
// Fixed system colours for the theme tests, so that exact numbers do not depend on the prefix.
#include <windows.h>

#include "themes/skin_themes.h"
#include "themes/skin_utils.h"

namespace movra::skin::test {

// The classic Windows scheme (grey faces, navy highlight).
inline COLORREF ClassicSysColor(int index) {
  switch (index) {
    case COLOR_BTNFACE: return RGB(192, 192, 192);
    case COLOR_BTNSHADOW: return RGB(128, 128, 128);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_MENU: return RGB(192, 192, 192);
    case COLOR_MENUTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(0, 0, 128);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_GRAYTEXT: return RGB(128, 128, 128);
    case COLOR_HOTLIGHT: return RGB(0, 0, 128);
    default: return RGB(1, 2, 3);
  }
}

// Installs the classic colours for the life of the object.
class ClassicColors {
 public:
  ClassicColors() { SetSysColorSource(&ClassicSysColor); }
  ~ClassicColors() { SetSysColorSource(nullptr); }
  ClassicColors(const ClassicColors&) = delete;
  ClassicColors& operator=(const ClassicColors&) = delete;
};

// A window that answers SKM_GETVIEWKIND with the kind it is given, as a view's window does.
class TKindWindow : public ui::TWinControl {
 public:
  using TWinControl::TWinControl;
  int kind = vkToolbar;
  void WndProc(ui::TMessage& message) override {
    if (message.Msg == SKM_GETVIEWKIND) {
      message.Result = kind;
      return;
    }
    TWinControl::WndProc(message);
  }
};

// A theme that draws nothing and answers plainly; enough to be current.
class TBlankTheme : public TSkinTheme {
 public:
  using TSkinTheme::TSkinTheme;
  void GetGlyphShift(ui::TCanvas&, const TItemDrawState&, POINT& offset) override { offset = {0, 0}; }
  TColor GetItemBackColor(const TItemDrawState&) override { return ui::clNone; }
  TColor GetItemCaptionColor(const TItemDrawState&) override { return ui::clNone; }
  TColor GetGlyphBackColor(const TItemDrawState&) override { return ui::clNone; }
  void GetItemMargins(int, TSkinMargins& m) override { m = {}; }
  int GetShadowKind() override { return 1; }
  void GetViewBorderSize(int, SIZE& size) override { size = {}; }
  TColor GetViewBackColor(int) override { return ui::clNone; }
  void GetViewPadding(int, TSkinMargins& m) override { m = {}; }
  void DrawViewBackground(ui::TCanvas&, const RECT&, const RECT&, const RECT&, TColor, bool, int) override {}
  void DrawButtonFace(ui::TCanvas&, const RECT&, const TItemDrawState&) override {}
  void DrawItemCaption(ui::TCanvas&, const RECT&, const TItemDrawState&, const std::string&, UINT, bool) override {}
  void DrawCheckGlyph(ui::TCanvas&, const RECT&, const TItemDrawState&) override {}
  void DrawChevronGlyph(ui::TCanvas&, const RECT&, const TItemDrawState&) override {}
  void DrawEditBox(ui::TCanvas&, const RECT&, const TItemDrawState&, const TSkinEditBoxInfo&) override {}
  void DrawEditBoxButton(ui::TCanvas&, const RECT&, const TItemDrawState&, const TSkinEditButtonInfo&) override {}
  void DrawDockBackground(ui::TCanvas&, const RECT&, const RECT&, int) override {}
  void DrawPanelNonClient(ui::TCanvas&, const RECT&, const TSkinPanelNCInfo&) override {}
  void DrawDropArrow(ui::TCanvas&, const RECT&, const TItemDrawState&) override {}
  void DrawFloatingFrame(ui::TCanvas&, const RECT&, const TSkinFloatingFrameInfo&) override {}
  void DrawFieldFrame(ui::TCanvas&, const RECT&, const TItemDrawState&) override {}
  void DrawGlyph(ui::TCanvas&, const RECT&, const TItemDrawState&, ui::TCustomImageList*, int) override {}
  void DrawCaptionButton(ui::TCanvas&, const RECT&, const TSkinCaptionButtonInfo&, int) override {}
  void DrawMenuItemFace(ui::TCanvas&, const RECT&, const TItemDrawState&) override {}
  void DrawSelectionFill(ui::TCanvas&, const RECT&, const TItemDrawState&) override {}
  void DrawScrollerButton(ui::TCanvas&, const RECT&, int, bool) override {}
  void DrawPopupBorder(ui::TCanvas&, const RECT&, const TSkinPopupBorderInfo&) override {}
  void DrawSeparatorLine(ui::TCanvas&, const RECT&, const TItemDrawState&, bool, bool) override {}
  void DrawToolbarNonClient(ui::TCanvas&, const RECT&, const TSkinToolbarNCInfo&) override {}
  void DrawCheckControl(ui::TCanvas&, const RECT&, int, int) override {}
  void DrawStatusBarPart(ui::TCanvas&, const RECT&, int) override {}
  int GetMetric(int) override { return -1; }
  bool GetFlag(int) override { return false; }
};

}  // namespace movra::skin::test
