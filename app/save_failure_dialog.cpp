#include "app/save_failure_dialog.h"

#include <algorithm>
#include <vector>

#include "app/window_building.h"
#include "i18n/localizer.h"
#include "runtime/ui/caption_layout.h"
#include "runtime/ui/extctrls.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/stdctrls.h"

namespace movra::app {

using namespace movra::ui;

namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kTextWidth = 360;
constexpr int kButtonHeight = 25;
constexpr int kButtonMinWidth = 75;
constexpr int kButtonPadding = 24;
constexpr int kButtonGap = 8;

void DrawErrorIcon(TImage& image, TColor background) {
  image.Picture().SetSize(kIconSize, kIconSize);
  TCanvas& canvas = image.Picture().Canvas();
  canvas.Brush().SetColor(background);
  canvas.FillRect({0, 0, kIconSize, kIconSize});
  DrawIconEx(canvas.Handle(), 0, 0, LoadIconW(nullptr, IDI_ERROR), kIconSize, kIconSize, 0,
             nullptr, DI_NORMAL);
}

}  // namespace

TSaveFailureAnswer ExecuteSaveFailure(const std::string& text) {
  auto form = MakeOwned<TForm>(nullptr);
  form->BeginLoading();
  form->SetName("SaveFailureForm");
  form->SetCaption(kApplicationTitle);
  form->SetBorderStyle(TFormBorderStyle::bsDialog);
  form->SetPosition(TPosition::poScreenCenter);

  auto* icon = Control<TImage>(form.get(), form.get(), "imgError",
                               {kMargin, kMargin, kIconSize, kIconSize});
  DrawErrorIcon(*icon, form->Color());
  const int textLeft = kMargin + kIconSize + kMargin;
  auto* question = TextLabel(form.get(), form.get(), "lblQuestion", text,
                             {textLeft, kMargin, kTextWidth, kIconSize});
  question->SetWordWrap(true);
  const SIZE textSize = MeasureText(*question, text, kTextWidth);
  question->SetBounds(textLeft, kMargin, kTextWidth, std::max<int>(textSize.cy, kIconSize));

  struct TChoice {
    const char* Name;
    std::string Caption;
    TModalResult Result;
  };
  const TChoice choices[] = {{"btnTryAgain", _("&Try Again"), mrRetry},
                             {"btnExit", _("E&xit Without Saving"), mrIgnore},
                             {"btnCancel", _("Cancel"), mrCancel}};
  std::vector<TButton*> buttons;
  int rowWidth = 0;
  for (const TChoice& choice : choices) {
    TButton* button = DialogButton(form.get(), form.get(), choice.Name, choice.Caption,
                                   {0, 0, kButtonMinWidth, kButtonHeight}, choice.Result);
    const int width =
        std::max<int>(kButtonMinWidth, MeasureText(*button, choice.Caption).cx + kButtonPadding);
    button->SetWidth(width);
    rowWidth += width + (buttons.empty() ? 0 : kButtonGap);
    buttons.push_back(button);
  }
  buttons.back()->SetDefault(true);
  buttons.back()->SetCancel(true);
  form->SetActiveControl(buttons.back());

  // The buttons stand in one row under the text, at the right; a row wider than the text
  // widens the box.
  const int clientWidth = std::max(textLeft + kTextWidth, kMargin + rowWidth) + kMargin;
  const int buttonsTop = question->Top() + question->Height() + 2 * kMargin;
  int left = clientWidth - kMargin - rowWidth;
  for (TButton* button : buttons) {
    button->SetBounds(left, buttonsTop, button->Width(), kButtonHeight);
    left += button->Width() + kButtonGap;
  }
  form->SetClientSize(clientWidth, buttonsTop + kButtonHeight + kMargin);
  form->EndLoading();

  switch (form->ShowModal()) {
    case mrRetry:
      return TSaveFailureAnswer::TryAgain;
    case mrIgnore:
      return TSaveFailureAnswer::ExitWithoutSaving;
    default:
      return TSaveFailureAnswer::StayOpen;
  }
}

}  // namespace movra::app
