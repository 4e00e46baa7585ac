#pragma once
// The tag syntax of logged texts: "{name}" is a tag; "{x}" for one character x other than
// "&" and "/" stands for x itself, so "{{}" and "{}}" are literal braces; "{}" is nothing.
// Tags are told apart by an integer hash of their name, never by comparing names.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace movra {

enum class TPieceKind : uint8_t { Plain = 0, Tag = 1 };

struct TJournalPiece {
  TPieceKind Kind = TPieceKind::Plain;
  std::string Text;  // the plain text, or the tag's name

  bool operator==(const TJournalPiece&) const = default;
};

// The pieces of `text`, after one trailing line end is removed. An empty text gives one plain
// piece holding CR LF. Runs in time and memory linear in the text, whatever its braces.
std::vector<TJournalPiece> TokenizeJournalText(std::string_view text);

// The hash of a tag name: the name upper-cased (ASCII letters only), its character codes
// summed, each character at an odd position counting 256 times.
constexpr int32_t JournalTagHash(std::string_view name) {
  int32_t hash = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    int32_t c = static_cast<unsigned char>(name[i]);
    if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
    hash += i % 2 == 1 ? c * 256 : c;
  }
  return hash;
}

// The hash that selects a tag: a name starting with "@", "*" or "/" is known by that one
// character, a name ending with "@" by "@", any other name by its whole hash.
constexpr int32_t JournalTagId(std::string_view name) {
  if (name.empty()) return 0;
  const char first = name.front();
  if (first == '@' || first == '*' || first == '/') return JournalTagHash(name.substr(0, 1));
  if (name.back() == '@') return JournalTagHash("@");
  return JournalTagHash(name);
}

// The tags, by id. Any name with the same hash selects the same tag; the names given are the
// ones this system uses or documents.
enum class TJLTag : int32_t {
  Group = 38,              // "&": the pieces up to the next "{&}" are laid out as one
  Fill = 42,               // "*" N c: pads the piece before it with c to N characters
  LineBreak = 47,          // "/"
  Position = 64,           // "@" N, N "@", "@" N "@": start column, end column, centred in N
  DateTimeTicks = 18571,   // "DHG": "yyyy-mm-dd hh:mm:ss " and the tick count
  Time = 19867,            // "hms": "hh:mm:ss"
  DateTime = 20389,        // "Now": "yyyy-mm-dd hh:mm:ss "
  Date = 21641,            // "dte": "yyyy-mm-dd"
  Ticks = 21642,           // "dtf": milliseconds since the system started
  NextLineNumber = 39841,  // "LNum": the number the next finished line gets
  NumberingOff = 57910,    // "LNumOff": the text's lines are not numbered
  ProgramVersion = 62777,  // "App_ver"
  ProgramFile = 63019,     // "App_LFN": the program file's full path
  ParameterLines = 66094,  // "App_prm": one parameter a line
  Parameters = 77614,      // "App_prm-": the parameters joined by ", "
  ProgramName = 79404,     // "App_name": the program file's name
  ProgramFolder = 80181,   // "App_path": its folder, ending in a backslash
  RamReading1 = 28319,     // "Ram-", "Ram--", "Ram---": physical memory on one line
  RamReading2 = 28364,
  RamReading3 = 39884,
  DiskReading1 = 38084,  // "Disk-", "Disk--", "Disk---": disk space on one line
  DiskReading2 = 49604,
  DiskReading3 = 49649,
  HeapReading1 = 38326,  // "Heap-", "Heap--", "Heap---": the program's heap on one line
  HeapReading2 = 49846,
  HeapReading3 = 49891,
  // Whole-line tags: the report replaces the text when the tag comes first.
  RamBlock = 16799,          // "Ram"
  MemoryStatus = 17818,      // "mem"
  DiskBlock = 38039,         // "Disk"
  HeapBlock = 38281,         // "Heap"
  CpuInfo = 39320,           // "CPUI"
  Ruler = 39664,             // "Ruler"
  OsVersion = 40101,         // "OSVI"
  RulerWithScale = 50672,    // "Ruler+"
  TimersResolution = 57843,  // "Timers"
};

constexpr bool IsWholeLineTag(int32_t id) {
  switch (static_cast<TJLTag>(id)) {
    case TJLTag::RamBlock:
    case TJLTag::MemoryStatus:
    case TJLTag::DiskBlock:
    case TJLTag::HeapBlock:
    case TJLTag::CpuInfo:
    case TJLTag::Ruler:
    case TJLTag::OsVersion:
    case TJLTag::RulerWithScale:
    case TJLTag::TimersResolution:
      return true;
    default:
      return false;
  }
}

}  // namespace movra
