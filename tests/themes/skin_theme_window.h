#pragma once
// One window with a themed control of every kind, shared by the four-theme tests and the theme
// benchmark: a dock with a menu bar (two menus, one with a separator) and a toolbar on the row
// below it, a multi-dock on the left holding a dockable panel, a status bar with two panels and
// a switcher. The four themes are registered and visual styles are off, so that the Default
// theme draws the classic way whose colours the rules fix (the other three never use them).
#include <windows.h>

#include <array>
#include <initializer_list>
#include <string>

#include "runtime/ui/forms.h"
#include "tests/support/support.h"
#include "themes/skin_aluminum.h"
#include "themes/skin_panels.h"
#include "themes/skin_popups.h"
#include "themes/skin_status.h"
#include "themes/skin_switcher.h"
#include "themes/skin_windows.h"
#include "toolbars/bar_common.h"

namespace movra::skin::test {

inline constexpr std::array<const char*, 4> kFourThemes{"Default", "OfficeXP", "Stripes", "Aluminum"};

inline void StartFourThemes() {
  SkinStart();
  SkinOfficeXPStart();
  SkinStripesStart();
  SkinAluminumStart();
  SetManagerParam(2, 1);
}
inline void EndFourThemes() {
  SelectTheme("Default");
  SetManagerParam(2, 0);
  SkinEnd();
}

struct TThemedTestWindow {
  TThemedTestWindow() {
    Form = new ui::TForm(nullptr);
    Form->SetCaption("Themes");
    Form->SetBounds(160, 120, 560, 400);
    Switcher = new TSkinSwitcher(Form);
    Top = new TSkinDock(Form);
    Top->SetParent(Form);
    MenuBar = new TSkinToolbar(Form);
    MenuBar->SetMenuBar(true);
    File = AddMenu("&File", {"&New", "&Open", "-", "E&xit"});
    ViewMenu = AddMenu("&View", {"&Toolbar", "&Status bar"});
    MenuBar->SetParent(Top);
    Toolbar = new TSkinToolbar(Form);
    Toolbar->SetDockRow(1);
    for (const char* caption : {"Analyze", "-", "Defragment", "Stop"}) Toolbar->Items()->Add(NewItem(caption));
    Toolbar->SetParent(Top);
    Side = new TSkinMultiDock(Form);
    Side->SetPosition(bars::TBarDockPosition::dpLeft);
    Side->SetParent(Form);
    Panel = new TSkinDockablePanel(Form);
    Panel->SetCaption("Profiles");
    Panel->SetDockedWidth(150);
    Panel->SetParent(Side);
    Status = new TSkinStatusBar(Form);
    Status->SetParent(Form);
    Status->Panels().Add()->SetCaption("Ready");
    Status->Panels().Add()->SetCaption("In queue: 0 profile(s)");
    Status->Panels().Items(0)->SetSize(200);
    Status->Panels().Items(1)->SetSize(Status->ClientWidth() - 200);
  }
  ~TThemedTestWindow() { ui::Free(Form); }
  TThemedTestWindow(const TThemedTestWindow&) = delete;
  TThemedTestWindow& operator=(const TThemedTestWindow&) = delete;

  static bars::TBarCustomItem* NewItem(const char* caption) {
    if (std::string(caption) == "-") return new TSkinSeparatorItem(nullptr);
    auto* item = new TSkinItem(nullptr);
    item->SetCaption(caption);
    return item;
  }
  TSkinSubmenuItem* AddMenu(const char* caption, std::initializer_list<const char*> entries) {
    auto* menu = new TSkinSubmenuItem(nullptr);
    menu->SetCaption(caption);
    for (const char* entry : entries) menu->Add(NewItem(entry));
    MenuBar->Items()->Add(menu);
    return menu;
  }

  void Show() {
    Form->Show();
    Repaint();
  }
  // Paints at once whatever waits to be painted.
  void Repaint() {
    RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    bars::DispatchPendingPaints();
  }

  // Drops the File menu down as the menu bar would, without tracking it.
  TSkinPopupWindow* OpenFileMenu() {
    bars::TBarView* view = MenuBar->View();
    return dynamic_cast<TSkinPopupWindow*>(
        File->OpenSubmenuPopup(view, view->Find(File), false, false, false, {0, 0}, 0));
  }
  void CloseMenus() { MenuBar->View()->CancelChildPopups(); }

  // The windows of the themed controls, each of which must follow a theme switch.
  std::array<ui::TWinControl*, 5> ThemedControls() const { return {Top, MenuBar, Toolbar, Panel, Status}; }

  // A client point of `control` in the coordinates of the form's window rectangle.
  POINT At(ui::TWinControl* control, POINT client) const {
    ClientToScreen(control->Handle(), &client);
    RECT frame;
    GetWindowRect(Form->Handle(), &frame);
    return {client.x - frame.left, client.y - frame.top};
  }
  SIZE FormSize() const {
    RECT r;
    GetWindowRect(Form->Handle(), &r);
    return {r.right - r.left, r.bottom - r.top};
  }

  // The form with its children as their own painting gives them, and the popup (when one is
  // given) printed over it at its place.
  void Print(movra::testing::TestPicture& picture, ui::TWinControl* popup = nullptr) const {
    picture.Print(Form->Handle());
    if (popup) {
      RECT frame, r;
      GetWindowRect(Form->Handle(), &frame);
      GetWindowRect(popup->Handle(), &r);
      picture.Print(popup->Handle(), r.left - frame.left, r.top - frame.top);
    }
  }

  ui::TForm* Form = nullptr;
  TSkinSwitcher* Switcher = nullptr;
  TSkinDock* Top = nullptr;
  TSkinToolbar* MenuBar = nullptr;
  TSkinSubmenuItem* File = nullptr;
  TSkinSubmenuItem* ViewMenu = nullptr;
  TSkinToolbar* Toolbar = nullptr;
  TSkinMultiDock* Side = nullptr;
  TSkinDockablePanel* Panel = nullptr;
  TSkinStatusBar* Status = nullptr;
};

}  // namespace movra::skin::test
