// Painting into a given DC: WM_PAINT with a DC, WM_PRINTCLIENT, WM_PRINT with the children,
// PaintTo, double buffering, and the broadcast to child controls.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/ui/forms.h"
#include "runtime/ui/stdctrls.h"
#include "support.h"
#include "tests/runtime/ui/ui_test_support.h"

using namespace movra::ui;
using movra::testing::TestPicture;
using movra::ui::test::Pump;

namespace {

constexpr COLORREF kFormColour = RGB(200, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 220);
constexpr COLORREF kGreen = RGB(0, 180, 0);
constexpr COLORREF kErase = RGB(250, 240, 0);

// Fills its client area with one colour and remembers where it painted.
class TSolid : public TCustomControl {
 public:
  TSolid(TComponent* owner, TColor fill, bool border = false) : TCustomControl(owner), fill_(fill), border_(border) {
    SetColor(static_cast<TColor>(kErase));
  }
  int paints = 0;
  HDC lastDc = nullptr;
  DWORD lastDcType = 0;
  int screenErases = 0;
  void CreateParams(TCreateParams& params) override {
    TCustomControl::CreateParams(params);
    if (border_) params.Style |= WS_BORDER;
  }
  void Paint() override {
    ++paints;
    lastDc = Canvas().Handle();
    lastDcType = GetObjectType(lastDc);
    Canvas().Brush().SetColor(fill_);
    RECT r = ClientRect();
    // The left column stays the erased background, so the erase shows in the picture.
    r.left += 1;
    Canvas().FillRect(r);
  }
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_ERASEBKGND && m.WParam != static_cast<WPARAM>(m.LParam)) ++screenErases;
    TCustomControl::WndProc(m);
  }

 private:
  TColor fill_;
  bool border_;
};

// A form without a frame in one colour, with a bordered blue child holding a green one, a
// hidden child and a push button.
struct TScene {
  TOwned<TForm> form = MakeOwned<TForm>(nullptr);
  TSolid* blue;
  TSolid* green;
  TSolid* hidden;
  TButton* button;
  TScene() {
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(50, 50, 120, 80);
    form->SetColor(static_cast<TColor>(kFormColour));
    blue = new TSolid(form.get(), static_cast<TColor>(kBlue), true);
    blue->SetBounds(10, 10, 50, 40);
    blue->SetParent(form.get());
    green = new TSolid(form.get(), static_cast<TColor>(kGreen));
    green->SetBounds(10, 10, 20, 10);
    green->SetParent(blue);
    hidden = new TSolid(form.get(), static_cast<TColor>(kGreen));
    hidden->SetBounds(70, 5, 20, 20);
    hidden->SetVisible(false);
    hidden->SetParent(form.get());
    button = new TButton(form.get());
    button->SetBounds(70, 40, 40, 30);
    button->SetCaption("");
    button->SetParent(form.get());
    form->HandleNeeded();
  }
};

}  // namespace

TEST(PaintTo, PrintsTheControlItsFrameAndItsChildrenAtTheGivenPlace) {
  TScene scene;
  ASSERT_FALSE(IsWindowVisible(scene.form->Handle())) << "a form that is still hidden is printed whole";
  TestPicture picture(140, 100, RGB(255, 255, 255));
  scene.form->PaintTo(picture.Dc(), 7, 3);
  picture.Save("ui_paint_to");
  EXPECT_EQ(picture.Pixel(3, 1), RGB(255, 255, 255)) << "outside the control nothing is drawn";
  EXPECT_EQ(picture.Pixel(7 + 119 + 2, 3 + 10), RGB(255, 255, 255));
  EXPECT_EQ(picture.Pixel(7 + 2, 3 + 2), kFormColour);
  // The blue child: its border at its corner, the erased column, then its fill.
  const int bx = 7 + 10, by = 3 + 10;
  EXPECT_EQ(picture.Pixel(bx, by), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(picture.Pixel(bx + 49, by + 39), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(picture.Pixel(bx + 1, by + 20), kErase);
  EXPECT_EQ(picture.Pixel(bx + 40, by + 30), kBlue);
  // The grandchild sits inside the blue one's client area (1 pixel of border).
  EXPECT_EQ(picture.Pixel(bx + 1 + 10 + 5, by + 1 + 10 + 5), kGreen);
  // The hidden child is not printed; the button is, though the system's printing leaves
  // child windows out.
  EXPECT_EQ(picture.Pixel(7 + 80, 3 + 15), kFormColour);
  EXPECT_NE(picture.Pixel(7 + 90, 3 + 55), kFormColour);
}

TEST(PaintTo, PrintWithoutChildrenOrFrameLeavesThemOut) {
  TScene scene;
  TestPicture picture(120, 80, RGB(255, 255, 255));
  SendMessageW(scene.form->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(picture.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
  EXPECT_EQ(picture.Pixel(40, 30), kFormColour) << "no child printed";
  picture.Fill(RGB(255, 255, 255));
  SendMessageW(scene.blue->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(picture.Dc()),
               PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  // Without the frame the client area starts at the DC's origin.
  EXPECT_EQ(picture.Pixel(0, 5), kErase);
  EXPECT_EQ(picture.Pixel(30, 30), kBlue);
  EXPECT_EQ(picture.Pixel(15, 15), kGreen);
  EXPECT_EQ(picture.Pixel(48, 5), RGB(255, 255, 255)) << "clipped to the client area (48 wide)";
}

TEST(PaintIntoDc, WmPaintWithADcAndPrintClientPaintIntoItAndLeaveTheWindowInvalid) {
  TScene scene;
  scene.form->Show();
  Pump();
  HWND window = scene.blue->Handle();
  InvalidateRect(window, nullptr, FALSE);
  TestPicture picture(60, 50, RGB(255, 255, 255));
  const int before = scene.blue->paints;
  scene.blue->Perform(WM_PAINT, reinterpret_cast<WPARAM>(picture.Dc()));
  EXPECT_EQ(scene.blue->paints, before + 1);
  EXPECT_EQ(scene.blue->lastDc, picture.Dc());
  EXPECT_EQ(picture.Pixel(20, 20), kBlue);
  EXPECT_EQ(picture.Pixel(0, 20), RGB(255, 255, 255)) << "a WM_PAINT with a DC does not erase";
  RECT update;
  EXPECT_TRUE(GetUpdateRect(window, &update, FALSE)) << "the window's own update region stays";
  picture.Fill(RGB(255, 255, 255));
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture.Dc()), PRF_CLIENT);
  EXPECT_EQ(picture.Pixel(20, 20), kBlue);
  UpdateWindow(window);
  EXPECT_FALSE(GetUpdateRect(window, &update, FALSE)) << "the queued paint validates";
  EXPECT_EQ(scene.blue->lastDcType, static_cast<DWORD>(OBJ_DC));
}

TEST(DoubleBuffered, PaintsThroughABitmapAndErasesOnlyThere) {
  TScene scene;
  scene.blue->SetDoubleBuffered(true);
  scene.form->Show();
  Pump();
  HWND window = scene.blue->Handle();
  const int erasesBefore = scene.blue->screenErases;
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  EXPECT_EQ(scene.blue->lastDcType, static_cast<DWORD>(OBJ_MEMDC)) << "painted into the buffer";
  EXPECT_GT(scene.blue->screenErases, erasesBefore) << "the screen's erase came and was answered";
  HDC dc = GetDC(window);
  EXPECT_EQ(GetPixel(dc, 0, 10), kErase) << "the buffer was erased before painting";
  EXPECT_EQ(GetPixel(dc, 20, 20), kBlue);
  ReleaseDC(window, dc);
  // Into a given DC the picture comes whole, background included, also through WM_PRINT.
  TestPicture picture(60, 50, RGB(255, 255, 255));
  scene.blue->Perform(WM_PAINT, reinterpret_cast<WPARAM>(picture.Dc()));
  EXPECT_NE(scene.blue->lastDc, picture.Dc());
  EXPECT_EQ(picture.Pixel(0, 10), kErase);
  EXPECT_EQ(picture.Pixel(20, 20), kBlue);
  picture.Fill(RGB(255, 255, 255));
  scene.form->PaintTo(picture.Dc(), 0, 0);
  EXPECT_EQ(picture.Pixel(11, 30), kErase);
  EXPECT_EQ(picture.Pixel(40, 40), kBlue);
  EXPECT_EQ(picture.Pixel(26, 26), kGreen);
}

namespace {

// Answers a private message with its number when `answer` is set, and counts what it saw.
class TListener : public TWinControl {
 public:
  TListener(TComponent* owner, LRESULT answer) : TWinControl(owner), answer_(answer) {}
  int seen = 0;
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_APP + 7) {
      ++seen;
      m.Result = answer_;
      return;
    }
    TWinControl::WndProc(m);
  }

 private:
  LRESULT answer_;
};

}  // namespace

TEST(Broadcast, GoesToEveryChildUntilOneAnswers) {
  auto parent = MakeOwned<TWinControl>(nullptr);
  auto* first = new TListener(parent.get(), 0);
  auto* second = new TListener(parent.get(), 42);
  auto* third = new TListener(parent.get(), 0);
  auto* grandchild = new TListener(parent.get(), 0);
  for (TControl* c : std::vector<TControl*>{first, second, third}) c->SetParent(parent.get());
  grandchild->SetParent(first);
  TMessage m{WM_APP + 7, 1, 2, 0};
  parent->Broadcast(m);
  EXPECT_EQ(m.Result, 42);
  EXPECT_EQ(first->seen, 1);
  EXPECT_EQ(second->seen, 1);
  EXPECT_EQ(third->seen, 0) << "the walk ends at the first answer";
  EXPECT_EQ(grandchild->seen, 0) << "only the direct children";
  second->SetParent(nullptr);
  TMessage again{WM_APP + 7, 0, 0, 0};
  parent->Broadcast(again);
  EXPECT_EQ(again.Result, 0);
  EXPECT_EQ(third->seen, 1);
}

TEST(PaintTo, AFramedFormPrintsItsCaptionAndASystemControlItsEdge) {
  auto form = MakeOwned<TForm>(nullptr);
  form->SetBorderStyle(TFormBorderStyle::bsSingle);
  form->SetCaption("Printed");
  form->SetBounds(40, 40, 200, 150);
  form->SetColor(static_cast<TColor>(kFormColour));
  auto* memo = new TMemo(form.get());
  memo->SetBounds(20, 20, 100, 60);
  memo->SetScrollBars(TScrollStyle::ssVertical);
  memo->SetParent(form.get());
  auto* check = new TCheckBox(form.get());
  check->SetBounds(130, 60, 50, 17);
  check->SetParent(form.get());
  // The system's buttons print only when they show.
  form->Show();
  Pump();
  RECT frame = form->NonClientMargins();
  ASSERT_GT(frame.top, frame.left) << "a caption";
  TestPicture picture(200, 150, RGB(255, 255, 255));
  form->PaintTo(picture.Dc(), 0, 0);
  picture.Save("ui_paint_to_framed");
  EXPECT_NE(picture.Pixel(100, frame.left + 3), kFormColour);
  EXPECT_NE(picture.Pixel(100, frame.left + 3), RGB(255, 255, 255)) << "the caption is drawn";
  EXPECT_EQ(picture.Pixel(frame.left + 5, frame.top + 5), kFormColour) << "the client area below the frame";
  const int mx = frame.left + 20, my = frame.top + 20;
  EXPECT_NE(picture.Pixel(mx, my + 30), kFormColour) << "the memo's edge";
  EXPECT_EQ(picture.Pixel(mx + 50, my + 30), GetSysColor(COLOR_WINDOW)) << "inside the memo";
  // The check box's square, the memo's scroll bar with its arrows and track, the caption's
  // close button.
  EXPECT_NE(picture.Pixel(frame.left + 130 + 6, frame.top + 60 + 8), kFormColour) << "the check box";
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const int bar = mx + 100 - 4 - GetSystemMetrics(SM_CXVSCROLL) / 2;
  EXPECT_EQ(picture.Pixel(bar, my + 2 + 2), face) << "the up arrow";
  EXPECT_EQ(picture.Pixel(bar, my + 30), GetSysColor(COLOR_SCROLLBAR)) << "the track";
  const int close = 200 - frame.left - 2 - (GetSystemMetrics(SM_CXSIZE) - 2) + 2;
  EXPECT_EQ(picture.Pixel(close, frame.left + 2 + (GetSystemMetrics(SM_CYSIZE) - 4) / 2), face) << "the close button";
}
