// Opens a window holding one of each control of the layer, for a screenshot check. Closes by
// itself after the number of milliseconds given as its argument (default: stays open).
#include <windows.h>

#include <cstdlib>

#include "runtime/ui/comctrls.h"
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
    SetBounds(20, 20, 900, 440);
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
    auto* bar = new TStatusBar(this);
    bar->SetParent(this);
    bar->Panels().Add()->SetWidth(350);
    bar->Panels().Add()->SetWidth(200);
    bar->Panels()[0]->SetText("Status bar panel 0");
    bar->Panels()[1]->SetText("In queue: 0 profile(s)");
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
    auto* pages = new TPageControl(this);
    pages->SetParent(this);
    pages->SetBounds(540, 44, 340, 290);
    auto* files = new TTabSheet(this);
    files->SetPageControl(pages);
    files->SetCaption("Included file(s)");
    auto* scheduler = new TTabSheet(this);
    scheduler->SetPageControl(pages);
    scheduler->SetCaption("Scheduler");
    auto* list = new TListView(this);
    list->SetParent(files);
    list->SetAlign(TAlign::alClient);
    list->SetRowSelect(true);
    list->SetGridLines(true);
    list->SetHideSelection(false);
    list->Columns().Add()->SetCaption("Name");
    list->Column(0)->SetAutoSize(true);
    for (const char* caption : {"Size", "Fragments"}) {
      TListColumn* column = list->Columns().Add();
      column->SetCaption(caption);
      column->SetWidth(70);
      column->SetAlignment(TAlignment::taRightJustify);
    }
    for (const char* row : {"C:\\boot.ini", "C:\\pagefile.sys"}) {
      TListItem* item = list->Items().Add();
      item->SetCaption(row);
      item->SubItems().Add("2.00 KB");
      item->SubItems().Add("3");
    }
    list->Items()[0]->SetSelected(true);
    auto* picker = new TDateTimePicker(this);
    picker->SetParent(scheduler);
    picker->SetBounds(12, 12, 100, 21);
    picker->SetKind(TDateTimeKind::dtkTime);
    picker->SetFormat("H:mm");
    auto* spin = new TSpinEdit(this);
    spin->SetParent(scheduler);
    spin->SetBounds(12, 44, 100, 21);
    spin->SetMinValue(2);
    spin->SetMaxValue(99999);
    spin->SetValue(30);
    auto* animation = new TAnimate(this);
    animation->SetParent(scheduler);
    animation->SetBounds(12, 76, 272, 60);
    animation->SetCommonAVI(TCommonAVI::aviFindFolder);
    animation->Play(1, 0, -1);
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
