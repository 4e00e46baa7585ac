// The theme registry, the manager's phases and parameters, the hub's theme switches and the two
// queries, watched through recording themes and listeners.
#include "themes/skin_themes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/themes/skin_test_support.h"
#include "themes/skin_uxthemes.h"

namespace movra::skin {
namespace {

// What the recording themes and listeners heard, in order.
std::vector<std::string> journal;

std::string Entry(const std::string& who, const TMessage& m) {
  return who + ":" + std::to_string(m.Msg) + "/" + std::to_string(m.WParam) + "/" + std::to_string(m.LParam);
}

// A theme that answers nothing in particular and writes down its life.
class TRecordingTheme : public test::TBlankTheme {
 public:
  explicit TRecordingTheme(const std::string& name) : TBlankTheme(name) { journal.push_back("make " + name); }
  ~TRecordingTheme() override { journal.push_back("free " + Name()); }
  void Dispatch(TMessage& m) override { journal.push_back(Entry(Name(), m)); }
  int GetMetric(int id) override { return id == 10 ? 11 : -1; }
};

// A theme whose making fails.
class TBrokenTheme : public TRecordingTheme {
 public:
  explicit TBrokenTheme(const std::string& name) : TRecordingTheme(name) {
    throw movra::Exception("no resources for " + name);
  }
};

class TRecordingListener : public TSkinListener {
 public:
  explicit TRecordingListener(std::string name) : name_(std::move(name)) {}
  void Dispatch(TMessage& m) override {
    journal.push_back(Entry(name_, m));
    if (onMessage) onMessage(m);
  }
  std::function<void(TMessage&)> onMessage;

 private:
  std::string name_;
};

std::string Sys(const std::string& who, int phase) {
  return who + ":" + std::to_string(SKM_SYSTEMCHANGE) + "/" + std::to_string(phase) + "/0";
}
std::string Change(const std::string& who, int phase, int switched) {
  return who + ":" + std::to_string(SKM_THEMECHANGE) + "/" + std::to_string(phase) + "/" +
         std::to_string(switched);
}

template <typename F>
void ExpectError(F call, const std::string& text) {
  try {
    call();
    ADD_FAILURE() << "no error: " << text;
  } catch (const movra::Exception& e) {
    EXPECT_EQ(e.Message(), text);
  }
}

// The theme machinery started for one test and ended after it.
class SkinThemes : public ::testing::Test {
 protected:
  void SetUp() override {
    journal.clear();
    SkinThemesStart();
  }
  void TearDown() override {
    SkinNexusEnd();
    SkinThemesEnd();
    journal.clear();
  }
};

TEST_F(SkinThemes, RegistryRefusesDuplicatesAndFindsNamesInAnyCase) {
  AddThemeClass("Default", &MakeSkinTheme<TRecordingTheme>);
  ExpectError([] { AddThemeClass("default", &MakeSkinTheme<TRecordingTheme>); },
              "Theme default is already registered");
  ExpectError([] { AddThemeClass("", &MakeSkinTheme<TRecordingTheme>); }, "Cannot register theme");
  ExpectError([] { AddThemeClass("Other", nullptr); }, "Cannot register theme");
  ExpectError([] { ObtainTheme("Nope"); }, "Unknown theme Nope");
  EXPECT_TRUE(ThemeClassExists("DEFAULT"));
  EXPECT_FALSE(ThemeClassExists("Other"));

  TSkinTheme* first = ObtainTheme("DEFAULT");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Name(), "Default");  // the registered spelling
  TSkinTheme* second = ObtainTheme("default");
  EXPECT_EQ(second, first);
  EXPECT_EQ(ThemeReferenceCount("Default"), 2);
  // Made once, and told of the system state at once (WParam the application's active flag).
  ASSERT_EQ(journal.size(), 2u);
  EXPECT_EQ(journal[0], "make Default");
  EXPECT_EQ(journal[1].rfind("Default:" + std::to_string(SKM_SYSTEMCHANGE) + "/", 0), 0u);

  DropTheme(second);
  EXPECT_EQ(second, first);  // still held once
  EXPECT_EQ(journal.back().rfind("free", 0), std::string::npos);
  DropTheme(first);
  EXPECT_EQ(first, nullptr);
  EXPECT_EQ(journal.back(), "free Default");
  EXPECT_EQ(ThemeReferenceCount("Default"), 0);

  TRecordingTheme stranger("Stranger");
  TSkinTheme* loose = &stranger;
  ExpectError([&] { DropTheme(loose); }, "Cannot release theme");
  TSkinTheme* none = nullptr;
  ExpectError([&] { DropTheme(none); }, "Cannot release theme");

  // A new acquisition makes a new theme.
  TSkinTheme* again = ObtainTheme("Default");
  EXPECT_EQ(journal[journal.size() - 2], "make Default");
  DropTheme(again);
}

TEST_F(SkinThemes, ManagerParametersSendPhasesOnlyOnChange) {
  TRecordingListener a("a"), b("b");
  ThemeManagerListen(&a);
  ThemeManagerListen(&b);
  EXPECT_EQ(GetManagerParam(1), 0);
  SetManagerParam(1, 0);
  EXPECT_TRUE(journal.empty());
  SetManagerParam(1, 2);
  EXPECT_EQ(GetManagerParam(1), 2);
  EXPECT_EQ(journal, (std::vector<std::string>{Sys("a", 1), Sys("b", 1), Sys("a", 2), Sys("b", 2), Sys("a", 3),
                                               Sys("b", 3)}));
  journal.clear();

  EXPECT_EQ(GetManagerParam(2), 0);
  SetManagerParam(2, 7);  // anything but 0 disables
  EXPECT_EQ(GetManagerParam(2), 2);
  EXPECT_FALSE(SkinSystem().VisualStylesActive);
  EXPECT_EQ(SkinSystem().ToolbarFillColor, ui::clBtnFace);
  EXPECT_EQ(SkinSystem().ToolbarTextColor, ui::clBtnText);
  for (HTHEME data : SkinSystem().ThemeData) EXPECT_EQ(data, nullptr);
  EXPECT_EQ(journal.size(), 6u);
  SetManagerParam(2, 3);  // still disabled: no change
  EXPECT_EQ(journal.size(), 6u);
  SetManagerParam(2, 0);
  EXPECT_EQ(GetManagerParam(2), 0);
  EXPECT_EQ(GetManagerParam(3), -1);
  EXPECT_EQ(journal.size(), 12u);
  ThemeManagerUnlisten(&a);
  ThemeManagerUnlisten(&b);

  SkinThemesEnd();
  try {
    GetManagerParam(1);
    ADD_FAILURE() << "no assertion without a manager";
  } catch (const ESkinAssertion& e) {
    EXPECT_EQ(e.Message(), "Assertion failure (SkinThemes, line 497)");
  }
  SkinThemesStart();
}

TEST_F(SkinThemes, VisualStylesOfThisSystemAreReadForTheManagersWindow) {
  // Wine runs with its "Light" style: the toolbar colours come from the style.
  ASSERT_TRUE(SkinSystem().VisualStylesActive);
  EXPECT_NE(SkinSystem().ThemeData[tdcToolbar], nullptr);
  EXPECT_NE(SkinSystem().ThemeData[tdcButton], nullptr);
  EXPECT_FALSE(IsSystemColor(SkinSystem().ToolbarFillColor));
  EXPECT_GT(BoundUxThemeFunctionCount(), 40);
  EXPECT_NE(UxTheme().OpenThemeData, nullptr);
  // The system's flat menus are on here: auto and enable give flat menus in the menu colours.
  EXPECT_TRUE(SkinSystem().FlatMenusActive);
  EXPECT_EQ(SkinSystem().MenuBackColor, ui::SystemColor(COLOR_MENU));
  SetManagerParam(1, 1);
  EXPECT_FALSE(SkinSystem().FlatMenusActive);
  EXPECT_EQ(SkinSystem().MenuBackColor, SkinSystem().ToolbarFillColor);
  EXPECT_EQ(SkinSystem().HotLightColor, ui::clHotLight);
}

TEST(SkinMenuLook, FollowsTheSystemSettingAndTheStyle) {
  const TColor fill = 0x123456, text = 0x654321;
  const TColor menu = ui::SystemColor(COLOR_MENU), menuText = ui::SystemColor(COLOR_MENUTEXT);
  auto look = MenuLookFor(true, 1, fill, text);
  EXPECT_FALSE(look.FlatMenusActive);
  EXPECT_EQ(look.MenuBackColor, fill);
  EXPECT_EQ(look.MenuTextColor, text);
  for (int style : {0, 2}) {
    look = MenuLookFor(true, style, fill, text);
    EXPECT_TRUE(look.FlatMenusActive);
    EXPECT_EQ(look.MenuBackColor, menu);
    EXPECT_EQ(look.MenuTextColor, menuText);
  }
  look = MenuLookFor(false, 2, fill, text);
  EXPECT_TRUE(look.FlatMenusActive);
  EXPECT_EQ(look.MenuBackColor, ui::clWindow);
  EXPECT_EQ(look.MenuTextColor, ui::clWindowText);
  for (int style : {0, 1}) {
    look = MenuLookFor(false, style, fill, text);
    EXPECT_FALSE(look.FlatMenusActive);
    EXPECT_EQ(look.MenuBackColor, menu);
    EXPECT_EQ(look.MenuTextColor, menuText);
  }
}

COLORREF WhiteFaces(int index) { return index == COLOR_BTNFACE ? RGB(255, 255, 255) : test::ClassicSysColor(index); }

TEST_F(SkinThemes, SystemMessagesReReadAndReachListenersInPhases) {
  TRecordingListener a("a"), b("b");
  ThemeManagerListen(&a);
  ThemeManagerListen(&b);
  ThemeManagerListen(&a);  // twice is allowed, and heard twice
  HWND window = ThemeManagerInstance()->Handle();
  ASSERT_NE(window, nullptr);

  SetSysColorSource(&WhiteFaces);
  SendMessageW(window, WM_SYSCOLORCHANGE, 0, 0);
  SetSysColorSource(nullptr);
  EXPECT_TRUE(SkinSystem().ButtonFaceIsWhite);
  EXPECT_TRUE(SkinSystem().PlainSystemColors);
  EXPECT_FALSE(SkinSystem().LowColorDisplay);
  ASSERT_EQ(journal.size(), 9u);
  EXPECT_EQ(journal[0], Sys("a", 1));
  EXPECT_EQ(journal[2], Sys("a", 1));
  EXPECT_EQ(journal[3], Sys("a", 2));
  EXPECT_EQ(journal[8], Sys("a", 3));

  test::ClassicColors classic;
  journal.clear();
  SendMessageW(window, WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 1024));
  EXPECT_FALSE(SkinSystem().ButtonFaceIsWhite);
  EXPECT_EQ(journal.size(), 9u);

  // Activation is told once, without re-reading; b leaves while a is told.
  ThemeManagerUnlisten(&a);
  ThemeManagerUnlisten(&a);
  ThemeManagerUnlisten(&b);
  ThemeManagerListen(&a);
  ThemeManagerListen(&b);
  journal.clear();
  a.onMessage = [&](TMessage&) { ThemeManagerUnlisten(&b); };
  SendMessageW(window, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_EQ(journal, (std::vector<std::string>{Sys("a", 4)}));
  a.onMessage = nullptr;
  ThemeManagerListen(&b);
  journal.clear();
  SendMessageW(window, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(journal, (std::vector<std::string>{Sys("a", 5), Sys("b", 5)}));
  ThemeManagerUnlisten(&a);
  ThemeManagerUnlisten(&b);
}

class SkinNexusTest : public SkinThemes {
 protected:
  void SetUp() override {
    SkinThemes::SetUp();
    AddThemeClass("Default", &MakeSkinTheme<TRecordingTheme>);
    AddThemeClass("Other", &MakeSkinTheme<TRecordingTheme>);
    AddThemeClass("Broken", &MakeSkinTheme<TBrokenTheme>);
    SkinNexusStart();
    journal.clear();
  }
};

TEST_F(SkinNexusTest, SwitchingTellsEveryControlThreeTimesAndFreesTheOldTheme) {
  EXPECT_EQ(CurrentThemeName(), "Default");
  TRecordingListener one("one"), two("two");
  NexusListen(&one);
  NexusListen(&two);
  NexusListen(&one);  // kept once
  SelectTheme("other");
  EXPECT_EQ(CurrentThemeName(), "Other");
  EXPECT_EQ(ThemeReferenceCount("Default"), 0);
  EXPECT_EQ(ThemeReferenceCount("Other"), 1);
  // The new theme is made and told of the system before the old one goes.
  ASSERT_EQ(journal.size(), 9u);
  EXPECT_EQ(journal[0], "make Other");
  EXPECT_EQ(journal[1].rfind("Other:" + std::to_string(SKM_SYSTEMCHANGE) + "/", 0), 0u);
  EXPECT_EQ(journal[2], "free Default");
  const std::vector<std::string> phases(journal.begin() + 3, journal.end());
  EXPECT_EQ(phases, (std::vector<std::string>{Change("one", 1, 1), Change("two", 1, 1), Change("one", 2, 1),
                                              Change("two", 2, 1), Change("one", 3, 1), Change("two", 3, 1)}));

  // The same theme again: acquired, released, and the three phases once more.
  TSkinTheme* before = ActiveTheme();
  journal.clear();
  SelectTheme("Other");
  EXPECT_EQ(ActiveTheme(), before);
  EXPECT_EQ(ThemeReferenceCount("Other"), 1);
  EXPECT_EQ(journal.size(), 6u);

  // Unknown names change nothing and raise nothing.
  journal.clear();
  SelectTheme("Nope");
  EXPECT_EQ(CurrentThemeName(), "Other");
  EXPECT_TRUE(journal.empty());

  NexusUnlisten(&one);
  SelectTheme("Default");
  EXPECT_EQ(journal.back(), Change("two", 3, 1));
  EXPECT_EQ(std::count(journal.begin(), journal.end(), Change("one", 1, 1)), 0);
  NexusUnlisten(&two);
}

TEST_F(SkinNexusTest, AThemeThatCannotBeMadeLeavesTheCurrentOnePainting) {
  TRecordingListener control("control");
  NexusListen(&control);
  TSkinTheme* current = ActiveTheme();
  ExpectError([] { SelectTheme("Broken"); }, "no resources for Broken");
  EXPECT_EQ(ActiveTheme(), current);
  EXPECT_EQ(CurrentThemeName(), "Default");
  EXPECT_EQ(ThemeReferenceCount("Default"), 1);
  EXPECT_EQ(ThemeReferenceCount("Broken"), 0);
  EXPECT_EQ(ActiveTheme()->GetMetric(10), 11);
  for (const std::string& line : journal) EXPECT_EQ(line.rfind("control", 0), std::string::npos) << line;
  // And the registry is sound afterwards: a working switch still goes through.
  SelectTheme("Other");
  EXPECT_EQ(CurrentThemeName(), "Other");
  NexusUnlisten(&control);
}

TEST_F(SkinNexusTest, SystemChangesReachControlsAsThemeChangesOfNoSwitch) {
  TRecordingListener control("control");
  NexusListen(&control);
  HWND window = ThemeManagerInstance()->Handle();
  SendMessageW(window, WM_THEMECHANGED, 0, 0);
  std::vector<std::string> heard;
  for (const std::string& line : journal)
    if (line.rfind("control", 0) == 0) heard.push_back(line);
  EXPECT_EQ(heard, (std::vector<std::string>{Change("control", 1, 0), Change("control", 2, 0),
                                             Change("control", 3, 0)}));
  journal.clear();
  SendMessageW(window, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_EQ(journal, (std::vector<std::string>{Change("control", 4, 0)}));
  NexusUnlisten(&control);

  ASSERT_EQ(NamedColors().size(), 1u);
  EXPECT_EQ(NamedColors()[0].Name, "clHotLight");
  EXPECT_EQ(*NamedColors()[0].Variable, SkinSystem().HotLightColor);
}

// A control that answers the two queries.
class TAnsweringControl : public ui::TControl {
 public:
  TAnsweringControl() : ui::TControl(nullptr) {}
  void WndProc(TMessage& m) override {
    if (m.Msg == SKM_GETVIEWKIND) {
      m.Result = vkToolbar | vkFloating;
      return;
    }
    if (m.Msg == SKM_GETEFFECTIVECOLOR) {
      m.WParam = 0x00ABCDEF;
      m.Result = 1;
      return;
    }
    ui::TControl::WndProc(m);
  }
};

TEST(SkinQueries, AnswersOrTheControlsOwnColour) {
  EXPECT_EQ(QueryEffectiveColor(nullptr), ui::clBtnFace);
  EXPECT_EQ(QueryViewKind(static_cast<ui::TControl*>(nullptr)), 0);
  TAnsweringControl answering;
  EXPECT_EQ(QueryEffectiveColor(&answering), 0x00ABCDEF);
  EXPECT_EQ(QueryViewKind(&answering), 0x1801);
  ui::TControl plain(nullptr);
  plain.SetColor(0x00102030);
  EXPECT_EQ(QueryEffectiveColor(&plain), 0x00102030);
  EXPECT_EQ(QueryViewKind(&plain), 0);
  TRecordingListener component("component");
  component.onMessage = [](TMessage& m) { m.Result = vkPopupMenu; };
  EXPECT_EQ(QueryViewKind(&component), vkPopupMenu);
  EXPECT_TRUE(IsPopupMenuView(vkPopupMenu));
  EXPECT_FALSE(IsListPopupView(vkPopupMenu));
  EXPECT_TRUE(IsListPopupView(vkListPopup | vkResizable));
  EXPECT_TRUE(IsPopupView(vkChevronPopup));
  EXPECT_FALSE(IsPopupView(vkToolbar));
  EXPECT_TRUE(IsToolboxPopupView(vkToolboxPopup));
}

TEST(SkinUxTheme, BindsByNameAndUnbindsToNothing) {
  UnbindUxTheme();
  EXPECT_FALSE(UxThemeLoaded());
  EXPECT_EQ(BoundUxThemeFunctionCount(), 0);
  ASSERT_TRUE(BindUxTheme());
  EXPECT_TRUE(BindUxTheme());  // once only
  EXPECT_GT(BoundUxThemeFunctionCount(), 40);
  EXPECT_LE(BoundUxThemeFunctionCount(), kUxThemeFunctionCount);
  EXPECT_TRUE(UxThemeUsable());
  UnbindUxTheme();
  EXPECT_EQ(BoundUxThemeFunctionCount(), 0);
  EXPECT_EQ(UxTheme().IsThemeActive, nullptr);
  EXPECT_FALSE(UxThemeUsable());
}

}  // namespace
}  // namespace movra::skin
