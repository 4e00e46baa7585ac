#pragma once
// Test dockables of fixed sizes, a form with docks, and mouse scripts played from a thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/ui/forms.h"
#include "toolbars/bar_dock.h"

namespace movra::bars::test {

// A dockable window whose content has a fixed size; chevron and wrap bars give way down to
// `Shrunk` along the row.
class TTestBar : public TBarCustomDockableWindow {
 public:
  TTestBar(TComponent* owner, int width, int height) : TBarCustomDockableWindow(owner), Base{width, height} {}
  SIZE Base;
  int Shrunk = -1;
  TBarShrinkMode Mode = TBarShrinkMode::tbsmNone;
  int Layouts = 0;

  void ComputeLayout(bool, int, SIZE& size, TBarDock*, bool) override {
    ++Layouts;
    size = Base;
  }
  void BaseSize(SIZE& size) override { size = Base; }
  void MinimumShrunkLength(int& length) override {
    if (Shrunk >= 0) length = Shrunk;
  }
  TBarShrinkMode CurrentShrinkMode() override { return Mode; }
};

// A form with a client area of 500 x 300 and a dock on each edge.
struct TDockForm {
  TDockForm();
  ~TDockForm();
  movra::ui::TForm* Form;
  TBarDock* Top;
  TBarDock* Bottom;
  TBarDock* Left;
  TBarDock* Right;
  TTestBar* AddBar(TBarDock* dock, int width, int height, int row, int pos, const std::string& name = {});
};

// Moves, presses and releases the mouse from a thread of its own, so that the modal loops on
// the test's thread see real input.
class TMouseScript {
 public:
  TMouseScript() = default;
  ~TMouseScript();
  void MoveTo(POINT p);
  void Down();
  void Up();
  void Key(WORD vk, bool down);
  void Wait(int ms);
  // Runs `call` on the script's thread at this point of the script.
  void Do(std::function<void()> call);
  void Start();
  bool Done() const { return done_; }

 private:
  std::vector<std::function<void()>> steps_;
  std::thread thread_;
  std::atomic<bool> done_{false};
};

// Ends a stuck modal loop: after `ms` it releases the capture and posts WM_CANCELMODE, and
// records that it had to.
class TWatchdog {
 public:
  explicit TWatchdog(unsigned ms);
  ~TWatchdog();
  bool Fired() const { return fired_; }

 private:
  UINT_PTR timer_ = 0;
  static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD);
  static bool fired_;
};

// Screen rectangle of a window.
RECT WindowRect(HWND window);
POINT Centre(const RECT& r);

}  // namespace movra::bars::test
