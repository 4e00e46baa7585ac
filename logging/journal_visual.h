#pragma once
// The visual thread: shows the lines the writer has written in a memo. Each turn it hands the
// lines of every message it took to the thread that owns the memo in one call, and waits until
// they are in: a log written faster than one message a turn is still shown as it is written,
// and the memo's thread is asked at most once a turn.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/message_thread.h"
#include "runtime/string_list.h"

namespace movra {

// Where the visual thread shows the log: a memo that only its own thread may touch. The logger
// knows nothing else of the user interface.
class TJournalMemoSink {
 public:
  virtual ~TJournalMemoSink() = default;
  // Called on the visual thread: has `call` run later on the memo's thread, in posting order,
  // and returns without waiting. `call` never throws.
  virtual void PostToOwner(std::function<void()> call) = 0;
  // On the memo's thread: appends `lines` in one update, deletes the oldest lines while there
  // are more than `lineLimit` (0: no limit) and, when asked, scrolls the last line into view.
  virtual void AppendLines(const TStringList& lines, int lineLimit, bool scrollToEnd) = 0;
};

class TJournalVisual final : public TMessageHandler {
 public:
  // The sink must outlive the thread, or be let go of before it goes (see Close).
  explicit TJournalVisual(TJournalMemoSink& sink);
  ~TJournalVisual() override;

  TMessageThread& Thread() { return thread_; }
  const TJournalMemoSink& Sink() const { return sink_; }

  // Switches feeding on or off and, while still holding the feeding lock, runs `alongside`
  // (the writer's forward flag changes together with feeding). Waits at most 50 ms for the
  // lock; false when it was not obtained, and then nothing changed. Switching off cancels a
  // hand-over still waiting for the memo's thread, so it succeeds even on that thread.
  bool SetFeeding(bool on, const std::function<void()>& alongside);
  bool Feeding() const { return feeding_; }
  // Cancels the hand-over in flight and refuses all later ones, whatever the feeding state:
  // from now on nothing reaches the sink and the thread never waits for the memo's thread.
  void Close();

  // Read on the memo's thread when lines are appended; a change shows with the next message.
  void SetLineLimit(int limit) { lineLimit_ = limit < 0 ? 0 : limit; }
  int LineLimit() const { return lineLimit_; }
  void SetScrollToLastLine(bool on) { scrollToLastLine_ = on; }
  bool ScrollToLastLine() const { return scrollToLastLine_; }

  void HandleMessage(TThreadMessage& message) override;
  void EndTurn() override;

 private:
  class THandover;

  void OpenGate(bool open);
  void HandOver(TStringList lines, bool scrollable);

  TJournalMemoSink& sink_;
  // Held while a message is handled, the hand-over included; guards the feeding switch.
  std::timed_mutex mutex_;
  std::atomic<bool> feeding_{false};
  std::atomic<int> lineLimit_{0};
  std::atomic<bool> scrollToLastLine_{false};
  std::mutex handoverMutex_;  // guards the gate and the hand-over in flight
  bool gateOpen_ = false;
  std::shared_ptr<THandover> current_;
  // The lines of this turn's messages, oldest first; only the visual thread touches them.
  std::vector<std::string> batch_;
  bool batchScrolls_ = false;
  TMessageThread thread_{*this};  // last: ends before the state it uses goes
};

}  // namespace movra
