// Themed items and viewers: font settings, property changes, and what the viewers ask of the
// current theme when they measure and paint. A recording theme answers fixed metrics and
// margins and writes down every drawing call with the item draw state it was given.
#include "themes/skin_items.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "runtime/text.h"
#include "tests/support/support.h"
#include "tests/themes/skin_test_support.h"
#include "tests/toolbars/bar_item_fake_view.h"
#include "toolbars/bar_common.h"

namespace movra::skin {
namespace {

using bars::BarOption;
using bars::TBarRootItem;
using movra::testing::TestPicture;

struct Call {
  std::string Op;
  RECT Rect{};
  TItemDrawState State{};
  std::string Text;
  UINT Format = 0;
  bool Flag = false;       // rotated, or horizontal for separators
  bool LineBreak = false;  // separators
  unsigned FontStyle = 0;
  TColor FontColor = 0;
  int Index = -1;
};

class TRecorderTheme : public test::TBlankTheme {
 public:
  using TBlankTheme::TBlankTheme;
  std::vector<Call> calls;
  std::vector<TItemDrawState> colorQueries;
  std::map<int, int> metrics{{10, 11}, {20, 8}, {21, 3}, {32, 1}, {33, 2}, {34, 4}, {35, 9}, {50, 6}};
  // Uneven, so that a mixed-up order shows.
  TSkinMargins toolbarMargins{2, 2, 2, 2};
  TSkinMargins menuMargins{5, 7, 2, 3};
  bool touchesItem = false;

  std::vector<std::string> Ops() const {
    std::vector<std::string> ops;
    for (const Call& c : calls) ops.push_back(c.Op);
    return ops;
  }
  const Call& Find(const std::string& op, int nth = 0) const {
    for (const Call& c : calls)
      if (c.Op == op && nth-- == 0) return c;
    static const Call none = [] {
      Call c;
      c.Op = "none";
      return c;
    }();
    ADD_FAILURE() << "no call " << op;
    return none;
  }

  void GetGlyphShift(ui::TCanvas&, const TItemDrawState& s, POINT& offset) override {
    offset = (s.Pushed || s.Checked) ? POINT{1, 1} : POINT{0, 0};
  }
  TColor GetItemCaptionColor(const TItemDrawState& s) override {
    colorQueries.push_back(s);
    return RGB(10, 20, 30 + s.Hover);
  }
  void GetItemMargins(int kind, TSkinMargins& m) override {
    m = kind == smkToolbarItem ? toolbarMargins : kind == smkMenuItem ? menuMargins : TSkinMargins{};
  }
  int GetMetric(int id) override {
    auto it = metrics.find(id);
    return it == metrics.end() ? -1 : it->second;
  }
  bool GetFlag(int id) override { return id == sfPopupTouchesItem && touchesItem; }

  void DrawButtonFace(ui::TCanvas& c, const RECT& r, const TItemDrawState& s) override { Record("face", c, r, s); }
  void DrawDropArrow(ui::TCanvas& c, const RECT& r, const TItemDrawState& s) override { Record("arrow", c, r, s); }
  void DrawMenuItemFace(ui::TCanvas& c, const RECT& r, const TItemDrawState& s) override {
    Record("menuface", c, r, s);
  }
  void DrawCheckGlyph(ui::TCanvas& c, const RECT& r, const TItemDrawState& s) override { Record("check", c, r, s); }
  void DrawItemCaption(ui::TCanvas& c, const RECT& r, const TItemDrawState& s, const std::string& text, UINT format,
                       bool rotated) override {
    Call& call = Record("caption", c, r, s);
    call.Text = text;
    call.Format = format;
    call.Flag = rotated;
  }
  void DrawGlyph(ui::TCanvas& c, const RECT& r, const TItemDrawState& s, ui::TCustomImageList*, int index) override {
    Record("glyph", c, r, s).Index = index;
  }
  void DrawSeparatorLine(ui::TCanvas& c, const RECT& r, const TItemDrawState& s, bool horizontal,
                         bool lineBreak) override {
    Call& call = Record("separator", c, r, s);
    call.Flag = horizontal;
    call.LineBreak = lineBreak;
  }

 private:
  Call& Record(const std::string& op, ui::TCanvas& canvas, const RECT& r, const TItemDrawState& s) {
    Call call;
    call.Op = op;
    call.Rect = r;
    call.State = s;
    calls.push_back(call);
    calls.back().FontStyle = canvas.Font().Style();
    calls.back().FontColor = canvas.Font().Color();
    return calls.back();
  }
};

void ExpectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right, right);
  EXPECT_EQ(r.bottom, bottom);
}

// The state fields that do not depend on the desktop (the application-active bit does).
uint32_t Options(const TItemDrawState& s) { return s.Options & ~static_cast<uint32_t>(idoAppActive); }

// A 16 x 16 list of two images.
void FillImages(ui::TCustomImageList& images) {
  for (int i = 0; i < 2; ++i) {
    ui::TBitmap bitmap;
    bitmap.SetSize(16, 16);
    bitmap.Canvas().Brush().SetColor(i ? RGB(0, 128, 0) : RGB(200, 0, 0));
    bitmap.Canvas().FillRect({0, 0, 16, 16});
    images.Add(bitmap, nullptr);
  }
}

struct SkinItems : ::testing::Test {
  ui::TOwned<ui::TComponent> owner = ui::MakeOwned<ui::TComponent>(nullptr);
  TBarRootItem* root = new TBarRootItem(owner.get());
  test::TKindWindow* window = new test::TKindWindow(owner.get());
  ui::TCustomImageList* images = new ui::TCustomImageList(owner.get());
  bars::test::FakeView view;
  TRecorderTheme* theme = nullptr;
  TestPicture picture{120, 40};
  ui::TCanvas canvas;
  // The views draw in a fixed font; what the rules fix is computed from its measures.
  ui::TFont font;
  // What the item events heard.
  std::vector<int> adjustFlags;
  std::vector<std::pair<POINT, int>> drawnImages;

  void SetUp() override {
    SkinThemesStart();
    AddThemeClass("Default", &MakeSkinTheme<TRecorderTheme>);
    SkinNexusStart();
    theme = static_cast<TRecorderTheme*>(ActiveTheme());
    view.parentItem = root;
    view.window = window;
    font.SetName("Tahoma");
    font.SetHeight(-11);
    view.font = &font;
    FillImages(*images);
    canvas.SetHandle(picture.Dc());
  }
  void TearDown() override {
    canvas.SetHandle(nullptr);
    SkinNexusEnd();
    SkinThemesEnd();
  }

  template <class T = TSkinItem>
  T* NewItem(const std::string& caption = {}) {
    auto* item = new T(owner.get());
    item->SetCaption(caption);
    root->Add(item);
    return item;
  }
  TSkinItemViewer* ViewerOf(TBarCustomItem* item, RECT bounds = {0, 0, 60, 22}) {
    return static_cast<TSkinItemViewer*>(view.AddViewer(item, bounds));
  }
  void UseMenu() {
    view.toolbar = false;
    window->kind = vkPopupMenu;
  }
  // The caption's size as the item measures it: the view font with the item's changes.
  SIZE CaptionSize(const std::string& text, unsigned style = 0) {
    ui::TFont font;
    font.Assign(view.FontForDrawing());
    font.SetStyle(font.Style() | style);
    HGDIOBJ old = SelectObject(picture.Dc(), font.Handle());
    RECT r{0, 0, 1, 0};
    std::wstring wide = Utf8ToWide(text);
    DrawTextW(picture.Dc(), wide.c_str(), static_cast<int>(wide.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(picture.Dc(), old);
    return {r.right, r.bottom};
  }
  TEXTMETRICW ViewFontMetrics() {
    HGDIOBJ old = SelectObject(picture.Dc(), view.FontForDrawing().Handle());
    TEXTMETRICW tm{};
    GetTextMetricsW(picture.Dc(), &tm);
    SelectObject(picture.Dc(), old);
    return tm;
  }
  void Paint(TBarItemViewer* viewer, bool selected = false, bool pushed = false) {
    theme->calls.clear();
    theme->colorQueries.clear();
    viewer->Paint(canvas, viewer->BoundsRect, false, pushed, selected);
  }

  void AdjustFont(TBarCustomItem*, TBarItemViewer*, ui::TFont& font, int flags) {
    adjustFlags.push_back(flags);
    font.SetStyle(font.Style() | ui::fsUnderline);
  }
  void DrawnImage(TBarCustomItem*, TBarItemViewer*, ui::TCanvas&, const RECT&, POINT offset, int flags) {
    drawnImages.push_back({offset, flags});
  }
};

// A listener that counts the resize notices of the root's children.
struct ChangeCounter {
  int resizes = 0, repaints = 0;
  void Heard(TBarCustomItem*, bool, bars::TBarItemChangeKind kind, int, TBarCustomItem*) {
    if (kind == bars::ickInvalidateAndResize) ++resizes;
    if (kind == bars::ickInvalidate) ++repaints;
  }
};

TEST_F(SkinItems, FontSettingsNotifyOnChangeAndApplyToAFont) {
  TSkinItem* item = NewItem("Open");
  ChangeCounter counter;
  root->RegisterNotification(bars::TBarItemChangeEvent(&counter, &ChangeCounter::Heard));

  TFontSettings& settings = item->FontSettings();
  EXPECT_EQ(settings.Bold(), tsDefault);
  EXPECT_EQ(settings.Size(), 100);
  EXPECT_EQ(settings.Color(), ui::clNone);
  EXPECT_EQ(settings.Name(), "");
  settings.SetSize(150);
  settings.SetSize(150);  // the same value says nothing
  settings.SetBold(tsTrue);
  settings.SetItalic(tsFalse);
  EXPECT_EQ(counter.resizes, 3);

  // Assigning copies every value and tells once; assigning equal values tells nothing.
  TFontSettings other;
  other.Assign(settings);
  EXPECT_EQ(other.Size(), 150);
  EXPECT_EQ(other.Bold(), tsTrue);
  EXPECT_EQ(other.Italic(), tsFalse);
  other.SetColor(RGB(1, 2, 3));
  other.SetName("Arial");
  other.SetUnderline(tsTrue);
  other.SetStrikeOut(tsTrue);
  item->SetFontSettings(other);
  EXPECT_EQ(counter.resizes, 4);
  item->SetFontSettings(other);
  EXPECT_EQ(counter.resizes, 4);
  EXPECT_EQ(settings.StrikeOut(), tsTrue);
  EXPECT_EQ(settings.Name(), "Arial");

  // 150 % of 8 points is (8 x 150 + 50) div 100 = 12; bold added, italic removed, the rest kept.
  ui::TFont font;
  font.SetSize(8);
  font.SetStyle(ui::fsItalic);
  font.SetName("Tahoma");
  TFontSettings sized;
  sized.SetSize(150);
  sized.SetBold(tsTrue);
  sized.SetItalic(tsFalse);
  ApplyFontSettings(sized, font);
  EXPECT_EQ(font.Size(), 12);
  EXPECT_EQ(font.Style(), static_cast<unsigned>(ui::fsBold));
  EXPECT_EQ(font.Name(), "Tahoma");
  EXPECT_EQ(font.Color(), ui::clWindowText);
  ApplyFontSettings(other, font);  // 150 % again, and a colour and a face
  EXPECT_EQ(font.Size(), 18);
  EXPECT_EQ(font.Color(), RGB(1, 2, 3));
  EXPECT_EQ(font.Name(), "Arial");
  EXPECT_EQ(font.Style(), static_cast<unsigned>(ui::fsBold | ui::fsUnderline | ui::fsStrikeOut));
  root->UnregisterNotification(bars::TBarItemChangeEvent(&counter, &ChangeCounter::Heard));
}

TEST_F(SkinItems, PropertySettersAskForANewLayoutOnlyWhenTheValueChanges) {
  TSkinSubmenuItem* sub = NewItem<TSkinSubmenuItem>("More");
  auto* separator = new TSkinSeparatorItem(owner.get());
  root->Add(separator);
  EXPECT_EQ(sub->ItemStyle() & 0x81, 0x81);
  EXPECT_EQ(separator->Size(), -1);
  EXPECT_TRUE(sub->ViewerClass() == bars::ViewerClassOf<TSkinItemViewer>());
  EXPECT_TRUE(separator->ViewerClass() == bars::ViewerClassOf<TSkinSeparatorItemViewer>());

  ChangeCounter counter;
  root->RegisterNotification(bars::TBarItemChangeEvent(&counter, &ChangeCounter::Heard));
  sub->SetLayout(sklGlyphTop);
  sub->SetLayout(sklGlyphTop);
  sub->SetMinWidth(40);
  sub->SetMinHeight(30);
  sub->SetMinHeight(30);
  sub->SetStretch(true);
  sub->SetDropdownCombo(true);
  sub->SetDropdownCombo(true);
  EXPECT_EQ(counter.resizes, 5);
  EXPECT_TRUE(sub->Stretch());
  EXPECT_EQ(sub->ItemStyle() & (bars::isStretch | bars::isSplitButton), bars::isStretch | bars::isSplitButton);
  sub->SetDropdownCombo(false);
  EXPECT_FALSE(sub->DropdownCombo());
  EXPECT_EQ(counter.resizes, 6);

  separator->SetSize(-5);  // below -1: the theme's thickness, already set
  EXPECT_EQ(separator->Size(), -1);
  EXPECT_EQ(counter.resizes, 6);
  separator->SetSize(0);
  EXPECT_EQ(counter.resizes, 7);
  EXPECT_EQ(counter.repaints, 0);
  root->UnregisterNotification(bars::TBarItemChangeEvent(&counter, &ChangeCounter::Heard));
}

TEST_F(SkinItems, ToolbarItemsMeasureByTheThemesMetrics) {
  const SIZE open = CaptionSize("Open");
  int w = 0, h = 0;
  TSkinItem* item = NewItem("Open");
  TSkinItemViewer* viewer = ViewerOf(item);
  viewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, 6 + open.cx + 4);
  EXPECT_EQ(h, 6 + open.cy);

  // An image beside the caption (one pixel more: themed viewers are wide), or above it.
  item->SetImages(images);
  item->SetImageIndex(0);
  item->SetDisplayMode(bars::bdmImageAndText);
  viewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, 6 + open.cx + 4 + 16 + 1);
  EXPECT_EQ(h, std::max<int>(6 + open.cy, 16 + 6));
  item->SetLayout(sklGlyphTop);
  viewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, std::max<int>(6 + open.cx + 4, 16 + 7));
  EXPECT_EQ(h, 6 + open.cy + 16);

  // Arrows: a split item adds metric 10; a drop-down arrow metric 20, or beside the image of a
  // glyph-top item, at least metric 20 + image + 9.
  TSkinSubmenuItem* sub = NewItem<TSkinSubmenuItem>("Open");
  TSkinItemViewer* subViewer = ViewerOf(sub);
  sub->SetDropdownCombo(true);
  subViewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, 6 + open.cx + 4 + 11);
  sub->SetDropdownCombo(false);
  sub->SetOptions(BarOption(bars::tboDropdownArrow));
  subViewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, 6 + open.cx + 4 + 8);
  EXPECT_EQ(h, 6 + open.cy);
  sub->SetImages(images);
  sub->SetImageIndex(1);
  sub->SetDisplayMode(bars::bdmImageAndText);
  sub->SetLayout(sklGlyphTop);
  subViewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, std::max<int>(6 + open.cx + 4, 8 + 16 + 9));
  EXPECT_EQ(h, 6 + open.cy + 16);

  // A vertical toolbar turns a caption without a layout of its own; the arrow goes below.
  view.vertical = true;
  sub->SetLayout(sklAuto);
  sub->SetImageIndex(-1);
  subViewer->MeasureSize(canvas, w, h);
  HDC dc = picture.Dc();
  HGDIOBJ old = SelectObject(dc, view.FontForDrawing().Handle());
  const int fontHeight = bars::DCFontHeight(dc);
  SelectObject(dc, old);
  EXPECT_EQ(w, 6 + fontHeight);
  EXPECT_EQ(h, 6 + open.cx + 4 + 8);
  view.vertical = false;

  // The least sizes win when larger; 0 changes nothing.
  item->SetLayout(sklAuto);
  item->SetImageIndex(-1);
  item->SetMinWidth(200);
  viewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 6 + open.cy);
  item->SetMinWidth(0);
  item->SetMinHeight(1);
  viewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, 6 + open.cx + 4);
  EXPECT_EQ(h, 6 + open.cy);
}

TEST_F(SkinItems, MenuItemsMeasureWithMarginsGapsImageColumnAndShortcut) {
  UseMenu();
  const TEXTMETRICW tm = ViewFontMetrics();
  // The image column: v = 2 + 3, a = text height + leading + v, b = v + 16.
  const int v = 5;
  const int a = tm.tmHeight + tm.tmExternalLeading + v;
  const int b = v + 16;
  const int column = std::max(a, b) * (v + 16) / b;

  TSkinItem* item = NewItem("Save\tCtrl+S");
  TSkinItemViewer* viewer = ViewerOf(item);
  EXPECT_EQ(PopupImageColumnWidth(viewer), column);
  int w = 0, h = 0;
  viewer->MeasureSize(canvas, w, h);
  const SIZE save = CaptionSize("Save");
  const SIZE keys = CaptionSize("Ctrl+S");
  const int height = std::max<int>(save.cy + tm.tmExternalLeading, 16) + 2 + 3;
  EXPECT_EQ(h, height);
  EXPECT_EQ(w, save.cx + 5 + 7 + 1 + column + 2 + 4 + (keys.cx + height - 6) + height);

  // A 24 x 24 image list widens the column and heightens the row.
  ui::TCustomImageList big(nullptr, 24, 24);
  item->SetImages(&big);
  const int bigB = v + 24;
  EXPECT_EQ(PopupImageColumnWidth(viewer), std::max(a, bigB) * (v + 24) / bigB);
  viewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(h, std::max<int>(save.cy + tm.tmExternalLeading, 24) + 2 + 3);
  item->SetImages(nullptr);
}

TEST_F(SkinItems, SeparatorsMeasureByTheirSizeOrTheThemesThickness) {
  auto* separator = new TSkinSeparatorItem(owner.get());
  root->Add(separator);
  TBarItemViewer* viewer = view.AddViewer(separator, {0, 0, 6, 22});
  int w = -1, h = -1;
  viewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, 6);  // metric 50
  EXPECT_EQ(h, 6);
  separator->SetSize(0);
  viewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  UseMenu();
  viewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  separator->SetSize(4);
  viewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 4);
  separator->SetSize(-1);
  viewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, 9);  // metric 35
  EXPECT_EQ(h, 9);
  // A theme without a thickness leaves it to the framework.
  theme->metrics.erase(35);
  int fw = 0, fh = 0;
  static_cast<TSkinSeparatorItemViewer*>(viewer)->bars::TBarSeparatorItemViewer::MeasureSize(canvas, fw, fh);
  viewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, fw);
  EXPECT_EQ(h, fh);
}

TEST_F(SkinItems, ToolbarButtonsTellTheThemeTheirStateInPaintOrder) {
  TSkinItem* item = NewItem("Open");
  item->SetImages(images);
  item->SetImageIndex(1);
  item->SetDisplayMode(bars::bdmImageAndText);
  TSkinItemViewer* viewer = ViewerOf(item);
  view.selected = viewer;

  Paint(viewer, true, false);
  ASSERT_EQ(theme->Ops(), (std::vector<std::string>{"face", "caption", "glyph"}));
  const Call& face = theme->Find("face");
  ExpectRect(face.Rect, 0, 0, 60, 22);
  EXPECT_EQ(face.State.ViewKind, vkToolbar);
  EXPECT_EQ(Options(face.State), idoToolbarStyle);
  EXPECT_EQ(face.State.Enabled, 1);
  EXPECT_EQ(face.State.Hover, 2);
  EXPECT_EQ(face.State.Pushed, 0);
  EXPECT_EQ(face.State.ImageShown, 1);
  EXPECT_EQ(face.State.ImageWidth, 16);
  EXPECT_EQ(face.State.ImageHeight, 16);
  EXPECT_EQ(face.State.Part, 0);
  EXPECT_EQ(face.State.ImageColumnWidth, PopupImageColumnWidth(viewer));
  // The caption: after the image and 3 pixels, centred in what is left of the inset rectangle;
  // in the theme's colour for the state.
  const SIZE open = CaptionSize("Open");
  const Call& caption = theme->Find("caption");
  const LONG left = 2 + 16 + 3;
  ExpectRect(caption.Rect, left + (58 - left - open.cx) / 2, 2 + (18 - open.cy) / 2,
             left + (58 - left - open.cx) / 2 + open.cx, 2 + (18 - open.cy) / 2 + open.cy);
  EXPECT_EQ(caption.Text, "Open");
  EXPECT_EQ(caption.Format, static_cast<UINT>(DT_VCENTER) | viewer->CaptionFormat());
  EXPECT_FALSE(caption.Flag);
  EXPECT_EQ(caption.FontColor, RGB(10, 20, 32));
  ASSERT_EQ(theme->colorQueries.size(), 1u);
  EXPECT_EQ(theme->colorQueries[0].Hover, 2);
  // The image: centred in a cell of its width + 2 at the left of the inset rectangle.
  const Call& glyph = theme->Find("glyph");
  ExpectRect(glyph.Rect, 3, 3, 19, 19);
  EXPECT_EQ(glyph.Index, 1);

  // Pushed and checked; hot only when enabled; a disabled item under the mouse is not hot, away
  // from it (MouseOverSelected off) it is hot-but-disabled.
  item->SetChecked(true);
  Paint(viewer, true, true);
  EXPECT_EQ(theme->Find("face").State.Pushed, 1);
  EXPECT_EQ(theme->Find("face").State.Checked, 1);
  EXPECT_EQ(theme->Find("face").State.PopupOpen, 0);
  EXPECT_EQ(theme->Ops(), (std::vector<std::string>{"face", "caption", "glyph"}));
  item->SetChecked(false);
  item->SetEnabled(false);
  view.mouseOverSelected = true;
  Paint(viewer, true, false);
  EXPECT_EQ(theme->Find("face").State.Enabled, 0);
  EXPECT_EQ(theme->Find("face").State.Hover, 0);
  view.mouseOverSelected = false;
  Paint(viewer, true, false);
  EXPECT_EQ(theme->Find("face").State.Hover, 1);
  view.customizing = true;  // customizing shows every item enabled
  Paint(viewer, false, false);
  EXPECT_EQ(theme->Find("face").State.Enabled, 1);
  view.customizing = false;
  item->SetEnabled(true);

  // A checked toolbar item without an image paints no check glyph.
  item->SetImageIndex(-1);
  item->SetChecked(true);
  Paint(viewer);
  EXPECT_EQ(theme->Ops(), (std::vector<std::string>{"face", "caption"}));
  EXPECT_EQ(theme->Find("face").State.ImageShown, 0);
  EXPECT_EQ(theme->Find("face").State.ImageWidth, 0);
}

TEST_F(SkinItems, SplitItemsPaintTheirButtonAndDropDownPartsApart) {
  TSkinSubmenuItem* item = NewItem<TSkinSubmenuItem>("Undo");
  item->SetDropdownCombo(true);
  item->SetChecked(true);
  TSkinItemViewer* viewer = ViewerOf(item);

  // Pushed without the mouse held: the popup is open, the drop-down part is down.
  Paint(viewer, true, true);
  ASSERT_EQ(theme->Ops(), (std::vector<std::string>{"face", "face", "caption"}));
  const Call& button = theme->Find("face", 0);
  const Call& dropDown = theme->Find("face", 1);
  ExpectRect(button.Rect, 0, 0, 49, 22);
  EXPECT_EQ(button.State.Part, 2);
  EXPECT_EQ(button.State.Pushed, 0);
  EXPECT_EQ(button.State.Checked, 1);
  EXPECT_EQ(button.State.Vertical, 0);
  EXPECT_EQ(Options(button.State), idoToolbarStyle | idoSubmenu | idoSplit);
  EXPECT_EQ(button.State.PopupOpen, 1);
  ExpectRect(dropDown.Rect, 49, 0, 60, 22);
  EXPECT_EQ(dropDown.State.Part, 3);
  EXPECT_EQ(dropDown.State.Pushed, 1);
  EXPECT_EQ(dropDown.State.Checked, 0);
  // The caption belongs to the button part, restored.
  const Call& caption = theme->Find("caption");
  EXPECT_EQ(caption.State.Part, 2);
  EXPECT_EQ(caption.State.Pushed, 0);
  EXPECT_EQ(caption.State.Checked, 1);
  const SIZE undo = CaptionSize("Undo");
  EXPECT_EQ(caption.Rect.left, 2 + (45 - undo.cx) / 2);

  // With the mouse held on it, the button part is down.
  view.capture = true;
  Paint(viewer, true, true);
  EXPECT_EQ(theme->Find("face", 0).State.Pushed, 1);
  EXPECT_EQ(theme->Find("face", 1).State.Pushed, 0);
  EXPECT_EQ(theme->Find("face", 0).State.PopupOpen, 0);
  view.capture = false;

  // Split items are never drawn vertical; the drop-down part follows metric 10.
  view.vertical = true;
  theme->metrics[10] = 14;
  Paint(viewer);
  EXPECT_EQ(theme->Find("face", 0).State.Vertical, 0);
  ExpectRect(theme->Find("face", 0).Rect, 0, 0, 46, 22);
  ExpectRect(theme->Find("face", 1).Rect, 46, 0, 60, 22);

  // The button part ends where the drop-down part starts.
  EXPECT_TRUE(viewer->HitsButtonPart(45, 5));
  EXPECT_FALSE(viewer->HitsButtonPart(46, 5));
  UseMenu();
  const int check = GetSystemMetrics(SM_CXMENUCHECK);
  EXPECT_TRUE(viewer->HitsButtonPart(60 - check - 1, 5));
  EXPECT_FALSE(viewer->HitsButtonPart(60 - check, 5));
  item->SetDropdownCombo(false);
  EXPECT_FALSE(viewer->HitsButtonPart(1, 5));
  EXPECT_TRUE(ViewerOf(NewItem("Plain"))->HitsButtonPart(59, 5));
}

TEST_F(SkinItems, DropDownArrowsSitAtTheEndOrBesideATopImage) {
  TSkinSubmenuItem* item = NewItem<TSkinSubmenuItem>("Go");
  item->SetOptions(BarOption(bars::tboDropdownArrow));
  TSkinItemViewer* viewer = ViewerOf(item);
  view.tracking = true;
  Paint(viewer, true, true);
  ASSERT_EQ(theme->Ops(), (std::vector<std::string>{"face", "arrow", "caption"}));
  ExpectRect(theme->Find("face").Rect, 0, 0, 60, 22);
  EXPECT_EQ(theme->Find("face").State.Part, 1);
  EXPECT_EQ(theme->Find("face").State.PopupOpen, 1);  // a submenu item pushed
  ExpectRect(theme->Find("arrow").Rect, 60 - 8 - 3, 0, 60 - 3, 22);
  // The caption is centred in what the arrow leaves, inset by 2.
  const SIZE go = CaptionSize("Go");
  EXPECT_EQ(theme->Find("caption").Rect.left, 2 + (50 - 2 - go.cx) / 2);

  view.vertical = true;
  viewer->BoundsRect = {0, 0, 22, 60};
  Paint(viewer);
  EXPECT_EQ(theme->Find("face").State.Vertical, 1);
  ExpectRect(theme->Find("arrow").Rect, 0, 60 - 8 - 3, 22, 60 - 3);
  EXPECT_TRUE(theme->Find("caption").Flag);  // rotated
  view.vertical = false;

  // Glyph-top with the arrow beside the image: the item keeps its width, the image moves left
  // by (1 - 8) div 2.
  item->SetImages(images);
  item->SetImageIndex(0);
  item->SetDisplayMode(bars::bdmImageAndText);
  item->SetLayout(sklGlyphTop);
  viewer->BoundsRect = {0, 0, 40, 40};
  Paint(viewer);
  ASSERT_EQ(theme->Ops(), (std::vector<std::string>{"face", "arrow", "caption", "glyph"}));
  const LONG arrowRight = (0 + 40 + 16 + 8 + 4) / 2;
  const LONG arrowTop = (0 + 40 - 16 - 2 - go.cy) / 2;
  ExpectRect(theme->Find("arrow").Rect, arrowRight - 8, arrowTop, arrowRight, arrowTop + 16);
  // Inset item rectangle (2, 2, 38, 38); the caption below the image and a pixel.
  const RECT& caption = theme->Find("caption").Rect;
  EXPECT_EQ(caption.left, 2 + (36 - go.cx) / 2);
  EXPECT_EQ(caption.top, 2 + 16 + 1 + (36 - 17 - go.cy) / 2);
  const LONG imageTop = (2 + 38 - 16 - 2 - go.cy) / 2;
  const LONG imageLeft = 2 - 3 + (36 - 16) / 2;
  ExpectRect(theme->Find("glyph").Rect, imageLeft, imageTop + 1, imageLeft + 16, imageTop + 17);
}

TEST_F(SkinItems, MenuItemsPaintFaceCaptionShortcutAndCheckThroughTheTheme) {
  UseMenu();
  const TEXTMETRICW tm = ViewFontMetrics();
  TSkinItem* item = NewItem("Save\tCtrl+S");
  item->SetChecked(true);
  // A row one line and twice the bottom margin high: the text moves up by a pixel.
  const LONG rowHeight = 2 + 3 + 3 + tm.tmHeight + tm.tmExternalLeading;
  TSkinItemViewer* viewer = ViewerOf(item, {0, 10, 150, 10 + rowHeight});
  view.selected = viewer;
  Paint(viewer, true, false);
  ASSERT_EQ(theme->Ops(), (std::vector<std::string>{"menuface", "caption", "caption", "check"}));
  const Call& face = theme->Find("menuface");
  ExpectRect(face.Rect, 0, 10, 150, 10 + rowHeight);
  EXPECT_EQ(Options(face.State), 0u);
  EXPECT_EQ(face.State.ViewKind, vkPopupMenu);
  EXPECT_EQ(face.State.Hover, 2);
  EXPECT_EQ(face.State.Checked, 1);
  const int column = PopupImageColumnWidth(viewer);
  EXPECT_EQ(face.State.ImageColumnWidth, column);

  const SIZE save = CaptionSize("Save");
  const Call& caption = theme->Find("caption", 0);
  EXPECT_EQ(caption.Text, "Save");
  const LONG textLeft = 5 + 1 + column + 2;
  const LONG top = 10 + 2 + tm.tmExternalLeading;
  const LONG bottom = 10 + rowHeight - 3 - 1;
  ExpectRect(caption.Rect, textLeft, top, textLeft + save.cx, bottom);
  EXPECT_EQ(caption.Format, static_cast<UINT>(DT_SINGLELINE | DT_VCENTER) | viewer->CaptionFormat());
  // The shortcut ends a row height (of the inner rectangle) before the right edge.
  const SIZE keys = CaptionSize("Ctrl+S");
  const Call& shortcut = theme->Find("caption", 1);
  EXPECT_EQ(shortcut.Text, "Ctrl+S");
  const LONG inner = rowHeight - 2 - 3;
  ExpectRect(shortcut.Rect, 150 - 7 - inner - keys.cx, top, 150 - 7, bottom);
  EXPECT_FALSE(shortcut.Flag);
  // The check sits in a square of the row's height at the left.
  ExpectRect(theme->Find("check").Rect, 0, 10, rowHeight, 10 + rowHeight);

  // Any other row height keeps the text rectangle as the margins leave it.
  viewer->BoundsRect = {0, 0, 150, rowHeight + 4};
  Paint(viewer, true, false);
  ExpectRect(theme->Find("caption").Rect, textLeft, 2, textLeft + save.cx, rowHeight + 4 - 3);

  // With an image the image is drawn in place of the check, centred in the square.
  item->SetImages(images);
  item->SetImageIndex(0);
  Paint(viewer);
  ASSERT_EQ(theme->Ops(), (std::vector<std::string>{"menuface", "caption", "caption", "glyph"}));
  const LONG side = rowHeight + 4;
  ExpectRect(theme->Find("glyph").Rect, (side - 16) / 2, (side - 16) / 2, (side - 16) / 2 + 16,
             (side - 16) / 2 + 16);
}

TEST_F(SkinItems, ItemEventsAndTheDefaultOptionShapeTheFontAndTheImage) {
  TSkinItem* item = NewItem("Run");
  item->SetImages(images);
  item->SetImageIndex(0);
  item->SetDisplayMode(bars::bdmImageAndText);
  item->SetOptions(BarOption(bars::tboDefault));
  item->FontSettings().SetColor(RGB(0, 0, 255));
  item->OnAdjustFont = TAdjustFontEvent(this, &SkinItems::AdjustFont);
  item->OnDrawImage = TDrawImageEvent(this, &SkinItems::DrawnImage);
  TSkinItemViewer* viewer = ViewerOf(item);
  item->SetChecked(true);
  Paint(viewer, true, true);
  // Bold for the default item, underlined by the handler, coloured by the settings.
  const Call& caption = theme->Find("caption");
  EXPECT_EQ(caption.FontStyle, static_cast<unsigned>(ui::fsBold | ui::fsUnderline));
  EXPECT_EQ(caption.FontColor, RGB(0, 0, 255));
  ASSERT_FALSE(adjustFlags.empty());
  for (int flags : adjustFlags) EXPECT_EQ(flags, sfHot | sfPushed | sfChecked);
  ASSERT_EQ(drawnImages.size(), 1u);
  EXPECT_EQ(drawnImages[0].first.x, 1);  // the theme's glyph shift for a pushed item
  EXPECT_EQ(drawnImages[0].first.y, 1);
  EXPECT_EQ(drawnImages[0].second, sfHot | sfPushed | sfChecked);
  const SIZE run = CaptionSize("Run", ui::fsBold | ui::fsUnderline);
  int w = 0, h = 0;
  viewer->MeasureSize(canvas, w, h);
  EXPECT_EQ(w, 6 + run.cx + 4 + 17);

  // An index outside the list, or no list, draws no image and calls no handler.
  item->SetImageIndex(2);
  drawnImages.clear();
  Paint(viewer);
  EXPECT_EQ(theme->Ops(), (std::vector<std::string>{"face", "caption"}));
  EXPECT_TRUE(drawnImages.empty());
  TItemDrawState state{};
  theme->calls.clear();
  viewer->DrawImage(canvas, {0, 0, 16, 16}, state);
  item->SetImages(nullptr);
  item->SetImageIndex(0);
  viewer->DrawImage(canvas, {0, 0, 16, 16}, state);
  EXPECT_TRUE(theme->calls.empty());
  EXPECT_TRUE(drawnImages.empty());
}

TEST_F(SkinItems, SeparatorsTellTheThemeWhichWayTheLineRuns) {
  auto* separator = new TSkinSeparatorItem(owner.get());
  root->Add(separator);
  TBarItemViewer* viewer = view.AddViewer(separator, {0, 0, 6, 22});
  Paint(viewer);
  ASSERT_EQ(theme->Ops(), std::vector<std::string>{"separator"});
  Call line = theme->Find("separator");
  EXPECT_FALSE(line.Flag);  // across a horizontal toolbar the line runs up and down
  EXPECT_FALSE(line.LineBreak);
  EXPECT_EQ(line.State.Options, idoToolbarStyle);
  EXPECT_EQ(line.State.Enabled, 1);
  EXPECT_EQ(line.State.ImageColumnWidth, 0);
  ExpectRect(line.Rect, 0, 0, 6, 22);
  viewer->Flags = bars::bvfLineBreak;
  Paint(viewer);
  EXPECT_TRUE(theme->Find("separator").Flag);
  EXPECT_TRUE(theme->Find("separator").LineBreak);
  view.vertical = true;
  Paint(viewer);
  EXPECT_FALSE(theme->Find("separator").Flag);
  EXPECT_EQ(theme->Find("separator").State.Vertical, 1);
  view.vertical = false;
  separator->SetBlank(true);
  Paint(viewer);
  EXPECT_EQ(theme->Find("separator").State.Enabled, 0);
  separator->SetBlank(false);

  // In a chevron popup a separator is horizontal only as a line break.
  window->kind = vkChevronPopup;
  view.toolbar = false;
  Paint(viewer);
  EXPECT_TRUE(theme->Find("separator").Flag);
  viewer->Flags = 0;
  Paint(viewer);
  EXPECT_FALSE(theme->Find("separator").Flag);
  // In a popup menu, always; the image column is filled.
  window->kind = vkPopupMenu;
  Paint(viewer);
  EXPECT_TRUE(theme->Find("separator").Flag);
  EXPECT_EQ(theme->Find("separator").State.Options, 0u);
  EXPECT_EQ(theme->Find("separator").State.ImageColumnWidth, PopupImageColumnWidth(viewer));
  // Size 0 paints nothing.
  separator->SetSize(0);
  Paint(viewer);
  EXPECT_TRUE(theme->calls.empty());
}

TEST_F(SkinItems, ToolboxPopupsMouseUpAndRoles) {
  TSkinSubmenuItem* sub = NewItem<TSkinSubmenuItem>("Palette");
  TSkinItemViewer* subViewer = ViewerOf(sub);
  TSkinItem* item = NewItem("Cut");
  TSkinItemViewer* viewer = ViewerOf(item);
  UseMenu();
  EXPECT_FALSE(viewer->UsesToolbarStyle());
  EXPECT_EQ(subViewer->AccessibleRole(), bars::barRoleMenuItem);
  sub->SetToolBoxPopup(true);
  EXPECT_EQ(subViewer->AccessibleRole(), 58);
  window->kind = vkToolboxPopup;
  EXPECT_TRUE(viewer->UsesToolbarStyle());
  EXPECT_TRUE(viewer->UsesToolbarSize());
  EXPECT_EQ(viewer->ItemMarginKind(), smkToolbarItem);
  window->kind = vkPopupMenu;
  EXPECT_EQ(viewer->ItemMarginKind(), smkMenuItem);

  // A release over the selected, enabled item clicks it, even in a toolbar without the mouse
  // having been held.
  view.toolbar = true;
  window->kind = vkToolbar;
  view.selected = viewer;
  view.mouseOverSelected = true;
  viewer->HandleMouseUp(5, 5, false);
  EXPECT_EQ(view.doneClick, viewer);
  EXPECT_EQ(view.promoted, viewer);
  // Not off the mouse, not disabled, not off a submenu item's button part.
  view.doneClick = nullptr;
  view.mouseOverSelected = false;
  viewer->HandleMouseUp(5, 5, false);
  EXPECT_EQ(view.doneClick, nullptr);
  view.mouseOverSelected = true;
  item->SetEnabled(false);
  viewer->HandleMouseUp(5, 5, false);
  EXPECT_EQ(view.doneClick, nullptr);
  view.selected = subViewer;
  subViewer->HandleMouseUp(5, 5, false);
  EXPECT_EQ(view.doneClick, nullptr);

  // Accelerators hide only when the system hides keyboard cues and the view asks for it.
  view.hidesAccelerators = true;
  view.acceleratorsShown = false;
  EXPECT_EQ(viewer->CaptionFormat(), bars::KeyboardCuesShown() ? 0u : static_cast<UINT>(DT_HIDEPREFIX));
  view.acceleratorsShown = true;
  EXPECT_EQ(viewer->CaptionFormat(), 0u);
}

TEST_F(SkinItems, StatusRoutinesBuildTheStateFromCompactFlags) {
  DrawThemedCaption(canvas, {1, 2, 30, 20}, "Ready", 0x0001 | 0x0008, DT_LEFT);
  DrawThemedGlyph(canvas, {0, 0, 16, 16}, images, 0x0100 | 0x0002 | 0x0004, 1);
  EXPECT_EQ(ThemedCaptionColor(0x0200), RGB(10, 20, 30));
  ASSERT_EQ(theme->Ops(), (std::vector<std::string>{"caption", "glyph"}));
  const Call& caption = theme->Find("caption");
  EXPECT_EQ(caption.State.ViewKind, vkToolbarFamily);
  EXPECT_EQ(caption.State.Options, idoToolbarStyle);
  EXPECT_EQ(caption.State.Enabled, 0);
  EXPECT_EQ(caption.State.Checked, 1);
  EXPECT_EQ(caption.Text, "Ready");
  EXPECT_EQ(caption.Format, static_cast<UINT>(DT_LEFT));
  EXPECT_FALSE(caption.Flag);
  ExpectRect(caption.Rect, 1, 2, 30, 20);
  const Call& glyph = theme->Find("glyph");
  EXPECT_EQ(glyph.State.ViewKind, 0x4000);
  EXPECT_EQ(glyph.State.Options, 0u);
  EXPECT_EQ(glyph.State.Enabled, 1);
  EXPECT_EQ(glyph.State.Hover, 2);
  EXPECT_EQ(glyph.State.Pushed, 1);
  EXPECT_EQ(glyph.Index, 1);
  ASSERT_EQ(theme->colorQueries.size(), 1u);
  EXPECT_EQ(theme->colorQueries[0].ViewKind, vkStatusBar);
  EXPECT_EQ(theme->colorQueries[0].Enabled, 1);
}

// A popup host that only writes down what it was asked to open.
class RecordingPopupHost : public bars::IBarPopupHost {
 public:
  std::vector<bool> selectFirst;
  bars::TBarPopupWindowClass DefaultPopupWindowClass() override { return {}; }
  bars::TBarPopupWindow* OpenPopupWindow(TBarCustomItem&, const bars::TBarPopupRequest& request) override {
    selectFirst.push_back(request.SelectFirst);
    return nullptr;
  }
  bars::TBarDoneAction TrackPopup(TBarCustomItem&, const bars::TBarPopupRequest&, bool) override { return {}; }
};

TEST_F(SkinItems, SubmenusAlwaysSelectingFirstAskForItWhenOpened) {
  RecordingPopupHost host;
  bars::IBarPopupHost* previous = bars::BarPopupHost();
  bars::SetBarPopupHost(&host);
  TSkinSubmenuItem* item = NewItem<TSkinSubmenuItem>("Edit");
  item->OpenSubmenuPopup(&view, nullptr, true, false, false, {}, bars::bpaLeft);
  item->SetAlwaysSelectFirst(true);
  item->OpenSubmenuPopup(&view, nullptr, true, false, false, {}, bars::bpaLeft);
  item->OpenSubmenuPopup(&view, nullptr, true, true, false, {}, bars::bpaLeft);
  bars::SetBarPopupHost(previous);
  EXPECT_EQ(host.selectFirst, (std::vector<bool>{false, true, true}));
}

TEST_F(SkinItems, PopupsTouchTheirItemWhenTheThemeAsks) {
  TSkinSubmenuItem* item = NewItem<TSkinSubmenuItem>("File");
  auto placement = [] {
    bars::TBarPopupPlacement p;
    p.MonitorRect = {0, 0, 1000, 800};
    p.ParentItemRect = {100, 10, 140, 30};
    p.X = 100;
    p.Y = 30;
    p.W = 120;
    p.H = 200;
    return p;
  };
  // Without the flag: the framework's placement alone.
  bars::TBarPopupPlacement plain = placement();
  item->PlacePopup(nullptr, nullptr, plain);
  bars::TBarPopupPlacement framework = placement();
  item->TBarCustomItem::PlacePopup(nullptr, nullptr, framework);
  EXPECT_EQ(plain.X, framework.X);
  EXPECT_EQ(plain.Y, framework.Y);
  ExpectRect(plain.ParentItemRect, 100, 10, 140, 30);

  // With it: the item loses a pixel at the right and bottom, a popup at its bottom edge moves
  // up onto it, and the size comes back.
  theme->touchesItem = true;
  bars::TBarPopupPlacement touching = placement();
  item->PlacePopup(nullptr, nullptr, touching);
  ExpectRect(touching.ParentItemRect, 100, 10, 139, 29);
  EXPECT_EQ(touching.X, 100);
  EXPECT_EQ(touching.Y, 29);
  EXPECT_EQ(touching.W, 120);
  EXPECT_EQ(touching.H, 200);
  // A popup wholly left of the item moves right by one.
  bars::TBarPopupPlacement left = placement();
  left.ParentItemRect = {300, 10, 340, 30};
  left.X = 180;
  left.Y = 10;
  item->PlacePopup(nullptr, nullptr, left);
  EXPECT_EQ(left.X, 181);
  bars::TBarPopupPlacement beside = placement();
  beside.X = 140;
  beside.Y = 10;
  beside.AsSubmenu = true;
  item->PlacePopup(nullptr, nullptr, beside);
  EXPECT_EQ(beside.X, 139);
}

}  // namespace
}  // namespace movra::skin
