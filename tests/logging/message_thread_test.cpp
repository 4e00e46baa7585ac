#include "runtime/message_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace movra;

namespace {

// Counts the payloads alive, to show that every message is freed whatever becomes of it.
struct Counted : TMessagePayload {
  explicit Counted(std::atomic<int>& alive) : Alive(alive) { ++Alive; }
  ~Counted() override { --Alive; }
  std::atomic<int>& Alive;
};

// Records what it is given; message 99 fails; BeginThread can be held until released.
class Recorder : public TMessageHandler {
 public:
  bool BeginThread() override {
    std::unique_lock lock(mutex_);
    released_.wait(lock, [this] { return !held_; });
    return begin_;
  }
  void HandleMessage(TThreadMessage& message) override {
    if (message.Msg == 99) throw std::runtime_error("bad message");
    std::lock_guard lock(mutex_);
    handled_.push_back(message.WParam);
    ++inTurn_;
  }
  void EndTurn() override {
    std::lock_guard lock(mutex_);
    if (inTurn_ > 0) turns_.push_back(inTurn_);
    inTurn_ = 0;
  }
  void EndThread() noexcept override { ended_ = true; }

  void Hold() { held_ = true; }
  void Release() {
    {
      std::lock_guard lock(mutex_);
      held_ = false;
    }
    released_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable released_;
  bool held_ = false;
  bool begin_ = true;
  std::vector<uintptr_t> handled_;
  std::vector<int> turns_;  // messages handled per turn that had any
  int inTurn_ = 0;
  std::atomic<bool> ended_{false};
};

TEST(MessageThread, RefusesPostsBeforeStartAndAfterQuit) {
  std::atomic<int> alive{0};
  Recorder recorder;
  {
    TMessageThread thread(recorder);
    EXPECT_TRUE(thread.Running());
    EXPECT_FALSE(thread.Post(1, 0, std::make_unique<Counted>(alive)));
    EXPECT_EQ(alive, 0);
    thread.Start();
    EXPECT_TRUE(thread.Post(1, 7, std::make_unique<Counted>(alive)));
    thread.Quit();
    EXPECT_FALSE(thread.Post(1, 8, std::make_unique<Counted>(alive)));
    thread.Join();
    EXPECT_FALSE(thread.Running());
  }
  EXPECT_EQ(recorder.handled_, std::vector<uintptr_t>{7});
  EXPECT_TRUE(recorder.ended_);
  EXPECT_EQ(alive, 0);
}

TEST(MessageThread, TakesEveryWaitingMessageInOneTurn) {
  Recorder recorder;
  recorder.Hold();
  TMessageThread thread(recorder);
  thread.Start();
  for (uintptr_t i = 0; i < 5000; ++i) ASSERT_TRUE(thread.Post(1, i));
  recorder.Release();
  thread.Quit();
  thread.Join();
  ASSERT_EQ(recorder.handled_.size(), 5000u);
  for (uintptr_t i = 0; i < 5000; ++i) ASSERT_EQ(recorder.handled_[i], i);
  EXPECT_EQ(recorder.turns_, std::vector<int>{5000});
}

TEST(MessageThread, FailureEndsTheThreadAndFreesWhatWaits) {
  std::atomic<int> alive{0};
  Recorder recorder;
  recorder.Hold();
  TMessageThread thread(recorder);
  thread.Start();
  thread.Post(1, 1, std::make_unique<Counted>(alive));
  thread.Post(99, 2, std::make_unique<Counted>(alive));
  thread.Post(1, 3, std::make_unique<Counted>(alive));
  recorder.Release();
  while (thread.Running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(thread.Post(1, 4, std::make_unique<Counted>(alive)));
  EXPECT_EQ(recorder.handled_, std::vector<uintptr_t>{1});
  EXPECT_TRUE(recorder.ended_);
  EXPECT_EQ(alive, 0);
}

TEST(MessageThread, RefusedBeginEndsTheThread) {
  Recorder recorder;
  recorder.begin_ = false;
  TMessageThread thread(recorder);
  thread.Start();
  thread.Join();
  EXPECT_FALSE(thread.Running());
  EXPECT_FALSE(thread.Post(1, 1));
  EXPECT_TRUE(recorder.ended_);
}

TEST(MessageThread, QuitBeforeStartMeansItNeverRuns) {
  Recorder recorder;
  TMessageThread thread(recorder);
  thread.Quit();
  EXPECT_FALSE(thread.Running());
  thread.Start();
  EXPECT_FALSE(thread.Post(1, 1));
  thread.Join();
  EXPECT_FALSE(recorder.ended_);
}

}  // namespace
