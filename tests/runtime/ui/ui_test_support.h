#pragma once
// Helpers of the window tests: message pumping with a bound, and exceptions caught by the loop.
#include <functional>
#include <string>

#include "runtime/ui/forms.h"

namespace movra::ui::test {

// Handles messages until `done` holds or about `limitMs` have passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int limitMs = 5000);
// Runs `call` from a thread timer after `delayMs`, inside whatever loop is then running.
// With `repeat`, it runs on every tick until `call` returns false.
void After(unsigned delayMs, std::function<bool()> call);

// Handles the messages waiting now.
void Pump();

// Catches what the message loop would show in a box.
struct ExceptionTrap : TObject {
  ExceptionTrap();
  ~ExceptionTrap() override;
  int count = 0;
  std::string lastMessage;
  void Handle(TObject*, const std::exception& e);
};

}  // namespace movra::ui::test
