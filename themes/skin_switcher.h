#pragma once
// A window's say in the theme machinery: which theme is current, whether visual styles are
// used and how menus look, and a notice when the theme changes.
#include <string>

#include "runtime/ui/classes.h"
#include "themes/skin_themes.h"

namespace movra::skin {

enum class TFlatMenuStyle { fmsAuto, fmsEnable, fmsDisable };

// Stores nothing but its handler: every property reads and writes the process-wide state.
class TSkinSwitcher : public ui::TComponent, public TSkinListener {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinSwitcher", &ui::TComponent::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TSkinSwitcher(ui::TComponent* owner);
  ~TSkinSwitcher() override;

  std::string Theme() const;
  // A name that is not registered is ignored.
  void SetTheme(const std::string& name);
  bool EnableXPStyles() const;
  void SetEnableXPStyles(bool enable);
  TFlatMenuStyle FlatMenuStyle() const;
  void SetFlatMenuStyle(TFlatMenuStyle style);
  // Called for every theme-change notice, whatever its phase.
  ui::TNotifyEvent OnThemeChange;

  void Dispatch(TMessage& message) override;
};

}  // namespace movra::skin
