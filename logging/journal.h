#pragma once
// The process-wide logger: any thread posts text; the parser and writer threads expand it and
// append it to the log file without the caller ever waiting for the disk.
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/string_list.h"

namespace movra {

class TJournal {
 public:
  // Logs to the program's own name with ".log" in the program's folder.
  TJournal();
  // Logs to `logFile` instead (tests).
  explicit TJournal(const std::string& logFile);
  ~TJournal();
  TJournal(const TJournal&) = delete;
  TJournal& operator=(const TJournal&) = delete;

  void StartLogging();
  void Add(const std::string& text);
  void AddStrings(const TStringList& lines);
  void AddException(const std::exception& error, int32_t code);
  void AddError(int32_t code);

  const TStringList& Header() const;
  const TStringList& Footer() const;

  // For tests: waits (bounded) until everything posted before the call has been written.
  bool WaitWritten(uint32_t milliseconds);
  // ... implementation details are the logger's own.
};

// The one journal of the process.
TJournal& GlobalJournal();

// `text` made literal for the tag syntax, so that it is logged exactly as it stands.
std::string JournalLiteral(std::string_view text);

}  // namespace movra
