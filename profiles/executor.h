#pragma once
// Runs of profiles on worker threads, one at a time.
//
// The owner (the main window) keeps one TRunLock and hands it to every executor. An executor
// copies its profile, waits on a thread of its own until it holds the lock, calls OnStart,
// runs the copy, calls OnFinish and lets the lock go; it keeps itself alive until its thread
// has ended, so the caller may drop its reference once it has started it. Before the owner
// goes away it calls TRunLock::Shutdown: runs still waiting are dropped without a callback, the
// run that holds the lock is waited for (as long as the owner chooses), and no callback comes
// after that.
//
// The callbacks run on the executor's thread. They must not wait for the thread that calls
// Shutdown (post to it rather than send), or Shutdown waits for ever.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "profiles/profile.h"

namespace movra {

class TExecutor;

class TRunLock {
 public:
  TRunLock();
  // Cancels the waiting runs and switches the callbacks off, without waiting for the running
  // one: call Shutdown first to wait for it.
  ~TRunLock();
  TRunLock(const TRunLock&) = delete;
  TRunLock& operator=(const TRunLock&) = delete;

  // Executors that have been started and wait for the lock.
  int Waiting() const;

  // Cancels every run that has not taken the lock yet and refuses new ones, then waits up to
  // `milliseconds` for the run that holds the lock. True when it has ended (OnFinish
  // included). False on time-out: the run goes on and no callback of it starts any more (one
  // already under way may finish); the process must not end before the run has, so call
  // Shutdown again (a window that stays responsive meanwhile calls it with short limits
  // between its messages). Either way the lock may be destroyed afterwards.
  bool Shutdown(DWORD milliseconds = INFINITE) noexcept;

  // The state the executors share with the lock; it lives as long as any of them.
  class TShared;

 private:
  friend class TExecutor;
  std::shared_ptr<TShared> shared_;
};

class TExecutor : public std::enable_shared_from_this<TExecutor> {
 public:
  using TCallback = std::function<void(TExecutor& sender)>;

  // An executor for a copy of `source`; the source is never touched by the run.
  static std::shared_ptr<TExecutor> Create(const TProfile& source, TRunLock& lock);
  // An executor for a new profile that holds the one file; its run method stays "start of the
  // disk" unless the caller sets it on Profile() before Start.
  static std::shared_ptr<TExecutor> CreateForFile(const std::string& fileName, TRunLock& lock);
  TExecutor(const TExecutor&) = delete;
  TExecutor& operator=(const TExecutor&) = delete;

  // Set before Start. OnStart comes once the lock is held, OnFinish after the run (also after
  // a failed one) while the lock is still held. Neither is called for a cancelled run.
  TCallback OnStart;
  TCallback OnFinish;

  // The executor's own copy; change it only before Start.
  TProfile& Profile() { return *profile_; }
  const TProfile& Profile() const { return *profile_; }

  // Starts the thread, once. False when the lock is shut down or the executor was cancelled:
  // it will then never run. Raises std::system_error when no thread can be created.
  bool Start();
  // Gives up a run that has not taken the lock yet; true when it will now never run (nor call
  // back), false when it is running or has finished.
  bool Cancel();
  // Why the run failed: the text of the exception that ended it, empty when none did. Set
  // before OnFinish is called.
  const std::string& Failure() const { return failure_; }

 private:
  friend class TRunLock::TShared;
  enum class TState { Created, Queued, Running, Finished, Cancelled };

  TExecutor(std::unique_ptr<TProfile> profile, TRunLock& lock);
  void Execute() noexcept;
  void RunHeld() noexcept;

  std::unique_ptr<TProfile> profile_;
  const std::shared_ptr<TRunLock::TShared> lock_;
  TState state_ = TState::Created;  // guarded by the lock's mutex
  std::string failure_;
};

}  // namespace movra
