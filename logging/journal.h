#pragma once
// The process-wide logger: any thread posts text; the parser and writer threads expand it and
// append it to the log file without the caller ever waiting for the disk.
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "runtime/string_list.h"

namespace movra {

struct TJLFileDef;
class TMessagePayload;
class TJournalParser;
class TJournalWriter;
class TJournalVisual;
class TJournalMemoSink;

class TJournal {
 public:
  // Logs to the program's own name with ".log" in the program's folder.
  TJournal();
  // Logs to `logFile` instead (tests).
  explicit TJournal(const std::string& logFile);
  ~TJournal();  // Stop()
  TJournal(const TJournal&) = delete;
  TJournal& operator=(const TJournal&) = delete;

  // Starts the threads and creates the log file (emptying an existing one); later calls do
  // nothing. Returns once the file is open, or at once when it cannot be, and logging then
  // stays off. Lines posted before the first call are dropped.
  void StartLogging() noexcept;

  // The posting operations never block on the disk, never throw, and drop the text when
  // logging is not running.
  // One text that may hold tags; a missing final line end is added, so "" is one empty line.
  void Add(const std::string& text) noexcept;
  // A copy of `lines`, each a tagged text, written as one message.
  void AddStrings(const TStringList& lines) noexcept;
  void AddException(const std::exception& error, int32_t code) noexcept;
  // The system's text for a Windows error code or NT status.
  void AddError(int32_t code) noexcept;

  // Writes every line posted before the call, then ends the threads and closes the file.
  // Later posts are dropped and logging cannot be started again. Safe to call repeatedly.
  void Stop() noexcept;

  // Memo feedback (desktop application): once written, each message's lines also go to a
  // memo, through a visual thread that has the sink append them on the memo's thread and waits
  // until they are in. Setters may be called from any thread; none of these throws.
  //
  // Attaches `sink` and switches feeding on. The first sink given stays attached until
  // EndVisualFeedback lets go of it; later calls only switch feeding on again. Does nothing
  // once the writer has ended; before logging starts it attaches, and lines follow later.
  void StartVisualFeedback(TJournalMemoSink& sink) noexcept;
  // Switches feeding off: no line reaches the sink after it returns true. False when the
  // feeding lock was not obtained within 50 ms; feeding then stays as it was. True when no
  // sink is attached.
  bool StopVisualFeedback() noexcept;
  // Whether a list of lines scrolls the memo to its last line (a single line never does).
  void SetScrollToLastLine(bool on) noexcept;
  // The most lines the memo keeps (0: all); applied when the next message arrives.
  void SetMemoLineLimit(int limit) noexcept;
  // Lets go of `sink` before it goes: switches feeding off, ends the visual thread and waits
  // for it. Nothing reaches `sink` once it returns. Does nothing for another sink.
  void EndVisualFeedback(const TJournalMemoSink& sink) noexcept;

  // Waits at most `milliseconds` until everything posted before the call is in the file.
  // False on timeout, or when logging is not running (never started, failed, or stopped).
  bool WaitWritten(uint32_t milliseconds) noexcept;

  // Logs to `logFile` instead; only before StartLogging (false after it).
  bool SetFileName(const std::string& logFile) noexcept;
  std::string FileName() const;

  // The start banner the engine posts when it starts logging, and the matching closing lines.
  const TStringList& Header() const { return header_; }
  const TStringList& Footer() const { return footer_; }

 private:
  explicit TJournal(const TJLFileDef& file);
  void PostError(const std::string& message, int32_t code) noexcept;
  bool PostParse(uintptr_t kind, std::unique_ptr<TMessagePayload> payload);
  bool StopFeedingLocked();
  void EndVisualLocked();

  // The visual thread outlives the writer, which hands lines on to it.
  std::mutex visualLock_;  // start, stop and end of the memo feedback
  std::unique_ptr<TJournalVisual> visual_;
  // The writer outlives the parser, which posts to it.
  std::unique_ptr<TJournalWriter> writer_;
  std::unique_ptr<TJournalParser> parser_;
  TStringList header_;
  TStringList footer_;
  mutable std::mutex lifecycle_;  // start, stop and the file name
  bool started_ = false;  // StartLogging has run (or Stop has, which forbids it)
  bool stopped_ = false;
};

// The one journal of the process; created at start-up and stopped at process exit, after
// every line posted until then has reached the file.
TJournal& GlobalJournal();
// Where the process-wide journal logs (tests): effective only before it starts logging.
void SetGlobalJournalFile(const std::string& logFile);
std::string GlobalJournalFile();

// `text` made literal for the tag syntax, so that it is logged exactly as it stands.
std::string JournalLiteral(std::string_view text);

}  // namespace movra
