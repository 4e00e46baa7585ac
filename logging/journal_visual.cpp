#include "logging/journal_visual.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>

#include "logging/journal_messages.h"

namespace movra {
namespace {

constexpr std::chrono::milliseconds kFeedingWait{50};

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// A trailing CR or LF goes, and then once more.
void StripLineEnd(std::string& text) {
  for (int i = 0; i < 2 && !text.empty() && IsLineEnd(text.back()); ++i) text.pop_back();
}

}  // namespace

// One message's lines on their way to the memo's thread. The visual thread waits until they
// are in or the hand-over is cancelled; a cancelled one touches nothing when it runs, so it
// may safely outlive the visual thread and the sink in the memo thread's queue.
class TJournalVisual::THandover {
 public:
  THandover(TJournalVisual& visual, TStringList lines, bool scrollable)
      : visual_(visual), lines_(std::move(lines)), scrollable_(scrollable) {}

  // On the memo's thread.
  void Run() noexcept {
    {
      std::lock_guard lock(mutex_);
      if (state_ != TState::Pending) return;
      state_ = TState::Running;
    }
    // While it runs the visual thread waits for it, so the visual object and its sink live.
    try {
      visual_.sink_.AppendLines(lines_, visual_.LineLimit(),
                                scrollable_ && visual_.ScrollToLastLine());
    } catch (...) {
      // The lines are in the file already; only the memo misses them.
    }
    Finish();
  }

  // Any thread: a hand-over that has not started running never will.
  void Cancel() {
    std::lock_guard lock(mutex_);
    if (state_ == TState::Pending) Finish(lock);
  }

  // On the visual thread: until the lines are in or the hand-over is cancelled.
  void Wait() {
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [this] { return state_ == TState::Finished; });
  }

 private:
  enum class TState { Pending, Running, Finished };

  void Finish() {
    std::lock_guard lock(mutex_);
    Finish(lock);
  }
  void Finish(const std::lock_guard<std::mutex>&) {
    state_ = TState::Finished;
    finished_.notify_all();
  }

  TJournalVisual& visual_;
  const TStringList lines_;
  const bool scrollable_;
  std::mutex mutex_;
  std::condition_variable finished_;
  TState state_ = TState::Pending;
};

TJournalVisual::TJournalVisual(TJournalMemoSink& sink) : sink_(sink) {}

TJournalVisual::~TJournalVisual() { Close(); }

void TJournalVisual::OpenGate(bool open) {
  std::lock_guard lock(handoverMutex_);
  gateOpen_ = open;
  if (!open && current_) current_->Cancel();
}

void TJournalVisual::Close() { OpenGate(false); }

bool TJournalVisual::SetFeeding(bool on, const std::function<void()>& alongside) {
  // The visual thread holds the lock while its hand-over waits for the memo's thread, which
  // may be this one: closing the gate first makes it let go.
  if (!on) OpenGate(false);
  std::unique_lock lock(mutex_, kFeedingWait);
  if (!lock.owns_lock()) {
    if (!on) OpenGate(feeding_);
    return false;
  }
  feeding_ = on;
  alongside();
  OpenGate(on);
  return true;
}

void TJournalVisual::HandleMessage(TThreadMessage& message) {
  if (message.Msg != WM_JL_LINE && message.Msg != WM_JL_LINES) return;
  {
    std::lock_guard lock(mutex_);
    if (!feeding_) return;  // the message goes unread
  }
  if (message.Msg == WM_JL_LINE) {
    std::string line = std::move(PayloadOf<TJLStringMsg>(message).Text);
    StripLineEnd(line);
    // A single line is added without scrolling.
    batch_.push_back(std::move(line));
  } else {
    for (std::string& line : PayloadOf<TJLLinesMsg>(message).Lines) {
      StripLineEnd(line);
      batch_.push_back(std::move(line));
    }
    batchScrolls_ = true;
  }
  // Lines the memo would drop at once need not travel: a long backlog stays small.
  const size_t limit = static_cast<size_t>(LineLimit());
  if (limit > 0 && batch_.size() >= 2 * limit)
    batch_.erase(batch_.begin(), batch_.end() - static_cast<std::ptrdiff_t>(limit));
}

void TJournalVisual::EndTurn() {
  if (batch_.empty()) return;
  const size_t limit = static_cast<size_t>(LineLimit());
  const size_t first = limit > 0 && batch_.size() > limit ? batch_.size() - limit : 0;
  TStringList lines;
  for (size_t i = first; i < batch_.size(); ++i) lines.Add(std::move(batch_[i]));
  const bool scrollable = batchScrolls_;
  batch_.clear();
  batchScrolls_ = false;
  std::lock_guard lock(mutex_);
  if (feeding_) HandOver(std::move(lines), scrollable);
}

void TJournalVisual::HandOver(TStringList lines, bool scrollable) {
  auto handover = std::make_shared<THandover>(*this, std::move(lines), scrollable);
  {
    std::lock_guard lock(handoverMutex_);
    if (!gateOpen_) return;
    current_ = handover;
  }
  try {
    sink_.PostToOwner([handover] { handover->Run(); });
  } catch (...) {
    handover->Cancel();  // lost for the memo only
  }
  handover->Wait();
  std::lock_guard lock(handoverMutex_);
  current_.reset();
}

}  // namespace movra
