#include "logging/journal_reports.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "logging/journal_layout.h"
#include "logging/journal_probes.h"
#include "logging/journal_tags.h"
#include "runtime/exception.h"

namespace movra {
namespace {

const std::string kBlockRule(39, '=');
const std::string kWideRule(83, '=');
const std::string kTimersRule(108, '=');
constexpr int64_t kMegabyte = 1048576;

std::string Str(int64_t value) { return std::to_string(value); }

// Whole megabytes, rounded half away from zero.
int64_t RoundedMegabytes(int64_t bytes) {
  const int64_t whole = bytes / kMegabyte;
  const int64_t rest = bytes % kMegabyte;
  if (rest >= kMegabyte / 2) return whole + 1;
  if (rest <= -kMegabyte / 2) return whole - 1;
  return whole;
}

std::string MegabytesAndBytes(int64_t bytes) {
  return Str(RoundedMegabytes(bytes)) + " MB (" + Str(bytes) + " B)";
}

std::string Megabytes(uint64_t bytes) { return MegabytesAndBytes(static_cast<int64_t>(bytes)); }

std::string PadLeft(const std::string& text, size_t width) {
  const size_t length = TextWidth(text);
  return length >= width ? text : std::string(width - length, ' ') + text;
}

// The shortest decimal that reads back as `value` ("64", "0.5").
std::string ShortestDecimal(double value) {
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string("n/a");
}

std::string Hex8(uint64_t value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%08llX", static_cast<unsigned long long>(value));
  return buffer;
}

std::string Reading(std::string_view monitor, std::string_view names, std::string_view values,
                    const std::string& label, TJLReadingStyle style) {
  switch (style) {
    case TJLReadingStyle::Labelled:
      return std::string(monitor) + " : " + std::string(names) + label + " ;";
    case TJLReadingStyle::Parenthesised:
      return std::string(monitor) + " : (" + std::string(values) + label + ")";
    case TJLReadingStyle::ValuesOnly:
      break;
  }
  return "(" + std::string(values) + label + ")";
}

// Timer table cells: the text and one space, right-aligned in 15 characters.
const std::string kNotSignificant = "      n/s      ";
const std::string kNotAvailable = "      n/a      ";

std::string Cell(const std::string& text) { return PadLeft(text + " ", 15); }

struct TUnit {
  const char* Name;
  double Factor;
};
constexpr TUnit kUnits[] = {{"s.", 1}, {"ms", 1e3}, {"\xC2\xB5s", 1e6}, {"ns", 1e9}};

// The first unit in which `count` reads as a number of a sensible size; nanoseconds when none.
std::string BestUnit(const TQTimer& timer, int64_t count, int64_t divisor) {
  for (const TUnit& unit : kUnits) {
    const double value = timer.Convert(static_cast<double>(count), unit.Factor, divisor);
    const bool fits = value > 100 || (value > 0.1 && value < 99.9);
    if (fits || &unit == &kUnits[3]) {
      return std::string(unit.Name) + " (" + FormatTimerNumber(value) + ")";
    }
  }
  return {};
}

// The three cells of the time of one count, in ms, µs and ns.
std::string ResolutionCells(const TQTimer& timer, int64_t divisor) {
  return Cell(FormatTimerNumber(timer.Convert(1, kUnits[1].Factor, divisor))) + ":" +
         Cell(FormatTimerNumber(timer.Convert(1, kUnits[2].Factor, divisor))) + ":" +
         Cell(FormatTimerNumber(timer.Convert(1, kUnits[3].Factor, divisor)));
}

std::string CounterRow(const TQTimer& timer) {
  std::string row = "  QueryPerformanceCounter |";
  if (timer.Frequency() <= 0) {
    return row + kNotSignificant + ":" + kNotSignificant + ":" + kNotSignificant + "|" +
           kNotAvailable + ": " + kNotAvailable;
  }
  return row + ResolutionCells(timer, timer.Frequency()) + "|" +
         Cell(Str(timer.CounterOverhead()) + " units") + ": " +
         BestUnit(timer, timer.CounterOverhead(), timer.Frequency());
}

std::string CycleRow(const TQTimer& timer) {
  std::string row = "  ReaDTimeStampCounter    |";
  if (timer.ClockHz() <= 0) {
    return row + kNotAvailable + ":" + kNotAvailable + ":" + kNotAvailable + "|" + kNotAvailable +
           ": " + kNotAvailable;
  }
  row += ResolutionCells(timer, timer.ClockHz()) + "|";
  if (timer.CycleOverhead() <= 0) return row + kNotAvailable + ": " + kNotAvailable;
  return row + Cell(Str(timer.CycleOverhead()) + " cycles") + ": " +
         BestUnit(timer, timer.CycleOverhead(), timer.ClockHz());
}

std::string PlatformText(uint32_t id) {
  switch (id) {
    case 0:
      return "Win32s under Windows 3.x";
    case 1:
      return "Windows 95, Windows 98, or Windows Me.";
    case 2:
      return "Windows NT, Windows 2000, Windows XP, or Windows Server 2003 family.";
    default:
      return {};
  }
}

std::string SystemName(const TJLOsVersion& v) {
  if (v.Major == 3) return v.Minor == 51 ? "Windows NT 3.51" : "Unknown (NT 3.X ?)";
  if (v.Major == 4) {
    if (v.Minor == 0) return v.PlatformId == 2 ? "Windows NT 4.0" : "Windows 95";
    if (v.Minor == 10) return "Windows 98";
    if (v.Minor == 90) return "Windows Me";
  }
  if (v.Major == 5) {
    if (v.Minor == 0) return "Windows 2000";
    if (v.Minor == 1) return "Windows XP";
    if (v.Minor == 2) return "Windows Server 2003 family";
  }
  // The versions after the table above, each with its client and its server edition.
  const bool server = v.ProductType >= 2;
  if (v.Major == 6) {
    if (v.Minor == 0) return server ? "Windows Server 2008" : "Windows Vista";
    if (v.Minor == 1) return server ? "Windows Server 2008 R2" : "Windows 7";
    if (v.Minor == 2) return server ? "Windows Server 2012" : "Windows 8";
    if (v.Minor == 3) return server ? "Windows Server 2012 R2" : "Windows 8.1";
  }
  if (v.Major == 10 && v.Minor == 0) {
    const uint32_t build = v.Build & 0xFFFF;
    if (!server) return build >= 22000 ? "Windows 11" : "Windows 10";
    if (build >= 26100) return "Windows Server 2025";
    if (build >= 20348) return "Windows Server 2022";
    if (build >= 17763) return "Windows Server 2019";
    return "Windows Server 2016";
  }
  return {};
}

// Architecture 9 is the one this 64-bit program runs on; it reports like the 32-bit x86.
constexpr uint32_t kArchitectureAmd64 = 9;

std::string ArchitectureName(uint32_t code) {
  static const char* const kNames[] = {
      "PROCESSOR_ARCHITECTURE_INTEL", "PROCESSOR_ARCHITECTURE_MIPS",
      "PROCESSOR_ARCHITECTURE_ALPHA", "PROCESSOR_ARCHITECTURE_PPC",
      "PROCESSOR_ARCHITECTURE_SHX",   "PROCESSOR_ARCHITECTURE_ARM",
      "PROCESSOR_ARCHITECTURE_IA64",  "PROCESSOR_ARCHITECTURE_ALPHA64",
      "PROCESSOR_ARCHITECTURE_MSIL",  "PROCESSOR_ARCHITECTURE_AMD64",
  };
  return code < std::size(kNames) ? kNames[code] : "PROCESSOR_ARCHITECTURE_UNKNOWN";
}

std::string ProcessorTypeName(uint32_t type) {
  switch (type) {
    case 386:
      return "Intel 386";
    case 486:
      return "Intel 486";
    case 586:
      return "Intel Pentium";
    case 601:
      return "PPC 601";
    case 603:
      return "PPC 603";
    case 604:
      return "PPC 604";
    case 620:
      return "PPC 620";
    case 860:
      return "Intel 860";
    case 2000:
      return "MIPS R2000";
    case 3000:
      return "MIPS R3000";
    case 4000:
      return "MIPS R4000";
    case 21064:
      return "ALPHA 21064";
    default:
      return {};
  }
}

std::string LevelName(uint32_t level) {
  switch (level) {
    case 3:
      return " (Intel 80386) ";
    case 4:
      return " (Intel 80486) ";
    case 5:
      return " (Intel Pentium) ";
    default:
      return " ";
  }
}

std::string FamilyText(const TJLCpuInfo& cpu) {
  if (cpu.Architecture != 0 && cpu.Architecture != kArchitectureAmd64) return {};
  return "(x86 Family " + Str(cpu.Level) + " Model " + Str((cpu.Revision >> 8) & 0xFF) +
         " Stepping " + Str(cpu.Revision & 0xFF) + ")";
}

// What `build` gives, or `fallback` when it fails: each report answers for its own failures.
template <class TResult, class TBuild>
TResult Guarded(TResult fallback, TBuild&& build) {
  try {
    return build();
  } catch (...) {
    return fallback;
  }
}

}  // namespace

TQTimer::TQTimer(int64_t clockHz, int64_t frequency, int64_t cycleOverhead, int64_t counterOverhead)
    : clockHz_(clockHz),
      frequency_(frequency),
      cycleOverhead_(cycleOverhead),
      counterOverhead_(counterOverhead),
      valid_(cycleOverhead >= 0 && counterOverhead >= 0) {}

double TQTimer::Convert(double count, double factor, int64_t divisor) const {
  if (!valid_ || divisor <= 0) return count;
  return count * factor / static_cast<double>(divisor);
}

std::string FormatTimerNumber(double value) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.9f", value);
  std::string text = buffer;
  const size_t digitsStart = text.front() == '-' ? 1 : 0;
  size_t point = text.find('.');
  if (point == std::string::npos) return text;  // not a finite number
  while (point > digitsStart + 3) {
    point -= 3;
    text.insert(point, 1, ',');
  }
  return text;
}

TJLLines HeapBlock(const TJLSnapshot& heap) {
  return {"",
          "===========  Heap Monitor  ============" + heap.Label,
          "  AllocMemCount (Blocks) : " + Str(heap.First),
          "  AllocMemSize  (Bytes)  : " + Str(heap.Second),
          kBlockRule,
          ""};
}

std::string HeapReading(const TJLSnapshot& heap, TJLReadingStyle style) {
  return Reading("[Heap monitor]", "Blocks=" + Str(heap.First) + ", Bytes=" + Str(heap.Second),
                 Str(heap.First) + ", " + Str(heap.Second), heap.Label, style);
}

TJLLines RamBlock(const TJLSnapshot& ram) {
  return {"",
          "============  RAM Monitor  ============" + ram.Label,
          "  Memory (Total) : " + MegabytesAndBytes(ram.First),
          "  Memory (Avail) : " + MegabytesAndBytes(ram.Second),
          "================(" + Str(ram.Load) + "%)==================",
          ""};
}

std::string RamReading(const TJLSnapshot& ram, TJLReadingStyle style) {
  const std::string load = Str(ram.Load) + "%";
  return Reading("[RAM  monitor]",
                 "Total=" + Str(ram.First) + ", Avail=" + Str(ram.Second) + ", Load=" + load,
                 Str(ram.First) + ", " + Str(ram.Second) + ", " + load, ram.Label, style);
}

TJLLines DiskBlock(const std::optional<TJLDiskSpace>& disk) {
  if (!disk) return {"JL:Unable to retrieve disk space values"};
  return {"",
          "============  Disk Monitor  ===========",
          "  Free avail (user) : " + Megabytes(disk->FreeToUser),
          "  Disk total (user) : " + Megabytes(disk->TotalToUser),
          "  Free total (disk) : " + Megabytes(disk->TotalFree),
          kBlockRule,
          ""};
}

std::string DiskReading(const std::optional<TJLDiskSpace>& disk, TJLReadingStyle style) {
  if (!disk) return "JL:Unable to retrieve disk space values";
  const std::string u = std::to_string(disk->FreeToUser);
  const std::string d = std::to_string(disk->TotalToUser);
  const std::string f = std::to_string(disk->TotalFree);
  return Reading("[Disk monitor]",
                 "Available to user=" + u + ", Total on disk=" + d + ", Free total on disk=" + f,
                 u + ", " + d + ", " + f, {}, style);
}

TJLLines MemoryStatusBlock(const TJLMemoryStatus& memory, const TJLDiskSpace& disk) {
  const double freePercent =
      disk.TotalToUser == 0
          ? 0.0
          : static_cast<double>(disk.FreeToUser) / static_cast<double>(disk.TotalToUser) * 100;
  char percent[64];
  std::snprintf(percent, sizeof percent, "%.2f", freePercent);
  return {"",
          "=================================  Memory status  =================================",
          "  Memory (Total)              : " + Megabytes(memory.TotalPhys),
          "  Memory (Available)          : " + Megabytes(memory.AvailPhys) +
              "  => Memory load : " + Str(memory.Load) + " %",
          "",
          "  Page(Swap)File (Total)      : " + Megabytes(memory.TotalPageFile),
          "  Page(Swap)File (Available)  : " + Megabytes(memory.AvailPageFile),
          "  Virtual Memory (Total)      : " + Megabytes(memory.TotalVirtual),
          "  Virtual Memory (Available)  : " + Megabytes(memory.AvailVirtual),
          "",
          "  Current Disk (Total)        : " + Megabytes(disk.TotalToUser),
          "  Current disk (Available)    : " + Megabytes(disk.FreeToUser) +
              "  => Free space : " + percent + " % ",
          kWideRule,
          ""};
}

TJLLines OsVersionBlock(const TJLOsVersion& version) {
  const std::string suite = version.Suite.empty() ? std::string() : "(" + version.Suite + ")";
  return {"",
          "===============================  OS version info  =================================",
          "  Platform  : " + PlatformText(version.PlatformId),
          "  OS Name   : " + SystemName(version) + " (" + version.ServicePack + ")" + suite,
          "  (Major Version[ " + Str(version.Major) + " ]  Minor Version[ " + Str(version.Minor) +
              " ] Build Number[ " + Str(version.Build & 0xFFFF) + " ]  Platform ID[ " +
              Str(version.PlatformId) + " ])",
          kWideRule,
          ""};
}

TJLLines CpuInfoBlock(const TJLCpuInfo& cpu) {
  const std::string vendor = cpu.Vendor.empty() ? std::string() : " (" + cpu.Vendor + ")";
  const std::string speed = cpu.Speed.empty() ? std::string("n/a") : cpu.Speed + " MHz";
  return {
      "",
      "==================================  CPU info  =====================================",
      "  Architecture                : " + Str(cpu.Architecture) + " (" +
          ArchitectureName(cpu.Architecture) + ")",
      "  OEM ID (vendor)             : " + Str(cpu.OemId) + vendor,
      "  Active processor mask       : " + std::to_string(cpu.ActiveMask),
      "  Number of processors        : " + Str(cpu.Processors),
      "  Processor type              : " + Str(cpu.Type) + " (" + ProcessorTypeName(cpu.Type) + ")",
      "  Processor level             : " + Str(cpu.Level) + LevelName(cpu.Level) + FamilyText(cpu),
      "  Speed (registry)            : " + speed,
      "  VMem allocation granularity : " + ShortestDecimal(cpu.Granularity / 1024.0) + " KB (" +
          Str(cpu.Granularity) + " B)",
      "  ProcessorRevision           : " + Str(cpu.Revision),
      "  Page size                   : " + Str((cpu.PageSize + 512) / 1024) + " KB (" +
          Str(cpu.PageSize) + " B)",
      "  Minimum application address : " + Hex8(cpu.MinAddress),
      "  Maximum application address : " + Hex8(cpu.MaxAddress),
      kWideRule,
      ""};
}

TJLLines TimersBlock(const TQTimer& timer, int64_t tickResolution) {
  return {
      "",
      "===========================================  Timers resolution  "
      "===========================================",
      "                          |                Min resolution                 |       Api \\ "
      "call overhead",
      "          Timers          |-----------------------------------------------|"
      "--------------------------------",
      "                          |       ms      :       \xC2\xB5s      :      ns       |     "
      "native    :    optimal    :",
      "--------------------------|-----------------------------------------------|"
      "--------------------------------",
      "  GetTickCount            |  " + Str(tickResolution) + ",---       :" + kNotSignificant +
          ":" + kNotSignificant + "|      0 ticks  : ms or s.",
      CounterRow(timer),
      CycleRow(timer),
      kTimersRule,
      PadLeft("(n/a: not available, n/s : not significant)", 108),
      PadLeft("QueryPerformanceFrequency returned : " + Str(timer.Frequency()) + " (native units)",
              108),
      PadLeft("(RDTSC min resolution from registry ; Overhead from asm call)", 108),
      kTimersRule,
      ""};
}

std::string RulerLine(int width) {
  std::string line;
  for (int i = 0; i < width / 10; ++i) line += "....|....|";
  return line;
}

std::string ScaleLine(int width) {
  // Each number starts under its bar: the step of 5 columns leaves room for one space fewer
  // with every digit a number gains.
  std::string line = "    5    ";
  for (int n = 10; n <= std::min(95, width); n += 5) line += Str(n) + "   ";
  if (width > 95) {
    for (int n = 100; n <= std::max(100, std::min(995, width)); n += 5) line += Str(n) + "  ";
  }
  if (width > 995) {
    for (int n = 1000; n <= std::max(1000, std::min(10000, width)); n += 5) line += Str(n) + " ";
  }
  return line;
}

TJLSnapshot THeapMonitor::Read() {
  if (!stored_.empty()) {
    TJLSnapshot oldest = std::move(stored_.front());
    stored_.pop_front();
    return oldest;
  }
  if (kind_ == TKind::Heap) {
    if (std::optional<TJLSnapshot> heap = ReadHeapUse()) return *heap;
    throw Exception("The heap cannot be read");
  }
  const std::optional<TJLMemoryStatus> memory = ReadMemoryStatus();
  if (!memory) throw Exception("The memory status cannot be read");
  return {static_cast<int64_t>(memory->TotalPhys),
          static_cast<int64_t>(memory->AvailPhys),
          memory->Load,
          {}};
}

void TJournalReports::SetRulerWidth(int64_t width) {
  rulerWidth_ = static_cast<int>(std::clamp<int64_t>(width, 0, kMaxRulerWidth));
  rulerLine_.clear();
  scaleLine_.clear();
}

TJLLines TJournalReports::Ruler(bool withScale) {
  if (rulerLine_.empty()) rulerLine_ = RulerLine(rulerWidth_);
  if (!withScale) return {rulerLine_};
  if (scaleLine_.empty()) scaleLine_ = ScaleLine(rulerWidth_);
  return {scaleLine_, rulerLine_};
}

TJLLines TJournalReports::Block(int32_t id) {
  const auto guarded = [](const char* fallback, auto&& build) {
    return Guarded(TJLLines{fallback}, build);
  };
  switch (static_cast<TJLTag>(id)) {
    case TJLTag::RamBlock:
      return guarded("#JLRam", [&] { return RamBlock(ram_.Read()); });
    case TJLTag::HeapBlock:
      return guarded("#JLHeap", [&] { return HeapBlock(heap_.Read()); });
    case TJLTag::DiskBlock:
      return guarded("#JLDisk", [] { return DiskBlock(ReadDiskSpace()); });
    case TJLTag::MemoryStatus:
      return guarded("#JLOSMemoryStatus", [] {
        const std::optional<TJLMemoryStatus> memory = ReadMemoryStatus();
        const std::optional<TJLDiskSpace> disk = ReadDiskSpace();
        if (!memory || !disk) throw Exception("The memory status cannot be read");
        return MemoryStatusBlock(*memory, *disk);
      });
    case TJLTag::OsVersion:
      return guarded("#JLOSVersionInfo", [] { return OsVersionBlock(ReadOsVersion()); });
    case TJLTag::CpuInfo:
      return guarded("#JLCPUInfo", [] { return CpuInfoBlock(ReadCpuInfo()); });
    case TJLTag::TimersResolution:
      return guarded("#JLTimersResolution", [] {
        const TQTimer timer;
        return TimersBlock(timer, MeasureTickResolution());
      });
    case TJLTag::Ruler:
      return guarded("#JLRuler(n/a)", [&] { return Ruler(false); });
    case TJLTag::RulerWithScale:
      return guarded("#JLRuler(n/a)", [&] { return Ruler(true); });
    default:
      return {};
  }
}

std::optional<std::string> TJournalReports::Reading(int32_t id) {
  enum class TSource { Heap, Ram, Disk };
  struct TReadingTag {
    TJLTag Tag;
    TSource Source;
    TJLReadingStyle Style;
  };
  static constexpr TReadingTag kReadings[] = {
      {TJLTag::HeapReading1, TSource::Heap, TJLReadingStyle::Labelled},
      {TJLTag::HeapReading2, TSource::Heap, TJLReadingStyle::Parenthesised},
      {TJLTag::HeapReading3, TSource::Heap, TJLReadingStyle::ValuesOnly},
      {TJLTag::RamReading1, TSource::Ram, TJLReadingStyle::Labelled},
      {TJLTag::RamReading2, TSource::Ram, TJLReadingStyle::Parenthesised},
      {TJLTag::RamReading3, TSource::Ram, TJLReadingStyle::ValuesOnly},
      {TJLTag::DiskReading1, TSource::Disk, TJLReadingStyle::Labelled},
      {TJLTag::DiskReading2, TSource::Disk, TJLReadingStyle::Parenthesised},
      {TJLTag::DiskReading3, TSource::Disk, TJLReadingStyle::ValuesOnly},
  };
  const auto found =
      std::find_if(std::begin(kReadings), std::end(kReadings),
                   [id](const TReadingTag& r) { return static_cast<int32_t>(r.Tag) == id; });
  if (found == std::end(kReadings)) return std::nullopt;
  switch (found->Source) {
    case TSource::Heap:
      return Guarded(std::string("#JLHeap"),
                     [&] { return HeapReading(heap_.Read(), found->Style); });
    case TSource::Ram:
      return Guarded(std::string("#JLRam"), [&] { return RamReading(ram_.Read(), found->Style); });
    case TSource::Disk:
      break;
  }
  return Guarded(std::string("#JLDisk"),
                 [&] { return DiskReading(ReadDiskSpace(), found->Style); });
}

}  // namespace movra
