// The memo feedback's threads, with a memo stand-in whose "user-interface thread" is the test's
// own: hand-overs wait until the test runs them, so lines can be held in flight at will.
#include "logging/journal_visual.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "logging/journal.h"
#include "logging/journal_messages.h"
#include "tests/support/support.h"

using namespace movra;

namespace {

constexpr uint32_t kWait = 120000;

// Calls posted for the memo's thread; run only when the test says so.
class TOwnerQueue {
 public:
  void Post(std::function<void()> call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }
  size_t Waiting() {
    std::lock_guard lock(mutex_);
    return calls_.size();
  }
  void RunAll() {
    for (;;) {
      std::function<void()> call;
      {
        std::lock_guard lock(mutex_);
        if (calls_.empty()) return;
        call = std::move(calls_.front());
        calls_.pop_front();
      }
      call();
    }
  }

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> calls_;
};

struct TAppend {
  std::vector<std::string> Lines;
  int LineLimit = 0;
  bool ScrollToEnd = false;
};

class TFakeMemo : public TJournalMemoSink {
 public:
  explicit TFakeMemo(TOwnerQueue& owner) : owner_(owner) {}
  void PostToOwner(std::function<void()> call) override { owner_.Post(std::move(call)); }
  void AppendLines(const TStringList& lines, int lineLimit, bool scrollToEnd) override {
    std::lock_guard lock(mutex_);
    appends_.push_back({lines.Lines(), lineLimit, scrollToEnd});
  }
  std::vector<TAppend> Appends() {
    std::lock_guard lock(mutex_);
    return appends_;
  }
  std::vector<std::string> Shown() {
    std::vector<std::string> shown;
    for (const TAppend& append : Appends()) {
      shown.insert(shown.end(), append.Lines.begin(), append.Lines.end());
    }
    return shown;
  }

 private:
  TOwnerQueue& owner_;
  std::mutex mutex_;
  std::vector<TAppend> appends_;
};

// Waits until `done` holds, running the owner's calls meanwhile when `serve` is given; false
// after about `limitMs`.
bool WaitUntil(const std::function<bool()>& done, TOwnerQueue* serve, int limitMs = 60000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    if (serve) serve->RunAll();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

bool ServeUntil(TOwnerQueue& owner, const std::function<bool()>& done, int limitMs = 60000) {
  return WaitUntil(done, &owner, limitMs);
}

// Until the visual thread has a hand-over waiting for the owner, which does not serve it.
bool HandOverWaiting(TOwnerQueue& owner) {
  return WaitUntil([&] { return owner.Waiting() > 0; }, nullptr);
}

std::vector<std::string> Numbered(const std::string& prefix, int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(prefix + std::to_string(i));
  return lines;
}

class MemoFeedback : public ::testing::Test {
 protected:
  void SetUp() override { path_ = dir_.Path() + "memo.log"; }

  movra::testing::TempDir dir_;
  std::string path_;
  TOwnerQueue owner_;
  TFakeMemo memo_{owner_};
};

TEST_F(MemoFeedback, ABacklogGoesOverInOneCallWithTheNewestLinesInOrder) {
  TJournal journal(path_);
  journal.StartLogging();
  journal.StartVisualFeedback(memo_);
  journal.SetScrollToLastLine(true);
  journal.SetMemoLineLimit(100);
  journal.Add("first");
  // The memo's thread is busy: the visual thread waits with "first" in its hands while the
  // log runs on.
  ASSERT_TRUE(HandOverWaiting(owner_));
  std::vector<std::string> expected{"first"};
  for (int i = 0; i < 300; ++i) {
    journal.Add("single " + std::to_string(i));
    expected.push_back("single " + std::to_string(i));
    if (i % 10 == 0) {
      const std::vector<std::string> block = Numbered("block " + std::to_string(i) + ".", 3);
      TStringList list;
      for (const std::string& line : block) list.Add(line);
      journal.AddStrings(list);
      expected.insert(expected.end(), block.begin(), block.end());
    }
  }
  ASSERT_TRUE(journal.WaitWritten(kWait));
  // Every line is in the file, in order.
  TStringList written;
  written.SetText(movra::testing::ReadTextFile(path_));
  EXPECT_EQ(written.Lines(), expected);

  // Once served, the whole backlog comes in one call: only the lines the limit keeps, in order.
  ASSERT_TRUE(ServeUntil(owner_, [&] { return memo_.Appends().size() >= 2; }));
  ServeUntil(owner_, [] { return false; }, 300);
  const std::vector<TAppend> appends = memo_.Appends();
  ASSERT_EQ(appends.size(), 2u);
  EXPECT_EQ(appends[0].Lines, std::vector<std::string>{"first"});
  EXPECT_EQ(appends[1].Lines, std::vector<std::string>(expected.end() - 100, expected.end()));
  for (const TAppend& append : appends) {
    EXPECT_EQ(append.LineLimit, 100);
    EXPECT_TRUE(append.ScrollToEnd);
  }
}

TEST_F(MemoFeedback, SettingsBeforeStartAreIgnoredAndLaterOnesShowWithTheNextMessage) {
  TJournal journal(path_);
  journal.SetMemoLineLimit(5);
  journal.SetScrollToLastLine(true);
  // Attaching before logging runs: lines come once it does.
  journal.StartVisualFeedback(memo_);
  journal.StartLogging();
  journal.Add("first");
  ASSERT_TRUE(ServeUntil(owner_, [&] { return memo_.Appends().size() == 1; }));
  EXPECT_EQ(memo_.Appends()[0].LineLimit, 0);
  EXPECT_FALSE(memo_.Appends()[0].ScrollToEnd);

  journal.SetMemoLineLimit(7);
  journal.SetScrollToLastLine(true);
  journal.Add("second");
  ASSERT_TRUE(ServeUntil(owner_, [&] { return memo_.Appends().size() == 2; }));
  EXPECT_EQ(memo_.Appends()[1].LineLimit, 7);
  EXPECT_TRUE(memo_.Appends()[1].ScrollToEnd);
}

TEST_F(MemoFeedback, TheFirstMemoStaysAttached) {
  TJournal journal(path_);
  journal.StartLogging();
  journal.StartVisualFeedback(memo_);
  TOwnerQueue otherOwner;
  TFakeMemo other(otherOwner);
  journal.StartVisualFeedback(other);
  journal.Add("for the first");
  ASSERT_TRUE(ServeUntil(owner_, [&] { return !memo_.Appends().empty(); }));
  EXPECT_EQ(memo_.Shown(), std::vector<std::string>{"for the first"});
  // Ending the other memo's feedback leaves the first one fed.
  journal.EndVisualFeedback(other);
  journal.Add("still the first");
  ASSERT_TRUE(ServeUntil(owner_, [&] { return memo_.Appends().size() == 2; }));
  otherOwner.RunAll();
  EXPECT_TRUE(other.Appends().empty());
}

TEST_F(MemoFeedback, StopWhileAHandOverWaitsForTheMemoThread) {
  TJournal journal(path_);
  journal.StartLogging();
  journal.StartVisualFeedback(memo_);
  journal.Add("in flight");
  ASSERT_TRUE(HandOverWaiting(owner_));
  // The visual thread holds the feeding lock while it waits for the memo's thread, which is
  // this one; stopping must not need that thread to run first.
  EXPECT_TRUE(journal.StopVisualFeedback());
  journal.Add("after stop");
  ASSERT_TRUE(journal.WaitWritten(kWait));
  ServeUntil(owner_, [] { return false; }, 300);
  EXPECT_TRUE(memo_.Appends().empty());

  // Switched on again, new lines show; those written meanwhile do not.
  journal.StartVisualFeedback(memo_);
  journal.Add("back on");
  ASSERT_TRUE(ServeUntil(owner_, [&] { return !memo_.Appends().empty(); }));
  EXPECT_EQ(memo_.Shown(), std::vector<std::string>{"back on"});
  EXPECT_TRUE(journal.StopVisualFeedback());
  EXPECT_TRUE(journal.StopVisualFeedback()) << "stopping twice";
}

TEST_F(MemoFeedback, EndingWithLinesInFlightWaitsForNothingAndShowsNothingMore) {
  TJournal journal(path_);
  journal.StartLogging();
  journal.StartVisualFeedback(memo_);
  for (int i = 0; i < 50; ++i) journal.Add("line " + std::to_string(i));
  ASSERT_TRUE(HandOverWaiting(owner_));
  // The memo's thread never serves the waiting hand-over, and still the visual thread ends.
  journal.EndVisualFeedback(memo_);
  for (int i = 0; i < 50; ++i) journal.Add("later " + std::to_string(i));
  ASSERT_TRUE(journal.WaitWritten(kWait));
  owner_.RunAll();  // the cancelled hand-over, run after its thread has gone
  EXPECT_TRUE(memo_.Appends().empty());
  // A start after the end makes a new visual thread.
  journal.StartVisualFeedback(memo_);
  journal.Add("new thread");
  ASSERT_TRUE(ServeUntil(owner_, [&] { return !memo_.Appends().empty(); }));
  EXPECT_EQ(memo_.Shown(), std::vector<std::string>{"new thread"});
}

TEST_F(MemoFeedback, DestructionWithLinesInFlightWritesEveryLine) {
  constexpr int kCount = 2000;
  {
    TJournal journal(path_);
    journal.StartLogging();
    journal.StartVisualFeedback(memo_);
    for (int i = 0; i < kCount; ++i) journal.Add("line " + std::to_string(i));
    ASSERT_TRUE(HandOverWaiting(owner_));
  }
  owner_.RunAll();
  EXPECT_TRUE(memo_.Appends().empty());
  HANDLE file = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const DWORD size = GetFileSize(file, nullptr);
  CloseHandle(file);
  DWORD expected = 0;
  for (int i = 0; i < kCount; ++i) expected += static_cast<DWORD>(("line " + std::to_string(i)).size() + 2);
  EXPECT_EQ(size, expected);
}

TEST_F(MemoFeedback, NothingAttachesOnceTheWriterHasEnded) {
  TJournal journal(path_);
  journal.StartLogging();
  journal.Stop();
  journal.StartVisualFeedback(memo_);
  journal.Add("dropped");
  ServeUntil(owner_, [] { return false; }, 200);
  EXPECT_TRUE(memo_.Appends().empty());
  EXPECT_TRUE(journal.StopVisualFeedback());
}

// The visual thread on its own: what it makes of the writer's two kinds of message.
TEST(JournalVisual, LineEndsGoAndOnlyListsScroll) {
  TOwnerQueue owner;
  TFakeMemo memo(owner);
  TJournalVisual visual(memo);
  visual.SetScrollToLastLine(true);
  visual.SetLineLimit(-3);
  EXPECT_EQ(visual.LineLimit(), 0);
  visual.Thread().Start();
  EXPECT_TRUE(visual.SetFeeding(true, [] {}));
  visual.Thread().Post(WM_JL_LINE, 0, std::make_unique<TJLStringMsg>("crlf\r\n"));
  visual.Thread().Post(WM_JL_LINE, 0, std::make_unique<TJLStringMsg>("two lf\n\n"));
  visual.Thread().Post(WM_JL_LINE, 0, std::make_unique<TJLStringMsg>("three\r\r\n"));
  ASSERT_TRUE(ServeUntil(owner, [&] { return memo.Shown().size() == 3; }));
  EXPECT_EQ(memo.Shown(), (std::vector<std::string>{"crlf", "two lf", "three\r"}));
  const size_t singles = memo.Appends().size();
  for (const TAppend& append : memo.Appends()) EXPECT_FALSE(append.ScrollToEnd);
  visual.Thread().Post(WM_JL_LINES, 0,
                       std::make_unique<TJLLinesMsg>(TStringList{"a\n", "", "b", "c\r\n\r\n"}));
  ASSERT_TRUE(ServeUntil(owner, [&] { return memo.Appends().size() == singles + 1; }));
  EXPECT_EQ(memo.Appends().back().Lines, (std::vector<std::string>{"a", "", "b", "c\r\n"}));
  EXPECT_TRUE(memo.Appends().back().ScrollToEnd);

  // Fed off, messages are dropped unread.
  EXPECT_TRUE(visual.SetFeeding(false, [] {}));
  visual.Thread().Post(WM_JL_LINES, 0, std::make_unique<TJLLinesMsg>(TStringList{"off"}));
  visual.Thread().Quit();
  visual.Thread().Join();
  owner.RunAll();
  EXPECT_EQ(memo.Appends().size(), singles + 1);
}

// A failure inside the memo loses the lines for the memo only.
TEST(JournalVisual, AFailingMemoKeepsTheThreadRunning) {
  class TFailingMemo : public TFakeMemo {
   public:
    using TFakeMemo::TFakeMemo;
    void AppendLines(const TStringList& lines, int lineLimit, bool scrollToEnd) override {
      if (lines[0] == "fail") throw std::runtime_error("memo failed");
      TFakeMemo::AppendLines(lines, lineLimit, scrollToEnd);
    }
  };
  TOwnerQueue owner;
  TFailingMemo memo(owner);
  TJournalVisual visual(memo);
  visual.Thread().Start();
  visual.SetFeeding(true, [] {});
  visual.Thread().Post(WM_JL_LINES, 0, std::make_unique<TJLLinesMsg>(TStringList{"fail"}));
  ASSERT_TRUE(HandOverWaiting(owner));
  owner.RunAll();
  visual.Thread().Post(WM_JL_LINES, 0, std::make_unique<TJLLinesMsg>(TStringList{"next"}));
  ASSERT_TRUE(ServeUntil(owner, [&] { return !memo.Appends().empty(); }));
  EXPECT_EQ(memo.Shown(), std::vector<std::string>{"next"});
  EXPECT_TRUE(visual.Thread().Running());
}

}  // namespace
