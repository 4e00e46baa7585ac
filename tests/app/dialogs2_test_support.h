#pragma once
// Driving a modal dialog from inside its own loop.
#include <functional>

#include "runtime/ui/forms.h"
#include "tests/runtime/ui/ui_test_support.h"

namespace movra::app::test {

// The modal dialog of class F on screen, or nullptr.
template <class F>
F* OpenDialog() {
  for (int i = 0; i < ui::Screen().FormCount(); ++i) {
    auto* form = dynamic_cast<F*>(ui::Screen().Forms(i));
    if (form && form->Modal() && form->Visible()) return form;
  }
  return nullptr;
}

// Runs `act` once on the modal dialog of class F when it is up.
template <class F>
void WhenOpen(std::function<void(F&)> act) {
  ui::test::After(30, [act] {
    F* form = OpenDialog<F>();
    if (form) act(*form);
    return form == nullptr;
  });
}

}  // namespace movra::app::test
