#include "themes/skin_switcher.h"

namespace movra::skin {

TSkinSwitcher::TSkinSwitcher(ui::TComponent* owner) : ui::TComponent(owner) { NexusListen(this); }

TSkinSwitcher::~TSkinSwitcher() { NexusUnlisten(this); }

std::string TSkinSwitcher::Theme() const { return CurrentThemeName(); }

void TSkinSwitcher::SetTheme(const std::string& name) { SelectTheme(name); }

bool TSkinSwitcher::EnableXPStyles() const { return GetManagerParam(2) == 0; }

void TSkinSwitcher::SetEnableXPStyles(bool enable) { SetManagerParam(2, enable ? 0 : 2); }

TFlatMenuStyle TSkinSwitcher::FlatMenuStyle() const {
  switch (GetManagerParam(1)) {
    case 1: return TFlatMenuStyle::fmsDisable;
    case 2: return TFlatMenuStyle::fmsEnable;
    default: return TFlatMenuStyle::fmsAuto;
  }
}

void TSkinSwitcher::SetFlatMenuStyle(TFlatMenuStyle style) {
  SetManagerParam(1, style == TFlatMenuStyle::fmsEnable ? 2 : style == TFlatMenuStyle::fmsDisable ? 1 : 0);
}

void TSkinSwitcher::Dispatch(TMessage& message) {
  if (message.Msg == SKM_THEMECHANGE) OnThemeChange(this);
}

}  // namespace movra::skin
