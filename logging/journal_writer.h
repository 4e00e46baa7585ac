#pragma once
// The writer thread: appends finished lines to the log file.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/message_thread.h"

namespace movra {

// The log file's name.
struct TJLFileDef {
  std::string Folder;  // ends in a path separator, or is empty
  std::string BaseName;
  std::string Extension;

  // The program's own name with ".log", in the program's folder.
  static TJLFileDef ForProgram();
  static TJLFileDef ForFile(std::string_view path);
  std::string FileName() const { return Folder + BaseName + Extension; }
};

class TJournalWriter final : public TMessageHandler {
 public:
  explicit TJournalWriter(TJLFileDef file);
  ~TJournalWriter() override;

  TMessageThread& Thread() { return thread_; }
  const TJLFileDef& FileDef() const { return file_; }
  // Only before the thread starts.
  void SetFileDef(TJLFileDef file) { file_ = std::move(file); }
  // Cleared when the file cannot be opened or written; the thread then ends.
  bool Ready() const { return ready_; }
  // Set once the file is open.
  bool Opened() const { return opened_; }
  // Once written, lines go on to `visual` (the memo feedback); nullptr: they are freed. When
  // this returns, nothing more is handed to the thread that was set before.
  void SetForward(TMessageThread* visual);

  bool BeginThread() override;
  void HandleMessage(TThreadMessage& message) override;
  void EndTurn() override;
  void EndThread() noexcept override;

 private:
  struct THandleCloser {
    void operator()(void* handle) const noexcept;
  };

  void Flush();
  bool Forwarding();
  void KeepForVisual(TThreadMessage& message) noexcept;
  void ForwardWritten() noexcept;

  TJLFileDef file_;
  std::atomic<bool> ready_{true};
  std::atomic<bool> opened_{false};
  std::unique_ptr<void, THandleCloser> handle_;
  // Lines are gathered over a turn and written with one call.
  std::string pending_;
  // Messages whose lines are in `pending_`, to be handed on once those are in the file.
  std::vector<TThreadMessage> written_;
  std::mutex forwardMutex_;  // guards visual_
  TMessageThread* visual_ = nullptr;
  TMessageThread thread_{*this};  // last: ends before the state it uses goes
};

}  // namespace movra
