#include "runtime/message_thread.h"

namespace movra {

TMessageThread::TMessageThread(TMessageHandler& handler, std::chrono::milliseconds idle)
    : handler_(handler), idle_(idle) {}

TMessageThread::~TMessageThread() {
  Quit();
  Join();
}

void TMessageThread::Start() {
  std::lock_guard join(joinMutex_);
  std::lock_guard lock(mutex_);
  if (state_ != TState::Idle) return;
  try {
    thread_ = std::thread([this] { Body(); });
  } catch (...) {
    state_ = TState::Closed;
    ended_ = true;
    throw;
  }
  state_ = TState::Open;
}

bool TMessageThread::Post(TThreadMessage message) {
  // The node is made before the lock is taken, so a full memory fails here with nothing queued,
  // and a refused message is freed after the lock is released.
  std::list<TThreadMessage> node;
  node.push_back(std::move(message));
  std::lock_guard lock(mutex_);
  if (state_ != TState::Open || quitPosted_) return false;
  queue_.splice(queue_.end(), node);
  return true;
}

bool TMessageThread::Post(uint32_t msg, uintptr_t wParam, std::unique_ptr<TMessagePayload> object,
                          intptr_t lParam) {
  return Post(TThreadMessage{msg, wParam, lParam, std::move(object)});
}

void TMessageThread::Quit() noexcept {
  {
    std::lock_guard lock(mutex_);
    if (state_ == TState::Idle) {
      state_ = TState::Closed;
      ended_ = true;
      return;
    }
    quitPosted_ = true;
  }
  wake_.notify_all();
}

void TMessageThread::Join() {
  std::lock_guard join(joinMutex_);
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

std::list<TThreadMessage> TMessageThread::TakeAll(bool& quit) {
  std::lock_guard lock(mutex_);
  // Posts are refused once quit is requested, so this batch holds all that came before it.
  quit = quitPosted_;
  std::list<TThreadMessage> taken;
  taken.swap(queue_);
  return taken;
}

void TMessageThread::RunLoop() {
  for (;;) {
    bool quit = false;
    std::list<TThreadMessage> batch = TakeAll(quit);
    while (!batch.empty()) {
      TThreadMessage message = std::move(batch.front());
      batch.pop_front();
      handler_.HandleMessage(message);
    }
    handler_.EndTurn();
    if (quit) return;
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, idle_, [this] { return quitPosted_; });
  }
}

void TMessageThread::Close() noexcept {
  std::list<TThreadMessage> dropped;
  {
    std::lock_guard lock(mutex_);
    state_ = TState::Closed;
    dropped.swap(queue_);
  }
}

void TMessageThread::Body() noexcept {
  try {
    if (handler_.BeginThread()) RunLoop();
  } catch (...) {
    // A failure ends the thread; what is still queued is dropped below.
  }
  Close();
  handler_.EndThread();
  ended_ = true;
}

}  // namespace movra
