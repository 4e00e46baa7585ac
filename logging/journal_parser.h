#pragma once
// The parser thread: turns posted texts and errors into finished, numbered lines and hands
// them to the writer.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logging/journal_layout.h"
#include "logging/journal_messages.h"
#include "logging/journal_reports.h"
#include "logging/journal_source.h"
#include "runtime/message_thread.h"
#include "runtime/string_list.h"

namespace movra {

struct TJLNumbering {
  bool On = false;
  int Digits = 3;  // numbers up to this many digits are padded to it
  bool RightAligned = true;
};

// How error blocks look.
struct TJLErrorStyle {
  // One character: three of them open and close the title, and the separator lines above and
  // below it repeat it once per character of the title. Empty: no separator lines.
  std::string Separator;
  bool BlankLines = false;  // an empty line before and after the block
};

class TJournalParser final : public TMessageHandler {
 public:
  // The most empty lines one message may ask for.
  static constexpr intptr_t kMaxBlankLines = 1000;

  // Finished lines go to `writer`.
  explicit TJournalParser(TMessageThread& writer);

  TMessageThread& Thread() { return thread_; }

  // The settings below are made before the thread starts.
  void SetErrorStyle(const TJLErrorStyle& style);
  // Where the value tags read the time and the program's facts (tests give fixed ones).
  void SetSource(std::unique_ptr<TJournalSource> source) { source_ = std::move(source); }

  // The operations on texts run on the parser thread; each finished line is counted and, when
  // numbering is on, numbered. None of them fails on any text: what cannot be expanded is
  // written as a "#JL..." text in its place.
  TStringList ExpandText(std::string_view text);
  // One "{LNumOff}" in any of the texts keeps all their lines unnumbered.
  TStringList ExpandList(const TStringList& texts);
  TStringList BuildErrorBlock(const TJLErrMsg& error);
  // Counts the line and, when numbering is on, puts its number in front of it.
  std::string NumberLine(std::string_view line);
  int64_t LineCounter() const { return lineCounter_; }

  // Numbering that a WM_JL_CONTROL message of kind ApplyNumbering puts into effect. Waits at
  // most 50 ms for the numbering lock; false when it was not obtained.
  bool SetPendingNumbering(const TJLNumbering& numbering);

  void HandleMessage(TThreadMessage& message) override;

 private:
  struct TExpansion {
    std::vector<std::string> Lines;
    bool NumberingOff = false;
  };

  TExpansion Expand(std::string_view text);
  // Replaces a value tag by its value; layout tags stay for the layout.
  void Evaluate(TJLToken& token, std::optional<TJLLocalTime>& now, bool& numberingOff);
  std::string ParameterLines() const;
  // Counts `lines` and numbers them unless `numberingOff`.
  TStringList Finish(std::vector<std::string> lines, bool numberingOff);
  std::string NumberPrefix(int64_t number) const;
  void HandleParse(TThreadMessage& message);
  void HandleControl(TThreadMessage& message);
  void ApplyPendingNumbering();
  void PostLines(TStringList lines);

  TMessageThread& writer_;
  std::unique_ptr<TJournalSource> source_;
  TJournalReports reports_;
  int64_t lineCounter_ = 0;  // every finished line, numbered or not
  bool numberingOn_ = false;
  int numberWidth_ = 3;
  int64_t largestPadded_ = 999;
  bool rightAligned_ = true;
  std::timed_mutex numberingMutex_;  // guards pending_
  TJLNumbering pending_;
  TJLErrorStyle errorStyle_;
  std::string errorTitle_ = "    E R R O R    ";
  std::string errorSeparatorLine_;
  TMessageThread thread_{*this};  // last: ends before the state it uses goes
};

}  // namespace movra
