#pragma once
// A shown form whose multi-dock holds the two panels of the main window: "Profiles" with a
// split size of 240 and "Log" with 187, on a form 427 pixels high, so that the two fill the
// dock's length exactly.
#include <windows.h>

#include <ostream>

#include "runtime/ui/forms.h"
#include "themes/skin_panels.h"

// Rectangles compared and printed by the tests.
inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
inline void PrintTo(const RECT& r, std::ostream* os) {
  *os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

namespace movra::skin::test {

struct TPanelForm {
  explicit TPanelForm(bars::TBarDockPosition position = bars::TBarDockPosition::dpLeft, int clientWidth = 500,
                      int clientHeight = 427) {
    Form = new ui::TForm(nullptr);
    Form->SetBounds(120, 120, clientWidth + 20, clientHeight + 40);
    Form->SetClientSize(clientWidth, clientHeight);
    Dock = new TSkinMultiDock(Form);
    Dock->SetName("MultiDock");
    Dock->SetPosition(position);
    Dock->SetParent(Form);
    Profiles = NewPanel("pnlProfiles", "Profiles", 240);
    Log = NewPanel("pnlLog", "Log", 187);
  }
  ~TPanelForm() { Free(Form); }
  TPanelForm(const TPanelForm&) = delete;
  TPanelForm& operator=(const TPanelForm&) = delete;

  TSkinDockablePanel* NewPanel(const char* name, const char* caption, int split) {
    auto* panel = new TSkinDockablePanel(Form);
    panel->SetName(name);
    panel->SetCaption(caption);
    if (Dock->Vertical())
      panel->SetSplitHeight(split);
    else
      panel->SetSplitWidth(split);
    panel->SetParent(Dock);
    return panel;
  }
  void Show() {
    Form->Show();
    SetForegroundWindow(Form->Handle());
  }

  ui::TForm* Form;
  TSkinMultiDock* Dock;
  TSkinDockablePanel* Profiles;
  TSkinDockablePanel* Log;
};

inline RECT ScreenRect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r;
}

}  // namespace movra::skin::test
