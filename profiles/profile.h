#pragma once
// A profile: what to defragment (files and folders), where to put it on the disk and when to
// run it (a time of day on chosen weekdays).
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "runtime/date_time.h"
#include "runtime/string_list.h"

namespace movra {

class TXmlElement;
class TXmlNode;

enum class TProfileRunState : uint8_t { Idle = 0, Running = 1, Queued = 2 };
enum class TRunMethod : uint8_t { StartOfDisk = 0, EndOfDisk = 1 };

class TProfile {
 public:
  static constexpr int kDays = 7;  // Monday .. Sunday

  // A new, empty profile with an identifier no other profile of this program has.
  TProfile();
  // A profile read from a `Profile` element; raises movra::Exception when an item of it is
  // missing or unreadable.
  static std::unique_ptr<TProfile> CreateFromNode(const TXmlNode& element);
  // The copy a run works on: the same identifier and content, idle, next run computed anew.
  static std::unique_ptr<TProfile> CreateCopy(const TProfile& source);
  TProfile(const TProfile&) = delete;
  TProfile& operator=(const TProfile&) = delete;

  int32_t Id() const { return id_; }

  const std::string& Name() const { return name_; }
  // A name of nothing but blanks and control characters becomes the translated "untitled";
  // any other is kept as given.
  void SetName(const std::string& name);

  // File and folder paths, in the user's order.
  TStringList& Files() { return files_; }
  const TStringList& Files() const { return files_; }

  TProfileRunState RunState() const { return runState_; }
  void SetRunState(TProfileRunState state) { runState_ = state; }
  TRunMethod RunMethod() const { return runMethod_; }
  void SetRunMethod(TRunMethod method) { runMethod_ = method; }

  bool SchedulerActive() const { return schedulerActive_; }
  void SetSchedulerActive(bool active) { schedulerActive_ = active; }
  // Only the time of day of the start counts.
  TDateTime Start() const { return start_; }
  void SetStart(TDateTime time);
  // Index 0 is Monday, 6 Sunday.
  bool Day(int index) const { return days_.at(static_cast<size_t>(index)); }
  void SetDay(int index, bool on);

  // The next scheduled start, 0 for none. Computed whatever SchedulerActive says: the
  // scheduler looks at that itself.
  TDateTime NextRun() const { return nextRun_; }
  // The first start strictly after `now` (or the current local time) on a chosen weekday,
  // today included.
  void ComputeNextRun(TDateTime now);
  void ComputeNextRun();

  // Appends the files `path` stands for: the path itself when it is a file, every file below
  // it when it is a folder (in the order the system lists them, depth first, not entering
  // junctions or folder links), nothing when it names nothing.
  static void CollectFiles(const std::string& path, TStringList& files);

  // Defragments the entries in order with the run method: an entry that stands for two or more
  // files is laid out as one block, any other is placed by itself (the one file it holds, or
  // the entry as given, which then fails to open and is logged). Returns the status of the last
  // single placement, or -1 when there was none.
  int32_t Run();

  void WriteToNode(TXmlElement& element) const;

 private:
  void ReadFromNode(const TXmlNode& element);

  int32_t id_;
  std::string name_;
  TStringList files_;
  TProfileRunState runState_ = TProfileRunState::Idle;
  TRunMethod runMethod_ = TRunMethod::StartOfDisk;
  bool schedulerActive_ = false;
  TDateTime start_ = 0;
  std::array<bool, kDays> days_{};
  TDateTime nextRun_ = 0;
};

// A time of day as a date value on day 0.
TDateTime TimeOfDay(int hours, int minutes, int seconds = 0);
// "H:MM", hours without a leading zero, 24-hour clock, whatever the regional settings.
std::string FormatStartTime(TDateTime time);
// "H:MM" or "H:MM:SS" back to a time of day; raises movra::Exception on anything else.
TDateTime ParseStartTime(const std::string& text);

}  // namespace movra
