// Opens a window holding one of each control of the layer, for a screenshot check. Closes by
// itself after the number of milliseconds given as its argument (default: stays open).
#include <windows.h>

#include <cstdlib>

#include "runtime/ui/extctrls.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/stdctrls.h"

using namespace movra::ui;

namespace {

class TShowcaseForm : public TForm {
 public:
  explicit TShowcaseForm(TComponent* owner) : TForm(owner) {
    BeginLoading();
    SetCaption("Controls");
    SetBounds(20, 20, 560, 420);
    auto* menu = new TMainMenu(this);
    for (const char* caption : {"&File", "View", "&Help"}) {
      auto* item = new TMenuItem(this);
      item->SetCaption(caption);
      menu->Items()->Add(item);
    }
    SetMenu(menu);
    auto* top = new TPanel(this);
    top->SetParent(this);
    top->SetAlign(TAlign::alTop);
    top->SetHeight(36);
    top->SetCaption("Panel (top)");
    auto* status = new TPanel(this);
    status->SetParent(this);
    status->SetAlign(TAlign::alBottom);
    status->SetHeight(22);
    status->SetBevelOuter(TBevelCut::bvLowered);
    status->SetAlignment(TAlignment::taLeftJustify);
    status->SetCaption("Panel (bottom)");
    auto* group = new TGroupBox(this);
    group->SetParent(this);
    group->SetBounds(8, 44, 250, 150);
    group->SetCaption(" Parameters ");
    auto* label = new TLabel(this);
    label->SetParent(group);
    label->SetBounds(12, 24, 60, 13);
    label->SetCaption("Path:");
    auto* edit = new TEdit(this);
    edit->SetParent(group);
    edit->SetBounds(60, 20, 170, 21);
    edit->SetText("C:\\");
    auto* check = new TCheckBox(this);
    check->SetParent(group);
    check->SetBounds(12, 52, 200, 17);
    check->SetCaption("Activate scheduler");
    check->SetChecked(true);
    auto* combo = new TComboBox(this);
    combo->SetParent(group);
    combo->SetStyle(TComboBoxStyle::csDropDownList);
    combo->SetBounds(12, 78, 218, 21);
    combo->Items().SetText("start of disk\nend of disk");
    combo->SetItemIndex(0);
    auto* link = new TLabel(this);
    link->SetParent(group);
    link->SetBounds(12, 112, 200, 13);
    link->Font().SetColor(clBlue);
    link->Font().SetStyle(fsUnderline);
    link->SetCaption("http://example.invalid/");
    auto* checks = new TCheckListBox(this);
    checks->SetParent(this);
    checks->SetBounds(270, 44, 130, 90);
    checks->Items().SetText("The Bat!\nOutlook Express");
    checks->SetChecked(0, true);
    auto* shape = new TShape(this);
    shape->SetParent(this);
    shape->SetBounds(410, 44, 60, 60);
    shape->SetShape(TShapeType::stRoundRect);
    shape->Brush().SetColor(clYellow);
    auto* image = new TImage(this);
    image->SetParent(this);
    image->SetBounds(480, 44, 48, 48);
    image->Picture().SetSize(48, 48);
    image->Picture().Canvas().Brush().SetColor(clNavy);
    image->Picture().Canvas().FillRect({0, 0, 48, 48});
    image->Picture().Canvas().Brush().SetColor(clLime);
    image->Picture().Canvas().Ellipse({8, 8, 40, 40});
    auto* memo = new TMemo(this);
    memo->SetParent(this);
    memo->SetBounds(8, 204, 392, 120);
    memo->SetScrollBars(TScrollStyle::ssVertical);
    memo->SetReadOnly(true);
    memo->Font().SetName("Courier New");
    memo->Lines().SetText("<<<< Defragmenting file C:\\a.txt\r\n    4 fragments\r\n>>>> Done");
    auto* ok = new TButton(this);
    ok->SetParent(this);
    ok->SetBounds(410, 260, 75, 25);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    auto* cancel = new TButton(this);
    cancel->SetParent(this);
    cancel->SetBounds(410, 296, 75, 25);
    cancel->SetCaption("Cancel");
    EndLoading();
  }
};

struct Closer : TObject {
  void Tick(TObject*) { Application().Terminate(); }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR arguments, int) {
  Application().SetTitle("Controls");
  Application().CreateForm<TShowcaseForm>();
  Closer closer;
  int closeAfter = arguments && *arguments ? _wtoi(arguments) : 0;
  if (closeAfter > 0) {
    auto* timer = new TTimer(&Application());
    timer->SetInterval(static_cast<unsigned>(closeAfter));
    timer->OnTimer = TNotifyEvent(&closer, &Closer::Tick);
  }
  Application().Run();
  return 0;
}
