#include "runtime/ui/simple_timer.h"

#include <map>
#include <memory>

#include "runtime/ui/forms.h"

namespace movra::ui {

// The hidden window all timers share; it lives while any timer is registered.
struct TSimpleTimerHandler {
  HWND window = nullptr;
  std::map<UINT_PTR, TSimpleTimer*> timers;
  UINT_PTR nextId = 1;
  int running = 0;

  static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);

  TSimpleTimerHandler() : window(CreateMessageWindow(L"TSimpleTimerHandler", WndProc)) {}
  ~TSimpleTimerHandler() {
    if (window) DestroyWindow(window);
  }

  UINT_PTR Register(TSimpleTimer* timer) {
    while (timers.count(nextId) || nextId == 0) ++nextId;
    UINT_PTR id = nextId++;
    timers[id] = timer;
    return id;
  }
};

namespace {

std::unique_ptr<TSimpleTimerHandler>& Handler() {
  static auto* handler = new std::unique_ptr<TSimpleTimerHandler>;
  return *handler;
}

TSimpleTimerHandler& NeedHandler() {
  if (!Handler()) Handler() = std::make_unique<TSimpleTimerHandler>();
  return *Handler();
}

}  // namespace

LRESULT CALLBACK TSimpleTimerHandler::WndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg != WM_TIMER || !Handler()) return DefWindowProcW(window, msg, wparam, lparam);
  // A message for a timer destroyed since it was queued finds nothing and is ignored.
  auto it = Handler()->timers.find(static_cast<UINT_PTR>(wparam));
  if (it == Handler()->timers.end()) return 0;
  TSimpleTimer* timer = it->second;
  try {
    if (timer->AutoDisable) timer->Stop(true);
    if (timer->handler_) timer->handler_(timer);
  } catch (...) {
    Application().HandleException(nullptr);
  }
  return 0;
}

TSimpleTimer::TSimpleTimer() : id_(NeedHandler().Register(this)) {}

TSimpleTimer::TSimpleTimer(unsigned interval, TSimpleTimerEvent handler)
    : id_(NeedHandler().Register(this)), interval_(interval), handler_(handler) {}

TSimpleTimer::~TSimpleTimer() {
  Stop(true);
  if (!Handler()) return;
  Handler()->timers.erase(id_);
  if (Handler()->timers.empty()) Handler().reset();
}

int TSimpleTimer::RegisteredCount() { return Handler() ? static_cast<int>(Handler()->timers.size()) : 0; }

int TSimpleTimer::RunningCount() { return Handler() ? Handler()->running : 0; }

void TSimpleTimer::Start() {
  if (interval_ == 0) return;
  if (running_) Stop(false);
  if (SetTimer(Handler()->window, id_, interval_, nullptr)) {
    enabled_ = true;
    running_ = true;
    ++Handler()->running;
  }
}

void TSimpleTimer::Stop(bool disable) {
  if (disable) enabled_ = false;
  if (!running_ || !Handler()) return;
  if (KillTimer(Handler()->window, id_)) {
    running_ = false;
    --Handler()->running;
  }
}

void TSimpleTimer::SetEnabled(bool enabled) {
  if (enabled)
    Start();
  else
    Stop(true);
}

void TSimpleTimer::SetInterval(unsigned interval) {
  if (interval == interval_) return;
  interval_ = interval;
  if (!enabled_) return;
  if (interval != 0)
    Start();
  else
    Stop(false);
}

void TSimpleTimer::SetOnTimer(const TSimpleTimerEvent& handler) {
  handler_ = handler;
  if (!handler) Stop(false);
}

}  // namespace movra::ui
