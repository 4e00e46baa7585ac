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

// Parks the cursor where no window of the tests lies. The desktop and its one pointer outlive
// each test: a pointer left over a form's place by the test before would hover there.
void ParkCursor();

// A form with a client area of 500 x 300 and a dock on each edge; made with the cursor parked.
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
// the test's thread see real input. Made on the test's thread.
class TMouseScript {
 public:
  TMouseScript();
  ~TMouseScript();
  TMouseScript(const TMouseScript&) = delete;
  TMouseScript& operator=(const TMouseScript&) = delete;
  void MoveTo(POINT p);
  void Down();
  void Up();
  void Key(WORD vk, bool down);
  // Posts a key message to `window`: a modal loop takes it from the queue whichever window
  // has the keyboard.
  void PostKey(HWND window, WORD vk, bool down);
  void Wait(int ms);
  // Runs `call` on the script's thread at this point of the script.
  void Do(std::function<void()> call);
  void Start();
  bool Done() const { return done_; }

 private:
  // What the test's thread, once it has taken the display's pending events, sees: 1 the
  // cursor at `p`, its last mouse move from there and no mouse message waiting; 0 messages
  // still waiting; -1 settled somewhere else.
  int SeenByTestThread(POINT p) const;
  bool ReachedAndStays(POINT p) const;

  HWND probe_ = nullptr;
  POINT at_{0, 0};
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

// Plays `script` while this thread handles messages; every loop it starts must end by itself
// (no watchdog had to break one, and no capture is left).
void Play(TMouseScript& script, unsigned limitMs = 10000);
// Waits long enough that the next press is a click of its own, not a double click.
void NewClick(TMouseScript& script);

// A row of `count` screen pixels from `from` rightwards, as the display shows them now.
std::vector<COLORREF> ScreenPixels(POINT from, int count);
// How many pixels of two rows differ.
int Differing(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b);

// Screen rectangle of a window.
RECT WindowRect(HWND window);
POINT Centre(const RECT& r);

}  // namespace movra::bars::test
