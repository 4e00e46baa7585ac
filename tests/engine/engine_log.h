#pragma once
// The engine's log lines written since this object was made.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/defrag.h"
#include "logging/journal.h"
#include "runtime/string_list.h"
#include "support.h"

namespace movra::testing {

class EngineLog {
 public:
  explicit EngineLog(int level = 1) {
    SetLogLevel(level);
    GlobalJournal().WaitWritten(10000);
    skip_ = ReadLines().size();
  }
  ~EngineLog() { SetLogLevel(0); }

  std::vector<std::string> Lines() const {
    GlobalJournal().WaitWritten(10000);
    std::vector<std::string> all = ReadLines();
    return std::vector<std::string>(all.begin() + static_cast<long>(std::min(skip_, all.size())), all.end());
  }
  bool Has(const std::string& line) const {
    auto lines = Lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  bool HasPrefix(const std::string& prefix) const {
    for (const auto& line : Lines()) {
      if (line.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }

 private:
  static std::vector<std::string> ReadLines() {
    TStringList list;
    list.SetText(ReadTextFile(GlobalJournalFile()));
    return list.Lines();
  }
  size_t skip_ = 0;
};

}  // namespace movra::testing
