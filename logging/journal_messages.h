#pragma once
// The messages that pass between the logger's threads and the objects they carry. An object
// posted with a message belongs to the receiving thread.
#include <cstdint>
#include <future>
#include <string>

#include "logging/journal_reports.h"
#include "runtime/message_thread.h"
#include "runtime/string_list.h"

namespace movra {

inline constexpr uint32_t WM_JL_CONTROL = 1034;  // WParam: TJLControlKind
inline constexpr uint32_t WM_JL_PARSE = 1035;    // WParam: TJLParseKind
inline constexpr uint32_t WM_JL_LINE = 1036;     // a TJLStringMsg: one finished line
inline constexpr uint32_t WM_JL_LINES = 1037;    // a TJLLinesMsg: finished lines
// A TJLSyncMsg: passes the parser and the writer behind everything posted before it, and is
// answered once all of that is in the file.
inline constexpr uint32_t WM_JL_SYNC = 1038;

enum class TJLParseKind : uintptr_t {
  Plain = 1,       // TJLStringMsg, written as it stands
  Error = 2,       // TJLErrMsg
  BlankLines = 3,  // LParam empty lines
  Tagged = 4,      // TJLStringMsg
  TaggedList = 5,  // TJLLinesMsg
  Values = 6,
  HeapReport = 7,
  RamReport = 8,
};

enum class TJLControlKind : uintptr_t {
  ApplyNumbering = 0,
  PushHeapSnapshot = 7,
  PushRamSnapshot = 8,
  ClearHeapMonitor = 10,
  ClearRamMonitor = 11,
  SetRulerWidth = 12,
};

// One text that always ends with a line end: an empty text becomes CR LF, and CR LF is
// appended to a text whose last character is neither CR nor LF.
class TJLStringMsg : public TMessagePayload {
 public:
  explicit TJLStringMsg(std::string text);
  std::string Text;
};

// Lines without line ends.
class TJLLinesMsg : public TMessagePayload {
 public:
  TJLLinesMsg() = default;
  explicit TJLLinesMsg(TStringList lines) : Lines(std::move(lines)) {}
  TStringList Lines;
};

class TJLErrMsg : public TMessagePayload {
 public:
  TJLErrMsg(std::string message, int32_t code) : Message(std::move(message)), Code(code) {}
  std::string Message;
  int32_t Code = 0;
  bool HasArguments = false;
  std::string Location;
};

// A heap or memory reading for the monitors to give out before live ones.
class TJLSnapshotMsg : public TMessagePayload {
 public:
  explicit TJLSnapshotMsg(TJLSnapshot snapshot) : Snapshot(std::move(snapshot)) {}
  TJLSnapshot Snapshot;
};

class TJLSyncMsg : public TMessagePayload {
 public:
  // Set by the writer; broken when the message is dropped on the way.
  std::promise<void> Written;
};

}  // namespace movra
