#pragma once
// A worker thread with its own unbounded in-process message queue. Unlike the system's thread
// queue, which drops messages once it is full, a post that is accepted is never lost: the
// owner thread takes every waiting message on each turn, in posting order.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <typeinfo>

namespace movra {

// Objects carried by thread messages derive from this. A posted object belongs to the thread
// that receives it; it is freed with the message unless that thread passes it on.
class TMessagePayload {
 public:
  virtual ~TMessagePayload() = default;
};

struct TThreadMessage {
  uint32_t Msg = 0;
  uintptr_t WParam = 0;
  intptr_t LParam = 0;  // plain numbers; objects travel in `Object`
  std::unique_ptr<TMessagePayload> Object;
};

// The object of `message` as a T; throws when it carries none or another kind.
template <class T>
T& PayloadOf(TThreadMessage& message) {
  T* object = dynamic_cast<T*>(message.Object.get());
  if (!object) throw std::bad_cast();
  return *object;
}

// What runs on the thread. An exception from any of the first three ends the thread.
class TMessageHandler {
 public:
  virtual ~TMessageHandler() = default;
  // First step on the new thread; false ends the thread at once.
  virtual bool BeginThread() { return true; }
  virtual void HandleMessage(TThreadMessage& message) = 0;
  // After the messages taken on one turn have been handled.
  virtual void EndTurn() {}
  // Last step on the thread, however it ends.
  virtual void EndThread() noexcept {}
};

class TMessageThread {
 public:
  // `handler` must outlive the thread: keep the TMessageThread as the handler's last member.
  explicit TMessageThread(TMessageHandler& handler,
                          std::chrono::milliseconds idle = std::chrono::milliseconds(50));
  ~TMessageThread();  // quits and waits for the thread to end
  TMessageThread(const TMessageThread&) = delete;
  TMessageThread& operator=(const TMessageThread&) = delete;

  // Starts the thread (once); posts are taken from now on. Throws std::system_error when no
  // thread can be created.
  void Start();
  // Queues `message` and returns true, or drops it and returns false when the thread has not
  // been started or has ended. Throws only std::bad_alloc, and then queues nothing.
  bool Post(TThreadMessage message);
  bool Post(uint32_t msg, uintptr_t wParam, std::unique_ptr<TMessagePayload> object = nullptr,
            intptr_t lParam = 0);
  // Ends the thread once every message accepted before the call has been handled; later posts
  // are refused. Before Start, the thread will never run.
  void Quit() noexcept;
  // Waits until the thread has ended; returns at once when it never started.
  void Join();
  // True until the thread has ended, including before it is started.
  bool Running() const { return !ended_; }

 private:
  enum class TState { Idle, Open, Closed };

  void Body() noexcept;
  void RunLoop();
  std::list<TThreadMessage> TakeAll(bool& quit);
  void Close() noexcept;

  TMessageHandler& handler_;
  const std::chrono::milliseconds idle_;
  std::mutex mutex_;  // guards the state, the quit request and the queue
  std::condition_variable wake_;
  TState state_ = TState::Idle;
  bool quitPosted_ = false;
  std::list<TThreadMessage> queue_;
  std::atomic<bool> ended_{false};
  std::mutex joinMutex_;
  std::thread thread_;
};

}  // namespace movra
