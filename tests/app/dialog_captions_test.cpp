// Every dialog in each language, opened as the main window opens it: each caption has the room
// its text needs, measured with the control's own font, it lies over no other control and no
// edge cuts it. A picture of each dialog (and of each page) is left for review. The layout that
// makes the room is also tried on a window built for it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/about_dialog.h"
#include "app/analysis_dialog.h"
#include "app/dialogs.h"
#include "app/options_dialog.h"
#include "app/profile_props_dialog.h"
#include "app/window_building.h"
#include "app/wizard_dialog.h"
#include "i18n/component_translation.h"
#include "i18n/localizer.h"
#include "runtime/text.h"
#include "runtime/ui/caption_layout.h"
#include "runtime/ui/comctrls.h"
#include "runtime/ui/stdctrls.h"
#include "tests/app/dialogs2_test_support.h"
#include "tests/support/support.h"

namespace movra::app {
namespace {

using namespace movra::ui;

// Room a push button's frame and focus rectangle take on each side of its text.
constexpr int kButtonPadding = 3;
// Where a check box's text starts: after the box and the gap the system leaves.
constexpr int kCheckTextLeft = 17;
// Where a group box's caption starts, and the frame it must not reach on the right.
constexpr int kGroupCaptionLeft = 8;

RECT Offset(RECT r, POINT by) {
  OffsetRect(&r, by.x, by.y);
  return r;
}

std::string Describe(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
  return text;
}

// Where the control draws its caption, in its own coordinates, and whether the control gives
// it the room it needs; false for a control without a caption of its own.
bool CaptionPlace(TControl& control, RECT& place, bool& fits) {
  const std::string text = control.Caption();
  if (text.empty()) return false;
  const int width = control.Width(), height = control.Height();
  if (auto* label = dynamic_cast<TLabel*>(&control)) {
    const SIZE size = MeasureText(control, text, label->WordWrap() ? width : 0);
    const int left = label->Alignment() == TAlignment::taRightJustify ? width - size.cx : 0;
    place = {left, 0, left + size.cx, size.cy};
    fits = size.cx <= width && size.cy <= height;
    return true;
  }
  const SIZE size = MeasureText(control, text, 0);
  if (dynamic_cast<TButton*>(&control)) {
    const int left = (width - size.cx) / 2, top = (height - size.cy) / 2;
    place = {left, top, left + size.cx, top + size.cy};
    fits = size.cx + 2 * kButtonPadding <= width && size.cy <= height;
    return true;
  }
  if (dynamic_cast<TCheckBox*>(&control)) {
    const int top = (height - size.cy) / 2;
    place = {kCheckTextLeft, top, kCheckTextLeft + size.cx, top + size.cy};
    fits = kCheckTextLeft + size.cx <= width && size.cy <= height;
    return true;
  }
  if (dynamic_cast<TGroupBox*>(&control)) {
    place = {kGroupCaptionLeft, 0, kGroupCaptionLeft + size.cx, size.cy};
    fits = place.right + kGroupCaptionLeft <= width;
    return true;
  }
  return false;
}

RECT ScreenBounds(TControl& control) {
  const POINT origin = control.Parent()->ClientToScreen({control.Left(), control.Top()});
  return {origin.x, origin.y, origin.x + control.Width(), origin.y + control.Height()};
}

RECT ScreenClient(TWinControl& control) {
  return Offset(control.ClientRect(), control.ClientToScreen({0, 0}));
}

void ShowingControls(TWinControl& parent, std::vector<TControl*>& found) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* child = parent.Controls(i);
    if (!child->Showing()) continue;
    found.push_back(child);
    if (auto* inner = dynamic_cast<TWinControl*>(child)) ShowingControls(*inner, found);
  }
}

bool IsAncestor(TControl& ancestor, TControl& control) {
  for (TWinControl* p = control.Parent(); p; p = p->Parent())
    if (p == &ancestor) return true;
  return false;
}

// Every caption that shows now, against its control and against the other controls.
std::vector<std::string> CaptionProblems(TForm& form, const std::string& where) {
  std::vector<std::string> problems;
  std::vector<TControl*> controls;
  ShowingControls(form, controls);
  for (TControl* control : controls) {
    RECT place{};
    bool fits = false;
    if (!CaptionPlace(*control, place, fits)) continue;
    const RECT bounds = ScreenBounds(*control);
    const RECT caption = Offset(place, {bounds.left, bounds.top});
    const std::string who = where + ": " + control->Name() + " \"" + control->Caption() + "\" ";
    if (!fits) problems.push_back(who + "needs more room than " + Describe(bounds) + ": " + Describe(caption));
    for (TWinControl* p = control->Parent(); p; p = p->Parent()) {
      RECT inside{};
      const RECT client = ScreenClient(*p);
      IntersectRect(&inside, &caption, &client);
      if (!EqualRect(&inside, &caption))
        problems.push_back(who + Describe(caption) + " is cut by the edge of " + p->Name());
    }
    for (TControl* other : controls) {
      if (other == control || IsAncestor(*other, *control)) continue;
      const RECT otherBounds = ScreenBounds(*other);
      RECT common{};
      // A frame drawn behind everything (the About box's) holds every caption.
      IntersectRect(&common, &bounds, &otherBounds);
      if (EqualRect(&common, &bounds)) continue;
      if (IntersectRect(&common, &caption, &otherBounds))
        problems.push_back(who + Describe(caption) + " lies over " + other->Name() + " " + Describe(otherBounds));
    }
  }
  return problems;
}

// Every control's place, and the size of the dialog.
std::string Layout(TWinControl& control) {
  std::string text = Describe(control.BoundsRect());
  for (int i = 0; i < control.ControlCount(); ++i) {
    TControl* child = control.Controls(i);
    auto* inner = dynamic_cast<TWinControl*>(child);
    text += " " + (inner ? "[" + Layout(*inner) + "]" : Describe(child->BoundsRect()));
  }
  return text;
}

class DialogCaptions : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() { StartLocalization(); }
  static void TearDownTestSuite() { StopLocalization(); }
  void SetUp() override { SwitchLanguage(GetParam()); }
  void TearDown() override { SwitchLanguage("en_US"); }

  std::string Language() const { return std::string(GetParam()).substr(0, 2); }

  // Checks the dialog of class F that `execute` opens, on each of its pages, then cancels it.
  template <class F>
  void Check(const std::string& name, const std::function<void()>& execute,
             const std::function<std::vector<TTabSheet*>(F&)>& pages = {}) {
    bool seen = false;
    test::WhenOpen<F>([&](F& form) {
      seen = true;
      std::vector<TTabSheet*> sheets = pages ? pages(form) : std::vector<TTabSheet*>{nullptr};
      for (TTabSheet* sheet : sheets) {
        std::string where = name;
        if (sheet) {
          sheet->PageControl()->SetActivePage(sheet);
          where += "_" + sheet->Name();
        }
        form.Update();
        for (const std::string& problem : CaptionProblems(form, where)) problems_.push_back(problem);
        testing::TestPicture(form.Handle()).Save("dialog_" + where + "_" + Language());
      }
      // Put into English and back again, the dialog is laid out as it was: it never keeps
      // growing, and in English too every caption has its room.
      const std::string laidOut = Layout(form);
      for (const char* language : {"en_US", GetParam()}) {
        SwitchLanguage(language);
        RetranslateComponent(&form);
        FitCaptions(form);
        for (const std::string& problem : CaptionProblems(form, name + " retranslated"))
          problems_.push_back(problem);
      }
      if (Layout(form) != laidOut) problems_.push_back(name + " laid out anew: " + Layout(form) + " was " + laidOut);
      form.SetModalResult(mrCancel);
    });
    // A dialog that never showed would leave its loop running: the watchdog ends it.
    auto over = std::make_shared<bool>(false);
    ui::test::After(15000, [over] {
      for (int i = 0; i < Screen().FormCount() && !*over; ++i)
        if (Screen().Forms(i)->Modal()) Screen().Forms(i)->SetModalResult(mrCancel);
      return false;
    });
    execute();
    *over = true;
    EXPECT_TRUE(seen) << name;
  }

  std::vector<std::string> problems_;
};

std::vector<TTabSheet*> AllPages(TPageControl* pages) {
  std::vector<TTabSheet*> sheets;
  for (int i = 0; i < pages->PageCount(); ++i)
    if (pages->Pages(i)->TabVisible()) sheets.push_back(pages->Pages(i));
  return sheets;
}

TEST_P(DialogCaptions, EveryCaptionHasItsRoomAndLiesOverNothing) {
  TFileRegionList found;
  Check<TformAnalyze>("analyze", [&] { ExecuteAnalysis(found); });
  TProfile profile;
  Check<TProfilePropsForm>("profile", [&] { ExecuteProfileProps(profile); },
                           [](TProfilePropsForm& f) { return AllPages(f.PC); });
  std::vector<std::unique_ptr<TProfile>> created;
  Check<TWizardForm>("wizard", [&] { ExecuteWizard({}, created); });
  TOptions options;
  Check<TformOptions>("options", [&] { ExecuteOptions(options, [](TOptions&) {}); },
                      [](TformOptions& f) { return AllPages(f.PageControl1); });
  Check<TAboutForm>("about", [] { ExecuteAbout("Movra File Defragmentor", "beta"); });

  std::string all;
  for (const std::string& problem : problems_) all += problem + "\n";
  EXPECT_TRUE(problems_.empty()) << problems_.size() << " problems:\n" << all;
}

// A row of buttons kept in the window's right-hand corner grows towards the left as its
// captions lengthen: the window widens rather than let the row pass the left margin or push
// the button that keeps to the left edge.
TEST(CaptionLayout, RightHandButtonRowWidensTheWindowInsteadOfPassingTheMargin) {
  auto form = MakeOwned<TForm>(nullptr);
  form->SetClientSize(260, 41);
  std::vector<TButton*> row{DialogButton(form.get(), form.get(), "btnHelp", "Help", {8, 8, 60, 25})};
  for (int i = 0; i < 3; ++i) {
    row.push_back(DialogButton(form.get(), form.get(), "btn" + std::to_string(i), "OK", {90 + 56 * i, 8, 50, 25}));
    row.back()->SetAnchors(akRight | akBottom);
  }
  RememberLayout(*form);
  for (TButton* button : row) button->SetCaption(button->Caption() + ", a caption far longer than before");
  FitCaptions(*form);

  EXPECT_GT(form->ClientWidth(), 260);
  EXPECT_EQ(row.front()->Left(), 8);
  EXPECT_EQ(row.back()->Left() + row.back()->Width(), form->ClientWidth() - 8);
  for (size_t i = 1; i < row.size(); ++i) {
    EXPECT_GT(row[i]->Width(), 50) << i;
    EXPECT_LE(row[i - 1]->Left() + row[i - 1]->Width(), row[i]->Left()) << Layout(*form);
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, DialogCaptions, ::testing::Values("en_US", "de_DE", "ru_RU"),
                         [](const auto& info) { return std::string(info.param).substr(0, 2); });

}  // namespace
}  // namespace movra::app
