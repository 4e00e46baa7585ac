#pragma once
// What the value tags of logged texts read: the clock and the program's own facts.
#include <cstdint>
#include <string>
#include <vector>

namespace movra {

struct TJLLocalTime {
  uint16_t Year = 0;
  uint16_t Month = 0;
  uint16_t Day = 0;
  uint16_t Hour = 0;
  uint16_t Minute = 0;
  uint16_t Second = 0;
};

// Reads the running process and the system; tests give fixed facts instead.
class TJournalSource {
 public:
  virtual ~TJournalSource() = default;
  virtual TJLLocalTime LocalTime() const;
  // Milliseconds since the system started.
  virtual uint64_t TickCount() const;
  // The program file's full path.
  virtual std::string ProgramFile() const;
  // The program file's version as "major.minor.release.build"; "0.0.0.0" without one.
  virtual std::string ProgramVersion() const;
  // The command-line parameters, without the program.
  virtual std::vector<std::string> Parameters() const;
};

}  // namespace movra
