// The journal's lines in a real memo under Wine: order, line limit, scrolling, and shutdown
// while lines are still on their way.
#include "logging/journal_memo.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "runtime/ui/forms.h"
#include "tests/runtime/ui/ui_test_support.h"
#include "tests/support/support.h"

using namespace movra;
using movra::ui::test::PumpUntil;

namespace {

constexpr uint32_t kWait = 120000;
constexpr int kPumpLimit = 60000;

class TLogForm : public ui::TForm {
 public:
  explicit TLogForm(ui::TComponent* owner) : ui::TForm(owner) {
    BeginLoading();
    SetName("LogForm");
    SetCaption("Log");
    SetBounds(50, 50, 400, 200);
    memoLog = new ui::TMemo(this);
    memoLog->SetName("memoLog");
    memoLog->SetParent(this);
    memoLog->SetAlign(ui::TAlign::alClient);
    memoLog->SetScrollBars(ui::TScrollStyle::ssVertical);
    EndLoading();
  }
  ui::TMemo* memoLog;
};

// Lets the form's messages and the hand-overs run for a while.
void PumpFor(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

// Posts numbered lines from another thread until told to stop.
class TPoster {
 public:
  explicit TPoster(TJournal& journal)
      : thread_([this, &journal] {
          for (int i = 0; !stop_; ++i) {
            journal.Add("posted " + std::to_string(i));
            Sleep(1);
          }
        }) {}
  ~TPoster() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class JournalMemo : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = ui::MakeOwned<TLogForm>(nullptr);
    form_->Show();
    memo_ = form_->memoLog;
  }
  void TearDown() override { form_.reset(); }

  int Count() { return memo_->Lines().Count(); }
  std::string Last() { return Count() > 0 ? memo_->Lines()[Count() - 1] : std::string(); }

  movra::testing::TempDir dir_;
  // Outlives the memo, as the process-wide journal does.
  TJournal journal_{dir_.Path() + "memo.log"};
  ui::TOwned<TLogForm> form_;
  ui::TMemo* memo_ = nullptr;
};

TEST_F(JournalMemo, LinesArriveInOrderWithinTheLimit) {
  journal_.StartLogging();
  StartVisualFeedback(journal_, *memo_);
  journal_.SetMemoLineLimit(100);
  for (int i = 0; i < 150; ++i) journal_.Add("line " + std::to_string(i));
  ASSERT_TRUE(PumpUntil([&] { return Last() == "line 149"; }, kPumpLimit));
  ASSERT_EQ(Count(), 100);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(memo_->Lines()[i], "line " + std::to_string(i + 50));

  // Without a limit every line stays.
  journal_.SetMemoLineLimit(0);
  journal_.AddStrings({"list 0", "list 1", "list 2"});
  ASSERT_TRUE(PumpUntil([&] { return Last() == "list 2"; }, kPumpLimit));
  EXPECT_EQ(Count(), 103);

  // A lowered limit trims with the next message, not before.
  journal_.SetMemoLineLimit(10);
  ASSERT_TRUE(journal_.WaitWritten(kWait));
  PumpFor(200);
  EXPECT_EQ(Count(), 103);
  journal_.Add("next");
  ASSERT_TRUE(PumpUntil([&] { return Last() == "next"; }, kPumpLimit));
  EXPECT_EQ(Count(), 10);
  EXPECT_EQ(memo_->Lines()[0], "line 144");
}

TEST_F(JournalMemo, ListsScrollToTheLastLineWhenAsked) {
  journal_.StartLogging();
  StartVisualFeedback(journal_, *memo_);
  // Trimming the oldest lines leaves the memo at its top unless it is scrolled down again.
  journal_.SetMemoLineLimit(40);
  TStringList many;
  for (int i = 0; i < 60; ++i) many.Add("many " + std::to_string(i));
  journal_.AddStrings(many);
  ASSERT_TRUE(PumpUntil([&] { return Last() == "many 59"; }, kPumpLimit));
  HWND window = memo_->Handle();
  EXPECT_EQ(SendMessageW(window, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "scrolling is off";

  journal_.SetScrollToLastLine(true);
  journal_.AddStrings(many);
  journal_.AddStrings({"last"});
  ASSERT_TRUE(PumpUntil([&] { return Last() == "last"; }, kPumpLimit));
  EXPECT_GT(SendMessageW(window, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  // The start of the last line lies inside the visible part of the memo.
  const LRESULT lastStart = SendMessageW(window, EM_LINEINDEX, static_cast<WPARAM>(Count() - 1), 0);
  const LRESULT position = SendMessageW(window, EM_POSFROMCHAR, static_cast<WPARAM>(lastStart), 0);
  RECT client{};
  GetClientRect(window, &client);
  const int y = static_cast<short>(HIWORD(position));
  EXPECT_GE(y, 0);
  EXPECT_LT(y, client.bottom);
}

TEST_F(JournalMemo, StopThenDestroyTheMemoWhileLinesAreInFlight) {
  journal_.StartLogging();
  StartVisualFeedback(journal_, *memo_);
  journal_.SetScrollToLastLine(true);
  {
    TPoster poster(journal_);
    ASSERT_TRUE(PumpUntil([&] { return Count() >= 20; }, kPumpLimit));
    // Hand-overs are waiting for this thread, which stops without serving them first.
    Sleep(200);
    ASSERT_TRUE(journal_.StopVisualFeedback());
    const std::string shown = memo_->Lines().Text();
    PumpFor(300);
    EXPECT_EQ(memo_->Lines().Text(), shown) << "a line reached the memo after the stop";
    form_.reset();
    PumpFor(300);
  }
  ASSERT_TRUE(journal_.WaitWritten(kWait));
  journal_.Add("after the memo");
  journal_.Stop();
}

TEST_F(JournalMemo, DestroyingTheMemoWhileFedEndsTheFeedbackFirst) {
  journal_.StartLogging();
  StartVisualFeedback(journal_, *memo_);
  {
    TPoster poster(journal_);
    ASSERT_TRUE(PumpUntil([&] { return Count() >= 20; }, kPumpLimit));
    // Leave lines waiting for this thread, then take the memo away under them.
    Sleep(200);
    form_.reset();
    PumpFor(300);
  }
  // A new memo gets a new visual thread.
  form_ = ui::MakeOwned<TLogForm>(nullptr);
  form_->Show();
  memo_ = form_->memoLog;
  StartVisualFeedback(journal_, *memo_);
  StartVisualFeedback(journal_, *memo_);  // the memo's link is made once
  int links = 0;
  for (int i = 0; i < memo_->ComponentCount(); ++i) {
    links += dynamic_cast<TJournalMemo*>(memo_->Components(i)) != nullptr;
  }
  EXPECT_EQ(links, 1);
  journal_.Add("to the new memo");
  ASSERT_TRUE(PumpUntil([&] { return Last() == "to the new memo"; }, kPumpLimit));
}

}  // namespace
