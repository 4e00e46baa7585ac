#pragma once
// The reports on the machine that tags ask for: operating-system version, processor, memory,
// disk space, timer resolution, a column ruler, and readings of the program's heap and of
// physical memory. The texts are built from plain records, so that their layout does not
// depend on the machine they describe.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace movra {

using TJLLines = std::vector<std::string>;

// One heap or memory reading: blocks and bytes of the heap, or total and available physical
// bytes with the memory load in percent.
struct TJLSnapshot {
  int64_t First = 0;
  int64_t Second = 0;
  int64_t Load = 0;  // 0 for the heap
  std::string Label;
};

struct TJLMemoryStatus {
  uint64_t TotalPhys = 0;
  uint64_t AvailPhys = 0;
  uint32_t Load = 0;
  uint64_t TotalPageFile = 0;
  uint64_t AvailPageFile = 0;
  uint64_t TotalVirtual = 0;
  uint64_t AvailVirtual = 0;
};

struct TJLDiskSpace {
  uint64_t FreeToUser = 0;
  uint64_t TotalToUser = 0;
  uint64_t TotalFree = 0;
};

struct TJLOsVersion {
  uint32_t Major = 0;
  uint32_t Minor = 0;
  uint32_t Build = 0;
  uint32_t PlatformId = 0;
  std::string ServicePack;
  std::string Suite;  // registry text of the product suite
  uint32_t ProductType = 1;  // 1 workstation, 2 domain controller, 3 server
};

struct TJLCpuInfo {
  uint32_t Architecture = 0;
  uint32_t OemId = 0;
  uint64_t ActiveMask = 0;
  uint32_t Processors = 0;
  uint32_t Type = 0;
  uint32_t Level = 0;
  uint32_t Revision = 0;
  uint32_t Granularity = 0;
  uint32_t PageSize = 0;
  uint64_t MinAddress = 0;
  uint64_t MaxAddress = 0;
  std::string Speed;   // registry text of "~MHz"; empty when missing
  std::string Vendor;  // registry text of "VendorIdentifier"; empty when missing
};

// Performance-counter and time-stamp-counter figures; -1 where a figure is not available.
class TQTimer {
 public:
  // Measures this machine.
  TQTimer();
  TQTimer(int64_t clockHz, int64_t frequency, int64_t cycleOverhead, int64_t counterOverhead);

  int64_t ClockHz() const { return clockHz_; }
  int64_t Frequency() const { return frequency_; }
  int64_t CycleOverhead() const { return cycleOverhead_; }
  int64_t CounterOverhead() const { return counterOverhead_; }
  bool Valid() const { return valid_; }
  // count x factor / divisor, or `count` unconverted when the timer is not valid or the
  // divisor is not known.
  double Convert(double count, double factor, int64_t divisor) const;

 private:
  int64_t clockHz_;
  int64_t frequency_;
  int64_t cycleOverhead_;
  int64_t counterOverhead_;
  bool valid_;
};

// Readings come labelled, labelled in parentheses, or as values in parentheses only.
enum class TJLReadingStyle { Labelled = 1, Parenthesised = 2, ValuesOnly = 3 };

// Decimal with thousands separators and nine decimals.
std::string FormatTimerNumber(double value);

TJLLines HeapBlock(const TJLSnapshot& heap);
std::string HeapReading(const TJLSnapshot& heap, TJLReadingStyle style);
TJLLines RamBlock(const TJLSnapshot& ram);
std::string RamReading(const TJLSnapshot& ram, TJLReadingStyle style);
// Without disk figures, the one line saying they could not be had.
TJLLines DiskBlock(const std::optional<TJLDiskSpace>& disk);
std::string DiskReading(const std::optional<TJLDiskSpace>& disk, TJLReadingStyle style);
TJLLines MemoryStatusBlock(const TJLMemoryStatus& memory, const TJLDiskSpace& disk);
TJLLines OsVersionBlock(const TJLOsVersion& version);
TJLLines CpuInfoBlock(const TJLCpuInfo& cpu);
// `tickResolution`: the smallest step of the tick count, in milliseconds.
TJLLines TimersBlock(const TQTimer& timer, int64_t tickResolution);
std::string RulerLine(int width);
std::string ScaleLine(int width);

// A first-in, first-out store of readings; empty, it reads the machine.
class THeapMonitor {
 public:
  enum class TKind : uint8_t { Heap = 0, Ram = 1 };
  explicit THeapMonitor(TKind kind) : kind_(kind) {}
  void Push(TJLSnapshot snapshot) { stored_.push_back(std::move(snapshot)); }
  void Clear() { stored_.clear(); }
  // The oldest stored reading, taken out, or a live one; throws when the machine cannot be read.
  TJLSnapshot Read();

 private:
  TKind kind_;
  std::deque<TJLSnapshot> stored_;
};

// The parser's reports and the state behind them. Each report catches its own failures and
// gives its fallback line instead.
class TJournalReports {
 public:
  // The widest ruler; wider requests are clamped.
  static constexpr int kMaxRulerWidth = 10000;

  // The lines of the whole-line report `id` (a TJLTag); none for another id.
  TJLLines Block(int32_t id);
  // The one-line reading `id`, when it is one.
  std::optional<std::string> Reading(int32_t id);

  THeapMonitor& Heap() { return heap_; }
  THeapMonitor& Ram() { return ram_; }
  // Clears the ruler lines; they are built again at the new width when next asked for.
  void SetRulerWidth(int64_t width);

 private:
  TJLLines Ruler(bool withScale);

  THeapMonitor heap_{THeapMonitor::TKind::Heap};
  THeapMonitor ram_{THeapMonitor::TKind::Ram};
  int rulerWidth_ = 80;
  std::string rulerLine_;
  std::string scaleLine_;
};

}  // namespace movra
