// The action-link protocol, fonts from system descriptions, canvas drawing and copying,
// pattern brushes and the image lists' bitmaps and masks.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/ui/actions.h"
#include "runtime/ui/graphics.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/stdctrls.h"
#include "tests/support/support.h"

using namespace movra::ui;
using movra::testing::TestPicture;

namespace {

// A client with every linked property, as a toolbar item has them.
struct TFakeClient : TObject {
  std::string caption, hint;
  bool checked = false, enabled = true, visible = true, autoCheck = false;
  int helpContext = 0, imageIndex = -1;
  TShortCut shortcut = 0;
  TNotifyEvent onClick;
};

// Records what the action hands over and what the action held at that moment.
class TFakeLink : public TActionLink {
 public:
  using TActionLink::TActionLink;
  TFakeClient* client = nullptr;
  std::vector<std::string> seen;

  bool IsCaptionLinked() override { return TActionLink::IsCaptionLinked() && client->caption == CustomAction()->Caption(); }
  bool IsCheckedLinked() override { return TActionLink::IsCheckedLinked() && client->checked == CustomAction()->Checked(); }
  bool IsEnabledLinked() override { return TActionLink::IsEnabledLinked() && client->enabled == CustomAction()->Enabled(); }
  bool IsHelpContextLinked() override {
    return TActionLink::IsHelpContextLinked() && client->helpContext == CustomAction()->HelpContext();
  }
  bool IsHintLinked() override { return TActionLink::IsHintLinked() && client->hint == CustomAction()->Hint(); }
  bool IsImageIndexLinked() override {
    return TActionLink::IsImageIndexLinked() && client->imageIndex == CustomAction()->ImageIndex();
  }
  bool IsShortCutLinked() override { return TActionLink::IsShortCutLinked() && client->shortcut == CustomAction()->ShortCut(); }
  bool IsVisibleLinked() override { return TActionLink::IsVisibleLinked() && client->visible == CustomAction()->Visible(); }
  bool IsOnExecuteLinked() override {
    return TActionLink::IsOnExecuteLinked() && Action() && client->onClick == Action()->OnExecute;
  }
  void SetCaption(const std::string& v) override {
    seen.push_back("caption " + v + " over " + CustomAction()->Caption());
    if (IsCaptionLinked()) client->caption = v;
  }
  void SetChecked(bool v) override { if (IsCheckedLinked()) client->checked = v; }
  void SetEnabled(bool v) override { if (IsEnabledLinked()) client->enabled = v; }
  void SetHelpContext(int v) override { if (IsHelpContextLinked()) client->helpContext = v; }
  void SetHint(const std::string& v) override { if (IsHintLinked()) client->hint = v; }
  void SetImageIndex(int v) override { if (IsImageIndexLinked()) client->imageIndex = v; }
  void SetShortCut(TShortCut v) override { if (IsShortCutLinked()) client->shortcut = v; }
  void SetVisible(bool v) override { if (IsVisibleLinked()) client->visible = v; }
  void SetAutoCheck(bool v) override { client->autoCheck = v; }
  void SetOnExecute(const TNotifyEvent& v) override { if (IsOnExecuteLinked()) client->onClick = v; }

 protected:
  void AssignClient(TObject* c) override {
    TActionLink::AssignClient(c);
    client = static_cast<TFakeClient*>(c);
  }
};

struct ChangeCounter : TObject {
  int changes = 0;
  TObject* lastSender = nullptr;
  void Changed(TObject* sender) {
    ++changes;
    lastSender = sender;
  }
};

}  // namespace

TEST(ActionLinks, LinkedPropertiesFollowTheActionAndOwnValuesSurvive) {
  auto action = MakeOwned<TAction>(nullptr);
  action->SetCaption("Run");
  action->SetHint("Runs it");
  action->SetShortCut(ShortCut(VK_F9, 0));
  TFakeClient client;
  client.caption = "Run";
  client.hint = "My own hint";  // differs from the action's: not linked
  client.shortcut = ShortCut(VK_F9, 0);
  auto link = CreateActionLink<TFakeLink>(&client);
  ASSERT_EQ(link->client, &client);  // AssignClient ran
  EXPECT_EQ(link->Client(), &client);
  ChangeCounter counter;
  link->OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
  link->SetAction(action.get());
  EXPECT_EQ(action->ClientCount(), 1);
  EXPECT_TRUE(link->IsCaptionLinked());
  EXPECT_FALSE(link->IsHintLinked());

  action->SetCaption("Start");
  action->SetHint("Starts it");
  action->SetShortCut(ShortCut('R', ssCtrl));
  action->SetEnabled(false);
  action->SetChecked(true);
  action->SetVisible(false);
  action->SetImageIndex(4);
  action->SetHelpContext(17);
  action->SetAutoCheck(true);
  EXPECT_EQ(client.caption, "Start");
  EXPECT_EQ(client.hint, "My own hint");
  EXPECT_EQ(client.shortcut, ShortCut('R', ssCtrl));
  EXPECT_FALSE(client.enabled);
  EXPECT_TRUE(client.checked);
  EXPECT_FALSE(client.visible);
  EXPECT_EQ(client.imageIndex, 4);
  EXPECT_EQ(client.helpContext, 17);
  EXPECT_EQ(action->HelpContext(), 17);
  EXPECT_TRUE(client.autoCheck);
  // The link saw the new value while the action still held the old one.
  ASSERT_EQ(link->seen.size(), 1u);
  EXPECT_EQ(link->seen[0], "caption Start over Run");
  // One change notice per property, each after the value was stored.
  EXPECT_EQ(counter.changes, 9);
  EXPECT_EQ(counter.lastSender, action.get());
  // Setting a value the action already has tells nobody.
  action->SetCaption("Start");
  EXPECT_EQ(counter.changes, 9);
  EXPECT_EQ(link->seen.size(), 1u);
}

TEST(ActionLinks, BaseTestsNeedACustomActionAndTheLinkLeavesWithEitherSide) {
  TFakeClient client;
  auto basic = MakeOwned<TBasicAction>(nullptr);
  {
    auto link = CreateActionLink<TFakeLink>(&client);
    link->SetAction(basic.get());
    EXPECT_FALSE(link->IsCaptionLinked());
    EXPECT_FALSE(link->IsHelpContextLinked());
    EXPECT_FALSE(link->IsVisibleLinked());
    EXPECT_EQ(link->CustomAction(), nullptr);
    EXPECT_EQ(basic->ClientCount(), 1);
  }
  EXPECT_EQ(basic->ClientCount(), 0);  // the link left when it was freed

  auto link = CreateActionLink<TFakeLink>(&client);
  {
    auto action = MakeOwned<TAction>(nullptr);
    link->SetAction(action.get());
    ASSERT_EQ(link->Action(), action.get());
  }
  EXPECT_EQ(link->Action(), nullptr);  // the action left when it was freed
  EXPECT_FALSE(link->Execute());
  EXPECT_FALSE(link->Update());
}

TEST(ActionLinks, ExecuteNamesTheComponentAndOnExecuteLinkFollowsTheHandler) {
  struct Runner : TObject {
    TObject* component = nullptr;
    TBasicAction* action = nullptr;
    void Run(TObject*) { component = action->ActionComponent; }
  } runner;
  auto action = MakeOwned<TAction>(nullptr);
  runner.action = action.get();
  action->OnExecute = TNotifyEvent(&runner, &Runner::Run);
  TFakeClient client;
  auto link = CreateActionLink<TFakeLink>(&client);
  link->SetAction(action.get());
  EXPECT_FALSE(link->IsOnExecuteLinked());
  client.onClick = action->OnExecute;
  EXPECT_TRUE(link->IsOnExecuteLinked());
  EXPECT_TRUE(link->Execute());
  EXPECT_EQ(runner.component, &client);
  TFakeClient other;
  EXPECT_TRUE(link->Execute(&other));
  EXPECT_EQ(runner.component, &other);
  EXPECT_EQ(action->ActionComponent, nullptr);  // cleared after the run
}

TEST(ActionLinks, HintHookRewritesOrSuppressesTheHint) {
  struct Hook : TObject {
    void Rewrite(std::string& hint, bool& show) {
      if (hint == "secret")
        show = false;
      else
        hint = "[" + hint + "]";
    }
  } hook;
  auto action = MakeOwned<TAction>(nullptr);
  std::string hint = "Runs";
  EXPECT_TRUE(action->DoHint(hint));
  EXPECT_EQ(hint, "Runs");
  action->OnHint = TDelegate<std::string&, bool&>(&hook, &Hook::Rewrite);
  EXPECT_TRUE(action->DoHint(hint));
  EXPECT_EQ(hint, "[Runs]");
  hint = "secret";
  EXPECT_FALSE(action->DoHint(hint));
}

TEST(ActionLinks, ControlsAndMenuItemsKeepWhatTheirUserSet) {
  auto owner = MakeOwned<TComponent>(nullptr);
  auto* action = new TAction(owner.get());
  action->SetCaption("Open");
  action->SetHint("Opens");
  auto* button = new TButton(owner.get());
  button->SetAction(action);
  EXPECT_EQ(button->Caption(), "Open");
  button->SetHint("Button's own");
  action->SetCaption("Open file");
  action->SetHint("Opens a file");
  action->SetEnabled(false);
  EXPECT_EQ(button->Caption(), "Open file");
  EXPECT_EQ(button->Hint(), "Button's own");
  EXPECT_FALSE(button->Enabled());

  auto* item = new TMenuItem(owner.get());
  item->SetAction(action);
  EXPECT_EQ(item->Caption(), "Open file");
  action->SetShortCut(ShortCut('O', ssCtrl));
  action->SetImageIndex(3);
  EXPECT_EQ(item->ShortCut(), ShortCut('O', ssCtrl));
  EXPECT_EQ(item->ImageIndex(), 3);
  item->SetImageIndex(7);
  action->SetImageIndex(5);
  EXPECT_EQ(item->ImageIndex(), 7);
}

TEST(Exceptions, InvalidOperationCarriesItsText) {
  try {
    throw EInvalidOperation("Can't insert own parent");
  } catch (const movra::Exception& e) {
    EXPECT_STREQ(e.what(), "Can't insert own parent");
  }
}

// --- Fonts -----------------------------------------------------------------------------------

TEST(Fonts, TakenFromAHandleOrDescriptionWithCharset) {
  LOGFONTW lf{};
  lf.lfHeight = -13;
  lf.lfWeight = FW_BOLD;
  lf.lfItalic = 1;
  lf.lfCharSet = RUSSIAN_CHARSET;
  lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  wcscpy(lf.lfFaceName, L"Tahoma");
  HFONT handle = CreateFontIndirectW(&lf);
  TFont font;
  int changes = 0;
  struct Count : TObject {
    int* n;
    void On(TObject*) { ++*n; }
  } count;
  count.n = &changes;
  font.OnChange = TNotifyEvent(&count, &Count::On);
  font.SetHandle(handle);
  DeleteObject(handle);  // the font keeps no reference to the caller's handle
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(font.Name(), "Tahoma");
  EXPECT_EQ(font.Height(), -13);
  EXPECT_EQ(font.Style(), unsigned(fsBold | fsItalic));
  EXPECT_EQ(font.Charset(), RUSSIAN_CHARSET);
  EXPECT_EQ(font.Pitch(), VARIABLE_PITCH);
  font.SetHandle(nullptr);  // nothing to read: unchanged
  EXPECT_EQ(changes, 1);

  LOGFONTW back{};
  ASSERT_EQ(GetObjectW(font.Handle(), sizeof(back), &back), int(sizeof(back)));
  EXPECT_EQ(back.lfCharSet, RUSSIAN_CHARSET);
  EXPECT_EQ(back.lfHeight, -13);
  EXPECT_EQ(back.lfWeight, FW_BOLD);
  EXPECT_STREQ(back.lfFaceName, L"Tahoma");

  TFont copy;
  copy.Assign(font);
  EXPECT_EQ(copy.Charset(), RUSSIAN_CHARSET);
  copy.SetOrientation(2700);
  LOGFONTW turned = copy.LogFont();
  EXPECT_EQ(turned.lfEscapement, 2700);
  EXPECT_EQ(turned.lfOrientation, 2700);
}

TEST(Fonts, SystemMenuFontFromTheNonClientMetrics) {
  NONCLIENTMETRICSW metrics;
  ASSERT_TRUE(GetNonClientMetrics(metrics));
  EXPECT_NE(metrics.lfMenuFont.lfFaceName[0], L'\0');
  TFont menu;
  menu.AssignLogFont(metrics.lfMenuFont);
  EXPECT_EQ(menu.Height(), metrics.lfMenuFont.lfHeight);
  EXPECT_EQ(menu.Charset(), metrics.lfMenuFont.lfCharSet);
  EXPECT_FALSE(menu.Name().empty());
}

// --- Canvas ----------------------------------------------------------------------------------

TEST(CanvasDrawing, PolygonFillsAndPolylineOutlines) {
  TestPicture picture(40, 40);
  TCanvas canvas;
  canvas.SetHandle(picture.Dc());
  canvas.Pen().SetColor(clBlue);
  canvas.Brush().SetColor(clRed);
  canvas.Polygon({{5, 5}, {35, 5}, {35, 35}, {5, 35}});
  canvas.Brush().SetColor(clLime);
  canvas.Pen().SetColor(clBlack);
  canvas.Polyline({{0, 38}, {20, 38}});
  EXPECT_EQ(canvas.PenPos().x, 0);  // polylines leave the pen where it was
  canvas.SetHandle(nullptr);
  picture.Save("canvas_polygon");
  EXPECT_EQ(picture.Pixel(20, 20), RGB(255, 0, 0));
  EXPECT_EQ(picture.Pixel(5, 20), RGB(0, 0, 255));
  EXPECT_EQ(picture.Pixel(35, 20), RGB(0, 0, 255));
  EXPECT_EQ(picture.Pixel(2, 2), RGB(255, 255, 255));
  EXPECT_EQ(picture.Pixel(10, 38), RGB(0, 0, 0));
  EXPECT_EQ(picture.Pixel(20, 38), RGB(255, 255, 255));  // the end point is not drawn
}

TEST(CanvasDrawing, NoColourDrawsNothing) {
  TestPicture picture(20, 20);
  TCanvas canvas;
  canvas.SetHandle(picture.Dc());
  canvas.Pen().SetColor(clNone);
  canvas.Brush().SetColor(clNone);
  canvas.Polygon({{2, 2}, {18, 2}, {18, 18}, {2, 18}});
  canvas.FillRect({0, 0, 20, 20});
  canvas.SetHandle(nullptr);
  for (int x = 0; x < 20; x += 3) EXPECT_EQ(picture.Pixel(x, x), RGB(255, 255, 255)) << x;
}

TEST(CanvasDrawing, CopyRectCopiesAndStretchesBetweenCanvases) {
  TBitmap source(4, 2);
  source.Canvas().Brush().SetColor(clRed);
  source.Canvas().FillRect({0, 0, 2, 2});
  source.Canvas().Brush().SetColor(clBlue);
  source.Canvas().FillRect({2, 0, 4, 2});
  TestPicture picture(20, 10);
  TCanvas canvas;
  canvas.SetHandle(picture.Dc());
  canvas.CopyRect({0, 0, 4, 2}, source.Canvas(), {0, 0, 4, 2});
  canvas.CopyRect({10, 0, 18, 4}, source.Canvas(), {0, 0, 4, 2});
  canvas.CopyMode = NOTSRCCOPY;
  canvas.CopyRect({0, 6, 2, 8}, source.Canvas(), {0, 0, 2, 2});
  canvas.SetHandle(nullptr);
  EXPECT_EQ(picture.Pixel(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(picture.Pixel(3, 1), RGB(0, 0, 255));
  EXPECT_EQ(picture.Pixel(11, 3), RGB(255, 0, 0));
  EXPECT_EQ(picture.Pixel(16, 3), RGB(0, 0, 255));
  EXPECT_EQ(picture.Pixel(19, 0), RGB(255, 255, 255));
  EXPECT_EQ(picture.Pixel(1, 7), RGB(0, 255, 255));  // inverted red
}

TEST(CanvasDrawing, ClipRectIsTheClipBox) {
  TestPicture picture(50, 30);
  TCanvas canvas;
  canvas.SetHandle(picture.Dc());
  RECT whole = canvas.ClipRect();
  EXPECT_EQ(whole.right, 50);
  EXPECT_EQ(whole.bottom, 30);
  IntersectClipRect(picture.Dc(), 10, 5, 20, 25);
  RECT clipped = canvas.ClipRect();
  EXPECT_EQ(clipped.left, 10);
  EXPECT_EQ(clipped.top, 5);
  EXPECT_EQ(clipped.right, 20);
  EXPECT_EQ(clipped.bottom, 25);
  canvas.Brush().SetColor(clRed);
  canvas.FillRect({0, 0, 50, 30});
  SelectClipRgn(picture.Dc(), nullptr);
  canvas.SetHandle(nullptr);
  EXPECT_EQ(picture.Pixel(15, 15), RGB(255, 0, 0));
  EXPECT_EQ(picture.Pixel(5, 15), RGB(255, 255, 255));
}

TEST(CanvasDrawing, PatternBrushPaintsTheBitmapInTextAndBackgroundColours) {
  TBitmap pattern(8, 8, TPixelFormat::pf1bit);
  static const WORD rows[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
  HBITMAP checker = CreateBitmap(8, 8, 1, 1, rows);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, checker);
  BitBlt(pattern.Canvas().Handle(), 0, 0, 8, 8, dc, 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(checker);

  TestPicture picture(16, 16);
  TCanvas canvas;
  canvas.SetHandle(picture.Dc());
  canvas.Brush().SetBitmap(&pattern);
  pattern.SetSize(0, 0);  // the brush holds its own copy
  ASSERT_NE(canvas.Brush().Bitmap(), nullptr);
  SetTextColor(picture.Dc(), RGB(255, 0, 0));
  SetBkColor(picture.Dc(), RGB(0, 0, 255));
  RECT all{0, 0, 16, 16};
  ::FillRect(picture.Dc(), &all, canvas.Brush().Handle());
  canvas.SetHandle(nullptr);
  picture.Save("canvas_pattern_brush");
  // Row 0 is 0x55: bit 7 (x = 0) clear, bit 6 (x = 1) set.
  EXPECT_EQ(picture.Pixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(picture.Pixel(1, 0), RGB(0, 0, 255));
  EXPECT_EQ(picture.Pixel(0, 1), RGB(0, 0, 255));
  EXPECT_EQ(picture.Pixel(9, 1), RGB(255, 0, 0));
  canvas.Brush().SetBitmap(nullptr);
  EXPECT_EQ(canvas.Brush().Bitmap(), nullptr);
}

TEST(CanvasDrawing, ChangingASelectedBrushFreesTheOldHandle) {
  TestPicture picture(4, 4);
  TCanvas canvas;
  canvas.SetHandle(picture.Dc());
  std::vector<HGDIOBJ> handles;
  for (int i = 0; i < 20; ++i) {
    canvas.Brush().SetColor(RGB(i, 0, 0));
    canvas.Pen().SetColor(RGB(0, i, 0));
    handles.push_back(canvas.Brush().Handle());
    handles.push_back(canvas.Pen().Handle());
    canvas.Rectangle({0, 0, 4, 4});
  }
  canvas.Brush().SetColor(clWhite);
  canvas.Pen().SetColor(clWhite);
  for (size_t i = 0; i < handles.size(); ++i) EXPECT_EQ(GetObjectType(handles[i]), 0u) << i;
  canvas.SetHandle(nullptr);
}

// --- Image lists -----------------------------------------------------------------------------

namespace {

// A 4 x 4 image: a red 2 x 2 block in the top-left corner, the rest in the mask colour.
void AddRedCorner(TCustomImageList& list) {
  TBitmap image(4, 4);
  image.Canvas().Brush().SetColor(clFuchsia);
  image.Canvas().FillRect({0, 0, 4, 4});
  image.Canvas().Brush().SetColor(clRed);
  image.Canvas().FillRect({0, 0, 2, 2});
  list.AddMasked(image, clFuchsia);
}

}  // namespace

TEST(ImageLists, GiveTheirBitmapAndMask) {
  TImageList list(nullptr, 4, 4);
  AddRedCorner(list);
  TBitmap image;
  EXPECT_FALSE(list.GetBitmap(1, image));
  ASSERT_TRUE(list.GetBitmap(0, image));
  ASSERT_EQ(image.Width(), 4);
  ASSERT_EQ(image.Height(), 4);
  EXPECT_EQ(image.Canvas().Pixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(image.Canvas().Pixel(3, 3), RGB(255, 255, 255));  // transparent: the white background
  list.BkColor = clLime;
  ASSERT_TRUE(list.GetBitmap(0, image));
  EXPECT_EQ(image.Canvas().Pixel(3, 3), RGB(0, 255, 0));

  TBitmap mask;
  ASSERT_TRUE(list.GetMask(0, mask));
  EXPECT_EQ(mask.PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(mask.Canvas().Pixel(1, 1), RGB(0, 0, 0));
  EXPECT_EQ(mask.Canvas().Pixel(3, 3), RGB(255, 255, 255));

  // A monochrome target renders the image in two levels.
  TBitmap mono(1, 1, TPixelFormat::pf1bit);
  list.BkColor = clNone;
  ASSERT_TRUE(list.GetBitmap(0, mono));
  EXPECT_EQ(mono.Width(), 4);
  EXPECT_EQ(mono.PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(mono.Canvas().Pixel(3, 3), RGB(255, 255, 255));
  EXPECT_EQ(mono.Canvas().Pixel(0, 0), RGB(0, 0, 0));
}

TEST(ImageLists, DrawDisabledAndReplace) {
  TImageList list(nullptr, 4, 4);
  AddRedCorner(list);
  TestPicture picture(12, 4);
  list.Draw(picture.Dc(), 0, 0, 0, true);
  list.Draw(picture.Dc(), 6, 0, 0, false);
  picture.Save("imagelist_disabled");
  EXPECT_EQ(picture.Pixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(picture.Pixel(3, 3), RGB(255, 255, 255));
  EXPECT_NE(picture.Pixel(6, 0), RGB(255, 0, 0));  // not the plain image
  EXPECT_EQ(picture.Pixel(9, 3), RGB(255, 255, 255));  // still transparent

  TBitmap blue(4, 4);
  blue.Canvas().Brush().SetColor(clBlue);
  blue.Canvas().FillRect({0, 0, 4, 4});
  blue.Canvas().Brush().SetColor(clFuchsia);
  blue.Canvas().FillRect({2, 2, 4, 4});
  list.Replace(0, blue, clFuchsia);
  EXPECT_EQ(list.Count(), 1);
  picture.Fill(RGB(255, 255, 255));
  list.Draw(picture.Dc(), 0, 0, 0, true);
  EXPECT_EQ(picture.Pixel(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(picture.Pixel(3, 3), RGB(255, 255, 255));
}
