#include "app/about_dialog.h"

#include <windows.h>
#include <shellapi.h>
#include <windowsx.h>

#include "app/dialogs.h"
#include "app/window_building.h"
#include "i18n/localizer.h"
#include "runtime/text.h"

namespace movra::app {
namespace {

using namespace movra::ui;

constexpr TColor kBackground = 15918813;

// A control that lets presses through to the box beneath, so that the box drags from it.
template <class T>
class TPassThrough : public T {
 public:
  using T::T;
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_NCHITTEST) {
      message.Result = HTTRANSPARENT;
      return;
    }
    T::WndProc(message);
  }
};

// The acknowledgements sit on the box's colour, without a frame.
class TBorderlessMemo : public TMemo {
 public:
  using TMemo::TMemo;

 protected:
  void CreateParams(TCreateParams& params) override {
    TMemo::CreateParams(params);
    params.Style &= ~WS_BORDER;
    params.ExStyle &= ~WS_EX_CLIENTEDGE;
  }
};

// A label the box drags from.
TLabel* CreateLabel(TComponent* owner, TWinControl* parent, const char* name, TBounds bounds,
                    const char* caption) {
  auto* label = Control<TPassThrough<TLabel>>(owner, parent, name, bounds);
  label->SetCaption(caption);
  return label;
}

void ShellOpen(const std::string& target) {
  ShellExecuteW(nullptr, L"open", Utf8ToWide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

std::string AboutBuildText(const std::optional<TFileVersion>& version, const std::string& edition) {
  if (!version) return _("Version ") + edition;
  return _("Version ") + std::to_string(version->Major) + "." + std::to_string(version->Minor) + " " + edition +
         " (build " + std::to_string(version->Build) + ")";
}

TAboutForm::TAboutForm(TComponent* owner) : TForm(owner), OpenLink(ShellOpen) {
  BeginLoading();
  SetName("AboutForm");
  SetCaption("About");
  SetBorderStyle(TFormBorderStyle::bsNone);
  SetPosition(TPosition::poScreenCenter);
  SetColor(kBackground);
  SetClientSize(360, 300);

  shpFrame = Control<TPassThrough<TShape>>(this, this, "shpFrame", {0, 0, 360, 300});
  shpFrame->SetAlign(TAlign::alClient);
  shpFrame->Pen().SetColor(clGray);
  shpFrame->Brush().SetColor(kBackground);
  imgLogo = Control<TPassThrough<TImage>>(this, this, "imgLogo", {16, 16, 48, 48});
  DrawLogo();
  lblAppName = CreateLabel(this, this, "lblAppName", {80, 18, 260, 20}, "");
  lblAppName->Font().SetStyle(fsBold);
  lblAppName->Font().SetSize(12);
  lblBuild = CreateLabel(this, this, "lblBuild", {80, 44, 260, 13}, "");
  lblNotice = CreateLabel(this, this, "lblNotice", {16, 76, 328, 28},
                          "This program is free software. Use it at your own risk.");
  lblNotice->SetWordWrap(true);
  lblURL = TextLabel(this, this, "lblURL", "https://movra.example.org/", {16, 110, 220, 13});
  lblMail = TextLabel(this, this, "lblMail", "support@movra.example.org", {16, 128, 220, 13});
  for (TLabel* link : {lblURL, lblMail}) {
    link->Font().SetColor(clBlue);
    link->OnMouseEnter = TNotifyEvent(this, &TAboutForm::LinkEnter);
    link->OnMouseLeave = TNotifyEvent(this, &TAboutForm::LinkLeave);
  }
  lblURL->OnClick = TNotifyEvent(this, &TAboutForm::URLClick);
  lblMail->OnClick = TNotifyEvent(this, &TAboutForm::MailClick);
  lblThanks = CreateLabel(this, this, "lblThanks", {16, 154, 200, 13}, "Special thanks:");
  memoThanks = Control<TBorderlessMemo>(this, this, "memoThanks", {16, 172, 328, 64});
  memoThanks->SetReadOnly(true);
  memoThanks->SetScrollBars(TScrollStyle::ssVertical);
  memoThanks->SetColor(kBackground);
  memoThanks->Lines().SetText(
      "Everyone who tried the early builds and reported what went wrong.\r\n"
      "The translators of the Russian and German texts.");
  lblAuthors = CreateLabel(this, this, "lblAuthors", {16, 266, 240, 13}, "Written by the Movra developers.");
  btnOK = DialogButton(this, this, "btnOK", "OK", {270, 262, 75, 25}, mrOk);
  btnOK->SetDefault(true);
  btnOK->SetCancel(true);
  EndLoading();
}

void TAboutForm::CreateWnd() {
  TForm::CreateWnd();
  // The frame spans the whole box: beneath everything else, or it would hide it. Children are
  // stacked in the order they are made, so make them all first.
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* child = dynamic_cast<TWinControl*>(Controls(i))) child->HandleNeeded();
  SetWindowPos(shpFrame->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TAboutForm::DrawLogo() {
  // A disk map of fragments falling into one block.
  imgLogo->Picture().SetSize(48, 48);
  TCanvas& canvas = imgLogo->Picture().Canvas();
  canvas.Brush().SetColor(kBackground);
  canvas.FillRect({0, 0, 48, 48});
  canvas.Brush().SetColor(clNavy);
  canvas.Ellipse({2, 2, 46, 46});
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      const bool placed = row * 4 + column < 6 + row;
      canvas.Brush().SetColor(placed ? clLime : clSilver);
      const int left = 10 + column * 7, top = 10 + row * 7;
      canvas.FillRect({left, top, left + 6, top + 6});
    }
  }
}

void TAboutForm::ShowProduct(const std::string& product, const std::string& edition) {
  lblAppName->SetCaption(product);
  lblBuild->SetCaption(AboutBuildText(ReadFileVersion(ProgramFileName()), edition));
}

bool TAboutForm::IsDragPoint(POINT point) const {
  const RECT links{lblURL->Left(), lblURL->Top(), lblURL->Left() + lblURL->Width(),
                   lblMail->Top() + lblMail->Height()};
  return !PtInRect(&links, point);
}

void TAboutForm::WndProc(TMessage& message) {
  TForm::WndProc(message);
  if (message.Msg == WM_NCHITTEST && message.Result == HTCLIENT) {
    const POINT client = ScreenToClient({GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)});
    if (IsDragPoint(client)) message.Result = HTCAPTION;
  }
}

void TAboutForm::LinkEnter(TObject* sender) {
  auto* link = static_cast<TLabel*>(sender);
  link->Font().SetStyle(link->Font().Style() | fsUnderline);
  link->SetCursor(LoadCursorW(nullptr, IDC_HAND));
}

void TAboutForm::LinkLeave(TObject* sender) {
  auto* link = static_cast<TLabel*>(sender);
  link->Font().SetStyle(link->Font().Style() & ~fsUnderline);
  link->SetCursor(nullptr);
}

void TAboutForm::URLClick(TObject*) { OpenLink(lblURL->Caption()); }

void TAboutForm::MailClick(TObject*) { OpenLink("mailto:" + lblMail->Caption()); }

void ExecuteAbout(const std::string& product, const std::string& edition) {
  auto form = MakeOwned<TAboutForm>(nullptr);
  TranslateDialog(*form);
  form->ShowProduct(product, edition);
  form->ShowModal();
}

}  // namespace movra::app
