#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "platform/simulation_hooks.h"
#include "profiles/executor.h"
#include "runtime/exception.h"
#include "tests/engine/engine_fixture.h"

namespace movra::testing {
namespace {

namespace hooks = platform::testing;
using namespace std::chrono_literals;

// What happened, in order, from any thread.
class TEvents {
 public:
  void Add(const std::string& event) {
    std::lock_guard guard(mutex_);
    events_.push_back(event);
    changed_.notify_all();
  }
  // Waits until `event` has happened; false when it does not within a generous time.
  bool WaitFor(const std::string& event) {
    std::unique_lock guard(mutex_);
    return changed_.wait_for(guard, 60s, [&] {
      return std::find(events_.begin(), events_.end(), event) != events_.end();
    });
  }
  std::vector<std::string> All() const {
    std::lock_guard guard(mutex_);
    return events_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
};

// Holds back whoever waits on it until it is opened.
class TGate {
 public:
  void Open() {
    std::lock_guard guard(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  void Wait() {
    std::unique_lock guard(mutex_);
    changed_.wait(guard, [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

bool WaitUntil(const std::function<bool()>& condition) {
  for (int i = 0; i < 60000; ++i) {
    if (condition()) return true;
    Sleep(1);
  }
  return false;
}

// Executors run profiles on a memory volume; the first move of a run can be held back, so that
// a run is under way for as long as a test needs.
class ExecutorTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    hooks::MountMemoryVolume('M',
                             "volume\t100000\t4096\n"
                             "used\t0:100\n"
                             "file\ta.bin\t0:5000:10 10:3000:10\n"
                             "file\tb.bin\t0:6000:10 10:7000:10\n"
                             "file\tc.bin\t0:8000:10 10:9000:10\n");
    hooks::SetBeforeMove([this](char) {
      if (holdMoves_) {
        holdMoves_ = false;
        events_.Add("moving");
        gate_.Wait();
      }
    });
  }
  void TearDown() override {
    gate_.Open();
    lock_.Shutdown();
    EngineTest::TearDown();
  }

  // An executor for one file of the volume that records its callbacks under `name`.
  std::shared_ptr<TExecutor> Recorded(const std::string& name) { return Recorded(name, lock_); }
  std::shared_ptr<TExecutor> Recorded(const std::string& name, TRunLock& lock) {
    TProfile profile;
    profile.SetName(name);
    profile.Files().Add("M:\\" + name + ".bin");
    std::shared_ptr<TExecutor> executor = TExecutor::Create(profile, lock);
    executor->OnStart = [this](TExecutor& sender) {
      events_.Add("start " + sender.Profile().Name());
    };
    executor->OnFinish = [this](TExecutor& sender) {
      events_.Add("finish " + sender.Profile().Name());
    };
    return executor;
  }

  // Starts the executor and lets it run until its first move, where it is held back.
  void StartHeld(TExecutor& executor) {
    holdMoves_ = true;
    ASSERT_TRUE(executor.Start());
    ASSERT_TRUE(events_.WaitFor("moving"));
  }
  // Starts the executor behind a run that holds the lock.
  void StartWaiting(TExecutor& executor) {
    ASSERT_TRUE(executor.Start());
    ASSERT_TRUE(WaitUntil([&] { return lock_.Waiting() == 1; }));
  }

  TRunLock lock_;
  TEvents events_;
  TGate gate_;
  std::atomic<bool> holdMoves_{false};
};

TEST_F(ExecutorTest, RunsNeverOverlap) {
  std::shared_ptr<TExecutor> a = Recorded("a");
  std::shared_ptr<TExecutor> b = Recorded("b");
  ASSERT_NO_FATAL_FAILURE(StartHeld(*a));
  ASSERT_NO_FATAL_FAILURE(StartWaiting(*b));
  gate_.Open();
  ASSERT_TRUE(events_.WaitFor("finish b"));
  EXPECT_EQ(events_.All(),
            (std::vector<std::string>{"start a", "moving", "finish a", "start b", "finish b"}));
  EXPECT_EQ(MapOf("M:\\a.bin").size(), 1u);
  EXPECT_EQ(MapOf("M:\\b.bin").size(), 1u);
}

TEST_F(ExecutorTest, RunWorksOnItsOwnCopy) {
  std::shared_ptr<TExecutor> running = Recorded("a");
  ASSERT_NO_FATAL_FAILURE(StartHeld(*running));

  auto source = std::make_unique<TProfile>();
  source->SetName("b");
  source->Files().Add("M:\\b.bin");
  source->SetRunState(TProfileRunState::Queued);
  std::shared_ptr<TExecutor> waiting = TExecutor::Create(*source, lock_);
  const int32_t id = source->Id();
  waiting->OnFinish = [&](TExecutor& sender) {
    events_.Add("finished " + sender.Profile().Name() + " " +
                std::to_string(sender.Profile().Id() == id));
  };
  ASSERT_TRUE(waiting->Start());
  // The list's profile is changed and then deleted while its run waits.
  source->SetName("changed");
  source->Files().Clear();
  source.reset();
  gate_.Open();
  ASSERT_TRUE(events_.WaitFor("finished b 1"));
  EXPECT_EQ(MapOf("M:\\b.bin").size(), 1u);
}

TEST_F(ExecutorTest, RaisingCallbacksStillReleaseTheLock) {
  std::shared_ptr<TExecutor> a = Recorded("a");
  a->OnStart = [](TExecutor&) { throw Exception("start failed"); };
  a->OnFinish = [this](TExecutor& sender) { events_.Add("finish a: " + sender.Failure()); };
  ASSERT_TRUE(a->Start());
  ASSERT_TRUE(events_.WaitFor("finish a: start failed"));

  std::shared_ptr<TExecutor> b = Recorded("b");
  b->OnFinish = [this](TExecutor&) {
    events_.Add("finish b");
    throw std::runtime_error("finish failed");
  };
  ASSERT_TRUE(b->Start());
  ASSERT_TRUE(events_.WaitFor("finish b"));

  std::shared_ptr<TExecutor> c = Recorded("c");
  ASSERT_TRUE(c->Start());
  ASSERT_TRUE(events_.WaitFor("finish c"));
  EXPECT_EQ(events_.All(), (std::vector<std::string>{"finish a: start failed", "start b",
                                                     "finish b", "start c", "finish c"}));
  // The failed start skipped the run; the others ran.
  EXPECT_EQ(MapOf("M:\\a.bin").size(), 2u);
  EXPECT_EQ(MapOf("M:\\c.bin").size(), 1u);
}

TEST_F(ExecutorTest, OneFileExecutorPlacesTheFileAtTheStartOfTheDisk) {
  std::shared_ptr<TExecutor> executor = TExecutor::CreateForFile("M:\\c.bin", lock_);
  EXPECT_EQ(executor->Profile().RunMethod(), TRunMethod::StartOfDisk);
  EXPECT_EQ(executor->Profile().Files().Lines(), std::vector<std::string>{"M:\\c.bin"});
  executor->OnFinish = [this](TExecutor&) { events_.Add("done"); };
  ASSERT_TRUE(executor->Start());
  ASSERT_TRUE(events_.WaitFor("done"));
  const TExtentList map = MapOf("M:\\c.bin");
  ASSERT_EQ(map.size(), 1u);
  EXPECT_EQ(map[0].Lcn, 100);
  EXPECT_EQ(map[0].Length, 20);
}

TEST_F(ExecutorTest, WaitingRunsCanBeCancelled) {
  std::shared_ptr<TExecutor> a = Recorded("a");
  std::shared_ptr<TExecutor> b = Recorded("b");
  ASSERT_NO_FATAL_FAILURE(StartHeld(*a));
  ASSERT_NO_FATAL_FAILURE(StartWaiting(*b));

  EXPECT_TRUE(b->Cancel());
  EXPECT_EQ(lock_.Waiting(), 0);
  EXPECT_FALSE(a->Cancel());  // it is running
  EXPECT_FALSE(b->Start());   // a cancelled run never starts again
  gate_.Open();
  ASSERT_TRUE(lock_.Shutdown());
  EXPECT_EQ(events_.All(), (std::vector<std::string>{"start a", "moving", "finish a"}));
  EXPECT_EQ(MapOf("M:\\b.bin").size(), 2u);
}

TEST_F(ExecutorTest, ShutdownCancelsTheWaitingAndWaitsForTheRunning) {
  std::shared_ptr<TExecutor> a = Recorded("a");
  std::shared_ptr<TExecutor> b = Recorded("b");
  ASSERT_NO_FATAL_FAILURE(StartHeld(*a));
  ASSERT_NO_FATAL_FAILURE(StartWaiting(*b));
  a.reset();  // the executors keep themselves alive
  b.reset();

  std::future<bool> shutdown = std::async(std::launch::async, [this] { return lock_.Shutdown(); });
  ASSERT_TRUE(WaitUntil([&] { return lock_.Waiting() == 0; }));
  EXPECT_EQ(shutdown.wait_for(20ms), std::future_status::timeout);  // a is still running
  gate_.Open();
  EXPECT_TRUE(shutdown.get());
  // a ended with its callback before Shutdown returned; b never ran.
  EXPECT_EQ(events_.All(), (std::vector<std::string>{"start a", "moving", "finish a"}));
  EXPECT_EQ(MapOf("M:\\b.bin").size(), 2u);

  std::shared_ptr<TExecutor> late = Recorded("c");
  EXPECT_FALSE(late->Start());
  EXPECT_EQ(lock_.Waiting(), 0);
}

TEST_F(ExecutorTest, ShutdownThatTimesOutSwitchesTheCallbacksOff) {
  auto lock = std::make_unique<TRunLock>();
  std::shared_ptr<TExecutor> a = Recorded("a", *lock);
  ASSERT_NO_FATAL_FAILURE(StartHeld(*a));

  EXPECT_FALSE(lock->Shutdown(10));
  lock.reset();  // the owner may go; the run still finishes its work
  gate_.Open();
  ASSERT_TRUE(WaitUntil([&] { return MapOf("M:\\a.bin").size() == 1; }));
  ASSERT_TRUE(WaitUntil([&] { return a.use_count() == 1; }));
  EXPECT_EQ(events_.All(), (std::vector<std::string>{"start a", "moving"}));
}

}  // namespace
}  // namespace movra::testing
