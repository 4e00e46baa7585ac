#include "profiles/profile.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <random>

#include "engine/defrag.h"
#include "i18n/localizer.h"
#include "profiles/xml_document.h"
#include "runtime/exception.h"
#include "runtime/text.h"

namespace movra {
namespace {

constexpr int64_t kMsPerDay = 86400000;
constexpr uint32_t kIdRange = 0x7FFFFFFF;  // identifiers are 0 .. 0x7FFFFFFE

// Identifiers start at a random point and count on from there, so that no two profiles of one
// program share one while they still look arbitrary across runs.
int32_t NextProfileId() {
  static std::atomic<uint32_t> next{std::random_device()() % kIdRange};
  return static_cast<int32_t>(next.fetch_add(1) % kIdRange);
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

int64_t ToMilliseconds(TDateTime value) { return std::llround(value * kMsPerDay); }

// The time of day of a date value, in milliseconds since midnight.
int64_t MillisecondsOfDay(TDateTime value) {
  const int64_t ms = ToMilliseconds(value);
  return ms - FloorDiv(ms, kMsPerDay) * kMsPerDay;
}

// 0 for Monday .. 6 for Sunday; day 0 (1899-12-30) was a Saturday.
int WeekdayIndex(int64_t day) { return static_cast<int>(((day + 5) % 7 + 7) % 7); }

bool IsBlank(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) > ' ') return false;
  }
  return true;
}

struct TFindCloser {
  void operator()(HANDLE find) const { FindClose(find); }
};

// `folder` ends with a path delimiter.
void CollectFolder(const std::string& folder, TStringList& files) {
  WIN32_FIND_DATAW entry;
  const HANDLE first = FindFirstFileW(Utf8ToWide(folder + "*.*").c_str(), &entry);
  if (first == INVALID_HANDLE_VALUE) return;
  const std::unique_ptr<void, TFindCloser> find(first);
  do {
    const std::wstring_view name(entry.cFileName);
    if (name == L"." || name == L"..") continue;
    const std::string path = folder + WideToUtf8(name);
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      files.Add(path);
    } else if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      // A junction or folder link may lead back up the tree: it is not entered.
      CollectFolder(path + "\\", files);
    }
  } while (FindNextFileW(find.get(), &entry));
}

TXmlNode Require(const std::optional<TXmlNode>& element, const char* name) {
  if (!element) throw Exception(std::string("Profile: no ") + name + " element");
  return *element;
}

std::string RequireAttribute(const TXmlNode& element, const std::string& name) {
  std::optional<std::string> value = element.Attribute(name);
  if (!value) throw Exception("Profile: no " + name + " attribute");
  return *value;
}

std::string DayAttribute(int index) { return "Day" + std::to_string(index); }

}  // namespace

TProfile::TProfile() : id_(NextProfileId()) {}

std::unique_ptr<TProfile> TProfile::CreateFromNode(const TXmlNode& element) {
  auto profile = std::make_unique<TProfile>();
  profile->ReadFromNode(element);
  profile->ComputeNextRun();
  return profile;
}

std::unique_ptr<TProfile> TProfile::CreateCopy(const TProfile& source) {
  auto copy = std::make_unique<TProfile>();
  copy->id_ = source.id_;
  copy->name_ = source.name_;
  copy->files_ = source.files_;
  copy->runMethod_ = source.runMethod_;
  copy->schedulerActive_ = source.schedulerActive_;
  copy->start_ = source.start_;
  copy->days_ = source.days_;
  copy->ComputeNextRun();
  return copy;
}

void TProfile::SetName(const std::string& name) {
  // Control characters cannot be stored in the settings document.
  std::string clean;
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x20) clean += c;
  }
  name_ = IsBlank(clean) ? _("untitled") : clean;
}

void TProfile::SetStart(TDateTime time) {
  start_ = time;
  ComputeNextRun();
}

void TProfile::SetDay(int index, bool on) {
  days_.at(static_cast<size_t>(index)) = on;
  ComputeNextRun();
}

void TProfile::ComputeNextRun(TDateTime now) {
  // In whole milliseconds, so that "exactly at the start time" compares as equal.
  nextRun_ = 0;
  const int64_t nowMs = ToMilliseconds(now);
  const int64_t startMs = MillisecondsOfDay(start_);
  int64_t day = FloorDiv(nowMs, kMsPerDay);
  // Eight candidates: today, then a whole week on, which reaches today's weekday again.
  for (int i = 0; i < 8; ++i, ++day) {
    if (day * kMsPerDay + startMs > nowMs && days_[static_cast<size_t>(WeekdayIndex(day))]) {
      nextRun_ = static_cast<TDateTime>(day) + static_cast<TDateTime>(startMs) / kMsPerDay;
      return;
    }
  }
}

void TProfile::ComputeNextRun() { ComputeNextRun(Now()); }

void TProfile::CollectFiles(const std::string& path, TStringList& files) {
  const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    files.Add(path);
    return;
  }
  const bool delimited = !path.empty() && (path.back() == '\\' || path.back() == '/');
  CollectFolder(delimited ? path : path + "\\", files);
}

int32_t TProfile::Run() {
  runState_ = TProfileRunState::Running;
  const bool toEnd = runMethod_ == TRunMethod::EndOfDisk;
  int32_t result = -1;
  TStringList collected;
  for (const std::string& entry : files_) {
    collected.Clear();
    CollectFiles(entry, collected);
    if (collected.Count() >= 2) {
      DefragmentList(collected, toEnd);
    } else {
      const std::string& target = collected.Count() == 1 ? collected[0] : entry;
      result = toEnd ? DefragmentFileToTail(target) : DefragmentFile(target);
    }
  }
  runState_ = TProfileRunState::Idle;
  return result;
}

void TProfile::ReadFromNode(const TXmlNode& element) {
  name_ = RequireAttribute(element, "Name");
  // Any method but 0 has always meant the end of the disk.
  runMethod_ = ParseInt(RequireAttribute(element, "RunMethod")) != 0 ? TRunMethod::EndOfDisk
                                                                     : TRunMethod::StartOfDisk;
  files_.Clear();
  for (const TXmlNode& file : Require(element.Child("Files"), "Files").Children()) {
    files_.Add(file.Text());
  }
  const TXmlNode scheduler = Require(element.Child("Scheduler"), "Scheduler");
  schedulerActive_ = ParseBool(Require(scheduler.Child("Active"), "Active").Text());
  start_ = ParseStartTime(Require(scheduler.Child("Start"), "Start").Text());
  const TXmlNode days = Require(scheduler.Child("Days"), "Days");
  for (int i = 0; i < kDays; ++i) {
    days_[static_cast<size_t>(i)] = ParseBool(RequireAttribute(days, DayAttribute(i)));
  }
}

void TProfile::WriteToNode(TXmlElement& element) const {
  element.SetAttribute("Name", name_);
  element.SetAttribute("RunMethod", std::to_string(static_cast<int>(runMethod_)));
  TXmlElement files = element.AddChild("Files");
  for (const std::string& path : files_) files.AddChild("File").SetText(path);
  TXmlElement scheduler = element.AddChild("Scheduler");
  scheduler.AddChild("Active").SetText(BoolText(schedulerActive_));
  scheduler.AddChild("Start").SetText(FormatStartTime(start_));
  TXmlElement days = scheduler.AddChild("Days");
  for (int i = 0; i < kDays; ++i)
    days.SetAttribute(DayAttribute(i), BoolText(days_[static_cast<size_t>(i)]));
}

TDateTime TimeOfDay(int hours, int minutes, int seconds) {
  return static_cast<TDateTime>((hours * 60 + minutes) * 60 + seconds) * 1000 / kMsPerDay;
}

std::string FormatStartTime(TDateTime time) {
  const int64_t minutes = MillisecondsOfDay(time) / 60000;
  const int64_t m = minutes % 60;
  return std::to_string(minutes / 60) + (m < 10 ? ":0" : ":") + std::to_string(m);
}

TDateTime ParseStartTime(const std::string& text) {
  // Hours of one or two digits, then minutes and optional seconds of two digits each.
  int fields[3] = {0, 0, 0};
  int count = 0;
  size_t begin = 0;
  bool valid = true;
  while (valid && count < 3) {
    const size_t end = std::min(text.find(':', begin), text.size());
    const std::string_view part(text.data() + begin, end - begin);
    valid = !part.empty() && part.size() <= 2 && (count == 0 || part.size() == 2);
    for (char c : part) valid = valid && c >= '0' && c <= '9';
    for (char c : part) fields[count] = fields[count] * 10 + (c - '0');
    ++count;
    if (end == text.size()) break;
    begin = end + 1;
    valid = valid && count < 3;
  }
  if (!valid || count < 2 || fields[0] > 23 || fields[1] > 59 || fields[2] > 59) {
    throw Exception("\"" + text + "\" is not a time of day");
  }
  return TimeOfDay(fields[0], fields[1], fields[2]);
}

}  // namespace movra
