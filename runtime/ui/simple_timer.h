#pragma once
// A timer without a window of its own: every timer is served by one hidden window.
#include <windows.h>

#include "runtime/ui/classes.h"

namespace movra::ui {

class TSimpleTimer;
using TSimpleTimerEvent = TDelegate<TSimpleTimer*>;

class TSimpleTimer {
 public:
  TSimpleTimer();
  TSimpleTimer(unsigned interval, TSimpleTimerEvent handler);
  ~TSimpleTimer();
  TSimpleTimer(const TSimpleTimer&) = delete;
  TSimpleTimer& operator=(const TSimpleTimer&) = delete;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  unsigned Interval() const { return interval_; }
  // A running timer restarts with a new non-zero interval; 0 stops it but keeps it enabled.
  void SetInterval(unsigned interval);
  const TSimpleTimerEvent& OnTimer() const { return handler_; }
  // An empty handler stops a running timer.
  void SetOnTimer(const TSimpleTimerEvent& handler);
  // When on, the timer stops itself before each call of its handler.
  bool AutoDisable = false;
  // The platform timer identifier: a small number, looked up among the live timers.
  UINT_PTR Id() const { return id_; }

  // Timers registered and running in the process (tests and diagnostics).
  static int RegisteredCount();
  static int RunningCount();

 private:
  friend struct TSimpleTimerHandler;
  void Start();
  void Stop(bool disable);
  UINT_PTR id_;
  unsigned interval_ = 1000;
  bool enabled_ = false;
  bool running_ = false;
  TSimpleTimerEvent handler_;
};

}  // namespace movra::ui
