#include "profiles/executor.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "logging/journal.h"

namespace movra {

class TRunLock::TShared {
 public:
  using TState = TExecutor::TState;

  int Waiting() const {
    std::lock_guard guard(mutex_);
    return waiting_;
  }

  bool Shutdown(DWORD milliseconds) {
    std::unique_lock guard(mutex_);
    closed_ = true;
    changed_.notify_all();
    const auto unused = [this] { return users_ == 0; };
    if (milliseconds == INFINITE) {
      changed_.wait(guard, unused);
      return true;
    }
    if (changed_.wait_for(guard, std::chrono::milliseconds(milliseconds), unused)) return true;
    // No callback starts after this. One already under way may still finish: waiting for it
    // here would break the time limit, or deadlock when it waits for the caller's thread.
    callbacksOff_ = true;
    return false;
  }

  // Queues a created executor; false when it was cancelled or the lock is shut down.
  bool Enter(TExecutor& executor) {
    std::lock_guard guard(mutex_);
    if (executor.state_ != TState::Created) return false;
    if (closed_) {
      executor.state_ = TState::Cancelled;
      return false;
    }
    executor.state_ = TState::Queued;
    ++waiting_;
    ++users_;
    return true;
  }

  bool Cancel(TExecutor& executor) {
    std::lock_guard guard(mutex_);
    switch (executor.state_) {
      case TState::Queued:
        --waiting_;
        [[fallthrough]];
      case TState::Created:
        executor.state_ = TState::Cancelled;
        changed_.notify_all();
        return true;
      case TState::Cancelled:
        return true;
      default:
        return false;
    }
  }

  // Waits until the executor holds the lock; false when it was cancelled meanwhile.
  bool Acquire(TExecutor& executor) {
    std::unique_lock guard(mutex_);
    changed_.wait(guard, [&] { return executor.state_ != TState::Queued || closed_ || !held_; });
    if (executor.state_ != TState::Queued) return false;
    --waiting_;
    if (closed_) {
      executor.state_ = TState::Cancelled;
      return false;
    }
    held_ = true;
    executor.state_ = TState::Running;
    return true;
  }

  void Release(TExecutor& executor) {
    std::lock_guard guard(mutex_);
    held_ = false;
    executor.state_ = TState::Finished;
    changed_.notify_all();
  }

  // The executor's thread is done with the lock.
  void Leave() {
    std::lock_guard guard(mutex_);
    --users_;
    changed_.notify_all();
  }

  void Call(const TExecutor::TCallback& callback, TExecutor& executor) {
    if (callback && !callbacksOff_.load()) callback(executor);
  }

 private:
  mutable std::mutex mutex_;  // guards everything below and the executors' states
  std::condition_variable changed_;
  bool held_ = false;
  bool closed_ = false;
  int waiting_ = 0;
  int users_ = 0;             // started executors whose threads have not let go of the lock yet
  std::atomic<bool> callbacksOff_{false};
};

TRunLock::TRunLock() : shared_(std::make_shared<TShared>()) {}

TRunLock::~TRunLock() { Shutdown(0); }

int TRunLock::Waiting() const { return shared_->Waiting(); }

bool TRunLock::Shutdown(DWORD milliseconds) noexcept { return shared_->Shutdown(milliseconds); }

TExecutor::TExecutor(std::unique_ptr<TProfile> profile, TRunLock& lock)
    : profile_(std::move(profile)), lock_(lock.shared_) {}

std::shared_ptr<TExecutor> TExecutor::Create(const TProfile& source, TRunLock& lock) {
  return std::shared_ptr<TExecutor>(new TExecutor(TProfile::CreateCopy(source), lock));
}

std::shared_ptr<TExecutor> TExecutor::CreateForFile(const std::string& fileName, TRunLock& lock) {
  auto profile = std::make_unique<TProfile>();
  profile->Files().Add(fileName);
  return std::shared_ptr<TExecutor>(new TExecutor(std::move(profile), lock));
}

bool TExecutor::Start() {
  if (!lock_->Enter(*this)) return false;
  try {
    // The thread keeps the executor alive until it ends.
    std::thread([self = shared_from_this()] { self->Execute(); }).detach();
  } catch (...) {
    lock_->Cancel(*this);
    lock_->Leave();
    throw;
  }
  return true;
}

bool TExecutor::Cancel() { return lock_->Cancel(*this); }

void TExecutor::Execute() noexcept {
  if (lock_->Acquire(*this)) {
    RunHeld();
    lock_->Release(*this);
  }
  lock_->Leave();
}

void TExecutor::RunHeld() noexcept {
  try {
    lock_->Call(OnStart, *this);
    profile_->Run();
  } catch (const std::exception& error) {
    failure_ = error.what();
    GlobalJournal().AddException(error, 0);
  } catch (...) {
    failure_ = "unknown exception";
  }
  try {
    lock_->Call(OnFinish, *this);
  } catch (const std::exception& error) {
    GlobalJournal().AddException(error, 0);
  } catch (...) {
    // The lock is let go all the same.
  }
}

}  // namespace movra
