// Dockable windows joining docks and floating parents, their frames and the showing rule.
#include <gtest/gtest.h>

#include "support.h"
#include "tests/runtime/ui/ui_test_support.h"
#include "tests/toolbars/dock_test_support.h"
#include "toolbars/bar_hook.h"

using namespace movra::bars;
using namespace movra::bars::test;

using movra::testing::TestPicture;
using movra::ui::test::Pump;
using movra::ui::test::PumpUntil;

namespace {

// Records the window's events in the order they come.
struct EventLog : movra::ui::TObject {
  std::vector<std::string> lines;
  void Attach(TBarCustomDockableWindow* w) {
    w->OnDockChanging = TBarDockChangingEvent(this, &EventLog::Changing);
    w->OnDockChangingHidden = TBarDockChangingEvent(this, &EventLog::ChangingHidden);
    w->OnRecreating = movra::ui::TNotifyEvent(this, &EventLog::Recreating);
    w->OnRecreated = movra::ui::TNotifyEvent(this, &EventLog::Recreated);
    w->OnDockChanged = movra::ui::TNotifyEvent(this, &EventLog::Changed);
    w->OnMove = movra::ui::TNotifyEvent(this, &EventLog::Moved);
    w->OnClose = movra::ui::TNotifyEvent(this, &EventLog::Closed);
  }
  static std::string Where(bool floating, TBarDock* dock) {
    return floating ? "float" : dock ? dock->Name() : "none";
  }
  void Changing(TObject*, bool floating, TBarDock* dock) { lines.push_back("changing " + Where(floating, dock)); }
  void ChangingHidden(TObject*, bool floating, TBarDock* dock) { lines.push_back("hidden " + Where(floating, dock)); }
  void Recreating(TObject*) { lines.push_back("recreating"); }
  void Recreated(TObject*) { lines.push_back("recreated"); }
  void Changed(TObject*) { lines.push_back("changed"); }
  void Moved(TObject*) {
    if (lines.empty() || lines.back() != "move") lines.push_back("move");
  }
  void Closed(TObject*) { lines.push_back("close"); }
  std::string Joined() const {
    std::string s;
    for (auto& l : lines) s += (s.empty() ? "" : ", ") + l;
    return s;
  }
};

LRESULT HitTest(HWND window, POINT windowPoint) {
  RECT r = WindowRect(window);
  return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(r.left + windowPoint.x, r.top + windowPoint.y));
}

// A shown dock form with one bar on the top dock, kept visible when the application is inactive.
struct ShownDockForm : TDockForm {
  TTestBar* Bar;
  ShownDockForm() {
    Form->Show();
    Bar = AddBar(Top, 120, 22, 0, 0, "Bar1");
    Bar->SetCaption("Tools");
    Bar->SetHideWhenInactive(false);
    Bar->SetFloatingPosition({700, 200});
    Pump();
  }
};

}  // namespace

TEST(DockWindow, DockingAndFloatingThroughPropertiesKeepTheWindowAndReportInOrder) {
  ShownDockForm f;
  EventLog log;
  log.Attach(f.Bar);
  HWND window = f.Bar->Handle();
  ASSERT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(f.Bar->DockType(), dtTopBottom);

  f.Bar->SetFloating(true);
  EXPECT_EQ(log.Joined(), "changing float, recreating, hidden float, move, recreated, changed");
  EXPECT_EQ(f.Bar->Handle(), window);
  ASSERT_NE(f.Bar->FloatingParent(), nullptr);
  EXPECT_EQ(f.Bar->Parent(), f.Bar->FloatingParent());
  EXPECT_TRUE(f.Bar->Floating());
  EXPECT_FALSE(f.Bar->Docked());
  EXPECT_EQ(f.Bar->DockType(), dtFloating);
  EXPECT_EQ(f.Bar->CurrentDock(), nullptr);
  EXPECT_EQ(f.Bar->LastDock(), f.Top);
  EXPECT_EQ(f.Top->Height(), 0);
  HWND floating = f.Bar->FloatingParent()->Handle();
  EXPECT_EQ(GetParent(window), floating);
  EXPECT_TRUE(IsWindowVisible(floating));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(WindowRect(floating).left, 700);
  EXPECT_EQ(WindowRect(floating).top, 200);
  RECT client;
  GetClientRect(floating, &client);
  EXPECT_EQ(client.right, 120);  // floating: no frame of its own, the content size
  EXPECT_EQ(client.bottom, 22);
  EXPECT_EQ(f.Bar->TopForm(), f.Form);
  // Sized through the class library's own interface, a floating window sizes its parent.
  static_cast<movra::ui::TControl*>(f.Bar)->SetBounds(30, 40, 150, 30);
  GetClientRect(floating, &client);
  EXPECT_EQ(client.right, 150);
  EXPECT_EQ(client.bottom, 30);
  EXPECT_EQ(f.Bar->Left(), 0);
  EXPECT_EQ(f.Bar->Top(), 0);
  EXPECT_EQ(WindowRect(floating).left, 700);

  log.lines.clear();
  f.Bar->SetCurrentDock(f.Bottom);
  EXPECT_EQ(log.Joined(), "changing DockBottom, recreating, hidden DockBottom, move, recreated, changed");
  EXPECT_EQ(f.Bar->Handle(), window);
  EXPECT_EQ(GetParent(window), f.Bottom->Handle());
  EXPECT_EQ(f.Bar->CurrentDock(), f.Bottom);
  EXPECT_EQ(f.Bar->LastDock(), f.Bottom);
  EXPECT_EQ(f.Bottom->Height(), 26);
  EXPECT_EQ(f.Bar->Width(), 130);
  EXPECT_TRUE(IsWindowVisible(window));
  // The floating parent goes once the messages of the moment are handled.
  EXPECT_EQ(f.Bar->FloatingParent(), nullptr);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(floating); }, 2000));
}

TEST(DockWindow, DoubleClickTogglesDockingAndRedocksAtTheStartOfRowZero) {
  ShownDockForm f;
  auto* other = f.AddBar(f.Top, 100, 22, 0, 200);
  f.Bar->SetUseLastDock(false);
  EXPECT_EQ(f.Bar->LastDock(), nullptr);
  f.Bar->SetFloating(true);
  // Neither a last nor a default dock: a double click does nothing.
  f.Bar->ToggleDocking();
  EXPECT_TRUE(f.Bar->Floating());
  f.Bar->SetDefaultDock(f.Top);
  f.Bar->SetDockRow(3);
  f.Bar->ToggleDocking();
  EXPECT_TRUE(f.Bar->Docked());
  EXPECT_EQ(f.Bar->CurrentDock(), f.Top);
  EXPECT_EQ(f.Bar->EffectiveRow(), 0);
  EXPECT_EQ(f.Bar->Left(), 0);
  EXPECT_EQ(other->Left(), 200);
  // Docked, a double click floats the window and keeps it on the screen.
  f.Bar->SetFloatingPosition({-500, -500});
  f.Bar->ToggleDocking();
  ASSERT_TRUE(f.Bar->Floating());
  RECT r = WindowRect(f.Bar->FloatingParent()->Handle());
  EXPECT_GE(r.left, 0);
  EXPECT_GE(r.top, 0);
  f.Bar->SetDblClickUndock(false);
  f.Bar->ToggleDocking();
  EXPECT_TRUE(f.Bar->Docked());
  f.Bar->ToggleDocking();
  EXPECT_TRUE(f.Bar->Docked());
}

TEST(DockWindow, HitTestCodesOfDockedAndFloatingFrames) {
  ShownDockForm f;
  HWND window = f.Bar->Handle();
  EXPECT_EQ(HitTest(window, {4, 10}), HT_BAR_DRAGHANDLE);
  EXPECT_EQ(HitTest(window, {1, 1}), HT_BAR_DRAGHANDLE);  // the frame too
  EXPECT_EQ(HitTest(window, {40, 10}), HTCLIENT);
  f.Bar->SetCloseButtonWhenDocked(true);
  EXPECT_EQ(f.Bar->Width(), 138);  // the handle is 14 with the close button
  EXPECT_EQ(HitTest(window, {8, 7}), HT_BAR_CLOSE);
  EXPECT_EQ(HitTest(window, {8, 20}), HT_BAR_DRAGHANDLE);
  f.Bar->SetDragHandleStyle(TBarDragHandleStyle::dhNone);
  EXPECT_EQ(f.Bar->Width(), 138);
  f.Bar->SetCloseButtonWhenDocked(false);
  EXPECT_EQ(f.Bar->Width(), 124);
  EXPECT_EQ(HitTest(window, {3, 10}), HTCLIENT);

  f.Bar->SetFloating(true);
  TBarFloatingWindowParent* fp = f.Bar->FloatingParent();
  HWND floating = fp->Handle();
  SIZE border{0, 0};
  f.Bar->FloatingBorderSize(border);
  const int caption = GetSystemMetrics(SM_CYSMCAPTION) - 1;
  RECT close = fp->CloseButtonRect();
  EXPECT_EQ(close.right - close.left, caption);
  EXPECT_EQ(close.right, fp->Width() - border.cx);
  EXPECT_EQ(HitTest(floating, {border.cx + 5, border.cy + 3}), HT_BAR_CAPTION);
  EXPECT_EQ(HitTest(floating, Centre(close)), HT_BAR_CLOSE);
  EXPECT_EQ(HitTest(floating, {border.cx + 5, border.cy + caption + 3}), HTCLIENT);
  const int w = fp->Width(), h = fp->Height();
  EXPECT_EQ(HitTest(floating, {0, h / 2}), HTLEFT);
  EXPECT_EQ(HitTest(floating, {w - 1, h / 2}), HTRIGHT);
  EXPECT_EQ(HitTest(floating, {0, 1}), HTTOPLEFT);
  EXPECT_EQ(HitTest(floating, {w - 1, h - 1}), HTBOTTOMRIGHT);
  EXPECT_EQ(HitTest(floating, {w / 2, 0}), HTTOP);
  EXPECT_EQ(HitTest(floating, {w / 2, h - 1}), HTBOTTOM);
  f.Bar->SetDockableStyle(0);  // four edges only
  EXPECT_EQ(HitTest(floating, {0, 1}), HTTOP);
  EXPECT_EQ(HitTest(floating, {0, h / 2}), HTLEFT);
  f.Bar->SetResizable(false);
  EXPECT_EQ(HitTest(floating, {0, h / 2}), HTNOWHERE);
  f.Bar->SetCloseButton(false);
  EXPECT_EQ(HitTest(floating, Centre(close)), HT_BAR_CAPTION);
}

// The hooks that let floating windows follow their forms are held while the window floats only.
TEST(DockWindow, FloatingWindowsShowOnlyWhileTheirFormShows) {
  ShownDockForm f;
  const int callUses = WindowsHookUseCount(TWindowsHook::CallWndProc), cbtUses = WindowsHookUseCount(TWindowsHook::Cbt);
  f.Bar->SetFloating(true);
  EXPECT_EQ(WindowsHookUseCount(TWindowsHook::CallWndProc), callUses + 1);
  EXPECT_EQ(WindowsHookUseCount(TWindowsHook::Cbt), cbtUses + 1);
  HWND floating = f.Bar->FloatingParent()->Handle();
  ASSERT_TRUE(IsWindowVisible(floating));
  EXPECT_EQ(GetWindow(floating, GW_OWNER), f.Form->Handle());
  f.Form->Hide();
  Pump();
  EXPECT_FALSE(IsWindowVisible(floating));
  f.Form->Show();
  Pump();
  EXPECT_TRUE(IsWindowVisible(floating));
  ShowWindow(f.Form->Handle(), SW_MINIMIZE);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(floating); }, 2000));
  ShowWindow(f.Form->Handle(), SW_RESTORE);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(floating); }, 2000));

  // On top of all forms it stays while the form hides.
  f.Bar->SetFloatingMode(TBarFloatingMode::fmOnTopOfAllForms);
  f.Form->Hide();
  Pump();
  EXPECT_TRUE(IsWindowVisible(floating));
  EXPECT_TRUE(GetWindowLongPtrW(floating, GWL_EXSTYLE) & WS_EX_TOPMOST);
  f.Bar->Hide();
  EXPECT_FALSE(IsWindowVisible(floating));
  f.Bar->Show();
  EXPECT_TRUE(IsWindowVisible(floating));
  f.Bar->SetEnabled(false);
  Pump();
  EXPECT_FALSE(GetWindowLongPtrW(floating, GWL_EXSTYLE) & WS_EX_TOPMOST);

  f.Bar->SetFloating(false);
  EXPECT_EQ(WindowsHookUseCount(TWindowsHook::CallWndProc), callUses);
  EXPECT_EQ(WindowsHookUseCount(TWindowsHook::Cbt), cbtUses);
}

TEST(DockWindow, FloatingWithoutAFormFails) {
  auto bar = movra::ui::MakeOwned<TTestBar>(nullptr, 50, 20);
  bar->SetName("Lonely");
  try {
    bar->SetFloating(true);
    FAIL() << "floated without a form";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Control 'Lonely' has no parent window");
  }
  EXPECT_FALSE(bar->Floating());
}

TEST(DockWindow, TheDockedFrameDrawsItsGripAndCloseButton) {
  ShownDockForm f;
  f.AddBar(f.Top, 80, 22, 0, 200)->SetDragHandleStyle(TBarDragHandleStyle::dhDouble);
  f.AddBar(f.Top, 100, 22, 1, 0)->SetCloseButtonWhenDocked(true);
  f.Bar->SetColor(RGB(255, 255, 255) - 1);
  Pump();
  HWND window = f.Bar->Handle();
  RECT r = WindowRect(window);
  TestPicture picture(r.right - r.left, r.bottom - r.top, RGB(1, 2, 3));
  SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(picture.Dc()), PRF_NONCLIENT);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
  // The raised outer edge.
  EXPECT_EQ(picture.Pixel(0, 0), light);
  EXPECT_EQ(picture.Pixel(picture.Width() - 1, picture.Height() - 1), dark);
  // One grip bar 3 pixels wide from x = 3, inset by 1 at both ends (y 3 to client height + 1).
  EXPECT_EQ(picture.Pixel(3, 10), light);
  EXPECT_EQ(picture.Pixel(5, 10), dark);
  EXPECT_EQ(picture.Pixel(4, 10), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(picture.Pixel(4, 2), RGB(255, 255, 255) - 1);  // above the bar: the window's colour
  EXPECT_EQ(picture.Pixel(7, 10), RGB(255, 255, 255) - 1);
  picture.Save("dock_bar_frame");

  // The whole form: two rows of bars on the top dock.
  TestPicture(f.Form->Handle()).Save("dock_form_with_bars");
  EXPECT_EQ(f.Top->Height(), 52);
}

TEST(DockWindow, TheFloatingFrameDrawsCaptionAndCloseButton) {
  ShownDockForm f;
  f.Bar->SetFloating(true);
  TBarFloatingWindowParent* fp = f.Bar->FloatingParent();
  Pump();
  TestPicture picture(fp->Width(), fp->Height(), RGB(1, 2, 3));
  SendMessageW(fp->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(picture.Dc()), PRF_NONCLIENT);
  picture.Save("dock_floating_frame");
  // EDGE_RAISED: the outermost ring is light at the top left and dark (3D dark) at the bottom right.
  EXPECT_EQ(picture.Pixel(0, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(picture.Pixel(fp->Width() - 1, fp->Height() - 1), GetSysColor(COLOR_3DDKSHADOW));
  // A caption-coloured band, then a button-face line under it.
  SIZE border{0, 0};
  f.Bar->FloatingBorderSize(border);
  RECT caption = fp->CaptionRect();
  EXPECT_EQ(picture.Pixel(border.cx, caption.bottom), GetSysColor(COLOR_BTNFACE));
  EXPECT_NE(picture.Pixel(caption.right - 2, caption.top + 1), RGB(1, 2, 3));
}

namespace {

// Stripes 10 pixels wide, counted from the origin the dock gives: red, blue, red, ...
class TStripes : public TBarBasicBackground {
 public:
  using TBarBasicBackground::TBarBasicBackground;
  int Paints = 0, ColourChanges = 0, Listeners = 0;
  static COLORREF At(int x) { return (x / 10) % 2 == 0 ? RGB(255, 0, 0) : RGB(0, 0, 255); }
  void PaintTo(HDC dc, const RECT& rect) override {
    ++Paints;
    RECT box;
    GetClipBox(dc, &box);
    for (int x = box.left; x < box.right; ++x) {
      HBRUSH brush = CreateSolidBrush(At(x - rect.left));
      RECT column{x, box.top, x + 1, box.bottom};
      FillRect(dc, &column, brush);
      DeleteObject(brush);
    }
  }
  HPALETTE PaletteHandle() override { return nullptr; }
  void AddChangeListener(const movra::ui::TNotifyEvent&) override { ++Listeners; }
  void RemoveChangeListener(const movra::ui::TNotifyEvent&) override { --Listeners; }
  void SystemColorsChanged() override { ++ColourChanges; }
  bool InUse() override { return true; }
};

}  // namespace

TEST(DockWindow, ADockBackgroundLinesUpAcrossTheDockAndItsBarsAndFollowsAMovedBar) {
  ShownDockForm f;
  auto* stripes = new TStripes(f.Form);
  f.Top->SetBackground(stripes);
  EXPECT_EQ(stripes->Listeners, 1);
  f.Bar->SetDockPos(200);
  Pump();
  ASSERT_EQ(f.Bar->Left(), 200);
  // The dock's client area: stripes counted from the form's client origin, where the dock lies.
  const int dockWidth = f.Top->ClientWidth(), dockHeight = f.Top->ClientHeight();
  TestPicture dock(dockWidth, dockHeight, RGB(1, 2, 3));
  SendMessageW(f.Top->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dock.Dc()), 0);
  EXPECT_EQ(dock.Pixel(0, 5), RGB(255, 0, 0));
  EXPECT_EQ(dock.Pixel(10, 5), RGB(0, 0, 255));
  EXPECT_EQ(dock.Pixel(25, 5), RGB(255, 0, 0));
  // The bar's client area starts 208 pixels in (its left, the edge and the drag handle): the
  // stripes go on where the dock's left off.
  TestPicture client(f.Bar->ClientWidth(), f.Bar->ClientHeight(), RGB(1, 2, 3));
  SendMessageW(f.Bar->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(client.Dc()), 0);
  EXPECT_EQ(client.Pixel(0, 5), TStripes::At(208));
  EXPECT_EQ(client.Pixel(2, 5), TStripes::At(210));
  EXPECT_NE(client.Pixel(1, 5), client.Pixel(2, 5));
  // The frame too, outside the edge and the grip.
  RECT r = WindowRect(f.Bar->Handle());
  TestPicture frame(r.right - r.left, r.bottom - r.top, RGB(1, 2, 3));
  SendMessageW(f.Bar->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(frame.Dc()), PRF_NONCLIENT);
  EXPECT_EQ(frame.Pixel(7, 10), TStripes::At(207));
  EXPECT_EQ(frame.Pixel(20, frame.Height() - 2), TStripes::At(220));
  frame.Save("dock_bar_over_background");

  // Moved along the dock, the bar shows its new place's background at once and waits for no
  // paint.
  const int before = stripes->Paints;
  f.Bar->SetDockPos(233);
  EXPECT_EQ(f.Bar->Left(), 233);
  EXPECT_GT(stripes->Paints, before);
  EXPECT_FALSE(GetUpdateRect(f.Bar->Handle(), nullptr, FALSE));

  SendMessageW(f.Top->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(stripes->ColourChanges, 1);
  f.Top->SetBackground(nullptr);
  EXPECT_EQ(stripes->Listeners, 0);
}

namespace {

// A bar that takes menu events and the dialog keys it is given.
class TKeyBar : public TTestBar {
 public:
  TKeyBar(movra::ui::TComponent* owner, int width, int height) : TTestBar(owner, width, height) {
    SetControlStyle(ControlStyle() | movra::ui::csMenuEvents);
  }
  std::vector<WPARAM> Keys, Chars;
  void WndProc(movra::ui::TMessage& m) override {
    if (m.Msg == movra::ui::CM_DIALOGKEY || m.Msg == movra::ui::CM_DIALOGCHAR) {
      (m.Msg == movra::ui::CM_DIALOGKEY ? Keys : Chars).push_back(m.WParam);
      m.Result = 1;
      return;
    }
    TTestBar::WndProc(m);
  }
};

}  // namespace

TEST(DockWindow, DialogKeysAndCharactersOfADockReachItsFloatingBarsAndEscapeLeavesTheToolWindow) {
  ShownDockForm f;
  auto* keys = new TKeyBar(f.Form, 60, 22);
  keys->SetHideWhenInactive(false);
  keys->SetParent(f.Left);
  keys->SetFloating(true);
  Pump();
  ASSERT_TRUE(keys->Floating());
  ASSERT_EQ(keys->LastDock(), f.Left);
  // Not a child of the dock any more, yet the dock passes the key on to it (a bar without
  // menu events hears nothing).
  keys->SetControlStyle(keys->ControlStyle() & ~movra::ui::csMenuEvents);
  EXPECT_EQ(f.Left->Perform(movra::ui::CM_DIALOGKEY, 'J', 0), 0);
  EXPECT_EQ(f.Left->Perform(movra::ui::CM_DIALOGCHAR, 'j', 0), 0);
  keys->SetControlStyle(keys->ControlStyle() | movra::ui::csMenuEvents);
  EXPECT_EQ(f.Left->Perform(movra::ui::CM_DIALOGKEY, 'K', 0), 1);
  EXPECT_EQ(keys->Keys, std::vector<WPARAM>{'K'});
  // Dialog characters (Alt+letter) go the same way, through the form's controls to the dock.
  EXPECT_EQ(f.Form->Perform(movra::ui::CM_DIALOGCHAR, 'c', 0), 1);
  EXPECT_EQ(keys->Chars, std::vector<WPARAM>{'c'});
  keys->SetEnabled(false);
  EXPECT_EQ(f.Left->Perform(movra::ui::CM_DIALOGKEY, 'L', 0), 0);  // a disabled one hears nothing
  EXPECT_EQ(f.Left->Perform(movra::ui::CM_DIALOGCHAR, 'd', 0), 0);
  EXPECT_EQ(keys->Keys.size(), 1u);
  EXPECT_EQ(keys->Chars.size(), 1u);

  TBarFloatingWindowParent* fp = keys->FloatingParent();
  // Escape is the tool window's own: it goes back to the form; other keys go on to the bar.
  EXPECT_EQ(fp->Perform(movra::ui::CM_DIALOGKEY, VK_ESCAPE, 0), 1);
  EXPECT_EQ(keys->Keys.size(), 1u);
  EXPECT_EQ(fp->Perform(movra::ui::CM_DIALOGKEY, VK_RETURN, 0), 1);
  EXPECT_EQ(keys->Keys.back(), static_cast<WPARAM>(VK_RETURN));
}
