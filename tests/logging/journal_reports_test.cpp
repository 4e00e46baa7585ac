// The reports on the machine: their exact texts from given figures, and their headings and
// structure as this machine gives them.
#include "logging/journal_reports.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "logging/journal_probes.h"
#include "parser_fixture.h"
#include "runtime/text.h"

using namespace movra;
using movra::testing::IdleParser;
using Lines = std::vector<std::string>;

namespace {

const std::string kWideRule(83, '=');
const std::string kBlockRule(39, '=');
const std::string kTimersRule(108, '=');
const std::string kNA = "      n/a      ";
const std::string kNS = "      n/s      ";
const std::string kMicro = "\xC2\xB5";

std::string Ruler80() {
  std::string ruler;
  for (int i = 0; i < 8; ++i) ruler += "....|....|";
  return ruler;
}

TEST(JournalReportTexts, HeapAndRamReadings) {
  const TJLSnapshot heap{12, 3456, 0, " #1"};
  EXPECT_EQ(HeapBlock(heap), (Lines{"", "===========  Heap Monitor  ============ #1",
                                    "  AllocMemCount (Blocks) : 12",
                                    "  AllocMemSize  (Bytes)  : 3456", kBlockRule, ""}));
  EXPECT_EQ(HeapReading(heap, TJLReadingStyle::Labelled),
            "[Heap monitor] : Blocks=12, Bytes=3456 #1 ;");
  EXPECT_EQ(HeapReading(heap, TJLReadingStyle::Parenthesised), "[Heap monitor] : (12, 3456 #1)");
  EXPECT_EQ(HeapReading(heap, TJLReadingStyle::ValuesOnly), "(12, 3456 #1)");

  // Beyond 4 GiB, and megabytes rounded to the nearest: 1.5 MB reads 2, 1.49 MB reads 1.
  const TJLSnapshot ram{6442450944, 1572864, 37, ""};
  EXPECT_EQ(RamBlock(ram), (Lines{"", "============  RAM Monitor  ============",
                                  "  Memory (Total) : 6144 MB (6442450944 B)",
                                  "  Memory (Avail) : 2 MB (1572864 B)",
                                  "================(37%)==================", ""}));
  EXPECT_EQ(RamBlock({1562378, 0, 0, ""})[2], "  Memory (Total) : 1 MB (1562378 B)");
  EXPECT_EQ(RamReading(ram, TJLReadingStyle::Labelled),
            "[RAM  monitor] : Total=6442450944, Avail=1572864, Load=37% ;");
  EXPECT_EQ(RamReading(ram, TJLReadingStyle::Parenthesised),
            "[RAM  monitor] : (6442450944, 1572864, 37%)");
  EXPECT_EQ(RamReading(ram, TJLReadingStyle::ValuesOnly), "(6442450944, 1572864, 37%)");
}

TEST(JournalReportTexts, DiskSpace) {
  const TJLDiskSpace disk{5368709120, 10737418240, 6442450944};
  EXPECT_EQ(DiskBlock(disk),
            (Lines{"", "============  Disk Monitor  ===========",
                   "  Free avail (user) : 5120 MB (5368709120 B)",
                   "  Disk total (user) : 10240 MB (10737418240 B)",
                   "  Free total (disk) : 6144 MB (6442450944 B)", kBlockRule, ""}));
  EXPECT_EQ(DiskReading(disk, TJLReadingStyle::Labelled),
            "[Disk monitor] : Available to user=5368709120, Total on disk=10737418240, "
            "Free total on disk=6442450944 ;");
  EXPECT_EQ(DiskReading(disk, TJLReadingStyle::Parenthesised),
            "[Disk monitor] : (5368709120, 10737418240, 6442450944)");
  EXPECT_EQ(DiskReading(disk, TJLReadingStyle::ValuesOnly),
            "(5368709120, 10737418240, 6442450944)");
  EXPECT_EQ(DiskBlock(std::nullopt), Lines{"JL:Unable to retrieve disk space values"});
  EXPECT_EQ(DiskReading(std::nullopt, TJLReadingStyle::ValuesOnly),
            "JL:Unable to retrieve disk space values");
}

TEST(JournalReportTexts, MemoryStatus) {
  const TJLMemoryStatus memory{17179869184,     8589934592,     50, 25769803776, 12884901888,
                               140737488224256, 140737462169600};
  const TJLDiskSpace disk{1073741824, 4294967296, 2147483648};
  EXPECT_EQ(
      MemoryStatusBlock(memory, disk),
      (Lines{"",
             "=================================  Memory status  =================================",
             "  Memory (Total)              : 16384 MB (17179869184 B)",
             "  Memory (Available)          : 8192 MB (8589934592 B)  => Memory load : 50 %", "",
             "  Page(Swap)File (Total)      : 24576 MB (25769803776 B)",
             "  Page(Swap)File (Available)  : 12288 MB (12884901888 B)",
             "  Virtual Memory (Total)      : 134217728 MB (140737488224256 B)",
             "  Virtual Memory (Available)  : 134217703 MB (140737462169600 B)", "",
             "  Current Disk (Total)        : 4096 MB (4294967296 B)",
             "  Current disk (Available)    : 1024 MB (1073741824 B)  => Free space : 25.00 % ",
             kWideRule, ""}));
}

TEST(JournalReportTexts, OperatingSystemVersion) {
  const TJLOsVersion xp{5, 1, 0x0A280A28, 2, "Service Pack 2", " (Terminal Server)"};
  EXPECT_EQ(
      OsVersionBlock(xp),
      (Lines{"",
             "===============================  OS version info  =================================",
             "  Platform  : Windows NT, Windows 2000, Windows XP, or Windows Server 2003 family.",
             "  OS Name   : Windows XP (Service Pack 2)( (Terminal Server))",
             "  (Major Version[ 5 ]  Minor Version[ 1 ] Build Number[ 2600 ]  Platform ID[ 2 ])",
             kWideRule, ""}));

  const auto name = [](uint32_t major, uint32_t minor, uint32_t platform) {
    return OsVersionBlock({major, minor, 0, platform, "", ""})[3];
  };
  EXPECT_EQ(name(3, 51, 2), "  OS Name   : Windows NT 3.51 ()");
  EXPECT_EQ(name(3, 50, 2), "  OS Name   : Unknown (NT 3.X ?) ()");
  EXPECT_EQ(name(4, 0, 2), "  OS Name   : Windows NT 4.0 ()");
  EXPECT_EQ(name(4, 0, 1), "  OS Name   : Windows 95 ()");
  EXPECT_EQ(name(4, 10, 1), "  OS Name   : Windows 98 ()");
  EXPECT_EQ(name(4, 90, 1), "  OS Name   : Windows Me ()");
  EXPECT_EQ(name(5, 0, 2), "  OS Name   : Windows 2000 ()");
  EXPECT_EQ(name(5, 2, 2), "  OS Name   : Windows Server 2003 family ()");
  EXPECT_EQ(name(6, 4, 2), "  OS Name   :  ()");
  EXPECT_EQ(name(7, 0, 2), "  OS Name   :  ()");
  // Later versions by edition (1 workstation, 2 domain controller, 3 server) and build.
  const auto later = [](uint32_t major, uint32_t minor, uint32_t build, uint32_t type) {
    return OsVersionBlock({major, minor, build, 2, "Service Pack 1", "", type})[3];
  };
  EXPECT_EQ(later(6, 0, 6002, 1), "  OS Name   : Windows Vista (Service Pack 1)");
  EXPECT_EQ(later(6, 0, 6002, 3), "  OS Name   : Windows Server 2008 (Service Pack 1)");
  EXPECT_EQ(later(6, 1, 7601, 1), "  OS Name   : Windows 7 (Service Pack 1)");
  EXPECT_EQ(later(6, 1, 7601, 2), "  OS Name   : Windows Server 2008 R2 (Service Pack 1)");
  EXPECT_EQ(later(6, 2, 9200, 1), "  OS Name   : Windows 8 (Service Pack 1)");
  EXPECT_EQ(later(6, 2, 9200, 3), "  OS Name   : Windows Server 2012 (Service Pack 1)");
  EXPECT_EQ(later(6, 3, 9600, 1), "  OS Name   : Windows 8.1 (Service Pack 1)");
  EXPECT_EQ(later(6, 3, 9600, 3), "  OS Name   : Windows Server 2012 R2 (Service Pack 1)");
  EXPECT_EQ(later(10, 0, 19045, 1), "  OS Name   : Windows 10 (Service Pack 1)");
  EXPECT_EQ(later(10, 0, 22631, 1), "  OS Name   : Windows 11 (Service Pack 1)");
  EXPECT_EQ(later(10, 0, 14393, 3), "  OS Name   : Windows Server 2016 (Service Pack 1)");
  EXPECT_EQ(later(10, 0, 17763, 3), "  OS Name   : Windows Server 2019 (Service Pack 1)");
  EXPECT_EQ(later(10, 0, 20348, 2), "  OS Name   : Windows Server 2022 (Service Pack 1)");
  EXPECT_EQ(later(10, 0, 26100, 3), "  OS Name   : Windows Server 2025 (Service Pack 1)");
  // The build number's high word (as the 9x family sets it) does not count.
  EXPECT_EQ(later(10, 0, 0x0A284A63, 1), "  OS Name   : Windows 10 (Service Pack 1)");
  EXPECT_EQ(OsVersionBlock({4, 0, 0, 0, "", ""})[2], "  Platform  : Win32s under Windows 3.x");
  EXPECT_EQ(OsVersionBlock({4, 10, 0, 1, "", ""})[2],
            "  Platform  : Windows 95, Windows 98, or Windows Me.");
  EXPECT_EQ(OsVersionBlock({10, 0, 0, 3, "", ""})[2], "  Platform  : ");
}

TEST(JournalReportTexts, Processor) {
  TJLCpuInfo cpu;
  cpu.Architecture = 0;
  cpu.OemId = 0;
  cpu.ActiveMask = 15;
  cpu.Processors = 4;
  cpu.Type = 586;
  cpu.Level = 6;
  cpu.Revision = 0x9E0A;
  cpu.Granularity = 65536;
  cpu.PageSize = 4096;
  cpu.MinAddress = 0x10000;
  cpu.MaxAddress = 0x7FFEFFFF;
  cpu.Speed = "3600";
  cpu.Vendor = "GenuineIntel";
  EXPECT_EQ(
      CpuInfoBlock(cpu),
      (Lines{
          "", "==================================  CPU info  =====================================",
          "  Architecture                : 0 (PROCESSOR_ARCHITECTURE_INTEL)",
          "  OEM ID (vendor)             : 0 (GenuineIntel)", "  Active processor mask       : 15",
          "  Number of processors        : 4",
          "  Processor type              : 586 (Intel Pentium)",
          "  Processor level             : 6 (x86 Family 6 Model 158 Stepping 10)",
          "  Speed (registry)            : 3600 MHz",
          "  VMem allocation granularity : 64 KB (65536 B)",
          "  ProcessorRevision           : 40458", "  Page size                   : 4 KB (4096 B)",
          "  Minimum application address : 00010000", "  Maximum application address : 7FFEFFFF",
          kWideRule, ""}));

  cpu.Type = 386;
  cpu.Level = 3;
  cpu.Speed.clear();
  cpu.Vendor.clear();
  cpu.Granularity = 1536;
  Lines lines = CpuInfoBlock(cpu);
  EXPECT_EQ(lines[3], "  OEM ID (vendor)             : 0");
  EXPECT_EQ(lines[6], "  Processor type              : 386 (Intel 386)");
  EXPECT_EQ(lines[7],
            "  Processor level             : 3 (Intel 80386) (x86 Family 3 Model 158 Stepping 10)");
  EXPECT_EQ(lines[8], "  Speed (registry)            : n/a");
  EXPECT_EQ(lines[9], "  VMem allocation granularity : 1.5 KB (1536 B)");

  cpu.Architecture = 5;
  cpu.Type = 8664;
  cpu.Level = 7;
  lines = CpuInfoBlock(cpu);
  EXPECT_EQ(lines[2], "  Architecture                : 5 (PROCESSOR_ARCHITECTURE_ARM)");
  EXPECT_EQ(lines[6], "  Processor type              : 8664 ()");
  EXPECT_EQ(lines[7], "  Processor level             : 7 ");
  cpu.Architecture = 77;
  EXPECT_EQ(CpuInfoBlock(cpu)[2],
            "  Architecture                : 77 (PROCESSOR_ARCHITECTURE_UNKNOWN)");
}

TEST(JournalReportTexts, TimerNumbers) {
  EXPECT_EQ(FormatTimerNumber(0), "0.000000000");
  EXPECT_EQ(FormatTimerNumber(100), "100.000000000");
  EXPECT_EQ(FormatTimerNumber(1234567.5), "1,234,567.500000000");
  EXPECT_EQ(FormatTimerNumber(-1234.5), "-1,234.500000000");
  EXPECT_EQ(FormatTimerNumber(-123.5), "-123.500000000");
}

Lines TimersHead() {
  return {"",
          "===========================================  Timers resolution  "
          "===========================================",
          "                          |                Min resolution                 |       Api "
          "\\ call overhead",
          "          Timers          "
          "|-----------------------------------------------|--------------------------------",
          "                          |       ms      :       " + kMicro +
              "s      :      ns       |     native    :    optimal    :",
          "--------------------------|-----------------------------------------------|-------------"
          "-------------------",
          "  GetTickCount            |  16,---       :" + kNS + ":" + kNS +
              "|      0 ticks  : ms or s."};
}

TEST(JournalReportTexts, TimersWithoutProcessorClock) {
  Lines expected = TimersHead();
  expected.insert(
      expected.end(),
      {"  QueryPerformanceCounter |   0.000100000 :   0.100000000 : 100.000000000 |       2 units "
       ": " +
           kMicro + "s (0.200000000)",
       "  ReaDTimeStampCounter    |" + kNA + ":" + kNA + ":" + kNA + "|" + kNA + ": " + kNA,
       kTimersRule, std::string(65, ' ') + "(n/a: not available, n/s : not significant)",
       std::string(48, ' ') + "QueryPerformanceFrequency returned : 10000000 (native units)",
       std::string(47, ' ') + "(RDTSC min resolution from registry ; Overhead from asm call)",
       kTimersRule, ""});
  EXPECT_EQ(TimersBlock(TQTimer(-1, 10000000, 30, 2), 16), expected);
}

TEST(JournalReportTexts, TimersWithBothCounters) {
  const Lines lines = TimersBlock(TQTimer(3600000000, 3579545, 30, 1), 16);
  ASSERT_EQ(lines.size(), 15u);
  // One count at 3.579545 MHz is 0.279 µs; 30 cycles at 3.6 GHz read best in nanoseconds.
  EXPECT_EQ(lines[7],
            "  QueryPerformanceCounter |   0.000279365 :   0.279365115 : 279.365114840 |       1 "
            "units : " +
                kMicro + "s (0.279365115)");
  EXPECT_EQ(lines[8],
            "  ReaDTimeStampCounter    |   0.000000278 :   0.000277778 :   0.277777778 |     30 "
            "cycles : ns (8.333333333)");
  // Without a time-stamp overhead the clock still gives the resolution.
  EXPECT_EQ(TimersBlock(TQTimer(3600000000, 3579545, 0, 1), 16)[8],
            "  ReaDTimeStampCounter    |   0.000000278 :   0.000277778 :   0.277777778 |" + kNA +
                ": " + kNA);
  // Without a performance counter its row is not significant.
  EXPECT_EQ(TimersBlock(TQTimer(3600000000, -1, 30, -1), 16)[7],
            "  QueryPerformanceCounter |" + kNS + ":" + kNS + ":" + kNS + "|" + kNA + ": " + kNA);
}

TEST(JournalReportTexts, Rulers) {
  EXPECT_EQ(RulerLine(80), Ruler80());
  EXPECT_EQ(RulerLine(85), Ruler80());
  EXPECT_EQ(ScaleLine(80),
            "    5    10   15   20   25   30   35   40   45   50   55   60   65   70   75   80   ");
  // On wide rulers every number still starts under its bar.
  const std::string scale = ScaleLine(1100);
  for (int n = 5; n <= 1100; n += 5) {
    const std::string number = std::to_string(n);
    ASSERT_EQ(scale.substr(static_cast<size_t>(n) - 1, number.size()), number) << n;
  }
  EXPECT_EQ(RulerLine(1100).size(), 1100u);
}

// A registry key of its own under HKEY_CURRENT_USER, removed afterwards.
class RegistryTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(key_).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &hkey_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(hkey_);
    RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(key_).c_str());
  }
  void Set(const wchar_t* name, DWORD type, const void* data, size_t size) {
    ASSERT_EQ(RegSetValueExW(hkey_, name, 0, type, static_cast<const BYTE*>(data),
                             static_cast<DWORD>(size)),
              ERROR_SUCCESS);
  }
  std::string Text(const std::string& value) {
    return RegistryText(TJLRegistryRoot::CurrentUser, key_, value);
  }

  std::string key_ = "Software\\MovraJournalTest" + std::to_string(GetCurrentProcessId());
  HKEY hkey_ = nullptr;
};

TEST_F(RegistryTextTest, EachKindOfValue) {
  const wchar_t vendor[] = L"GenuineIntel";
  Set(L"sz", REG_SZ, vendor, sizeof vendor);
  const DWORD mhz = 3600;
  Set(L"dword", REG_DWORD, &mhz, sizeof mhz);
  const DWORD minusOne = 0xFFFFFFFF;
  Set(L"negative", REG_DWORD, &minusOne, sizeof minusOne);
  const wchar_t suites[] = L"Terminal Server\0Small Business\0";
  Set(L"multi", REG_MULTI_SZ, suites, sizeof suites);
  const unsigned char bytes[] = {'A', 'B', 0, 'C', ' ', 0};
  Set(L"binary", REG_BINARY, bytes, sizeof bytes);
  const wchar_t umlaut[] = L"Gr\u00F6\u00DFe";
  Set(L"umlaut", REG_SZ, umlaut, sizeof umlaut);

  EXPECT_EQ(Text("sz"), "GenuineIntel");
  EXPECT_EQ(Text("dword"), "3600");
  EXPECT_EQ(Text("negative"), "-1");
  EXPECT_EQ(Text("multi"), " (Terminal Server  Small Business)");
  EXPECT_EQ(Text("binary"), " (AB  C)");
  EXPECT_EQ(Text("umlaut"), "Größe");
  EXPECT_EQ(Text("missing"), "");
  EXPECT_EQ(RegistryText(TJLRegistryRoot::CurrentUser, key_ + "\\none", "sz"), "");
}

// Headings and shape; the figures belong to the machine.
TEST_F(IdleParser, ReportsOfThisMachine) {
  Lines lines = Expand("{OSVI}");
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[1],
            "===============================  OS version info  =================================");
  EXPECT_EQ(lines[2].rfind("  Platform  : ", 0), 0u);
  EXPECT_EQ(lines[3].rfind("  OS Name   : ", 0), 0u);
  EXPECT_TRUE(std::regex_match(
      lines[4],
      std::regex(
          R"(  \(Major Version\[ \d+ \]  Minor Version\[ \d+ \] Build Number\[ \d+ \]  Platform ID\[ 2 \]\))")))
      << lines[4];
  EXPECT_EQ(lines[5], kWideRule);

  lines = Expand("{Disk}");
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[1], "============  Disk Monitor  ===========");
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(  Free avail \(user\) : \d+ MB \(\d+ B\))")))
      << lines[2];

  lines = Expand("{mem}");
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[1],
            "=================================  Memory status  =================================");
  EXPECT_TRUE(std::regex_match(
      lines[3],
      std::regex(R"(  Memory \(Available\)          : \d+ MB \(\d+ B\)  => Memory load : \d+ %)")))
      << lines[3];
  EXPECT_TRUE(std::regex_match(
      lines[11],
      std::regex(
          R"(  Current disk \(Available\)    : \d+ MB \(\d+ B\)  => Free space : \d+\.\d\d % )")))
      << lines[11];
  // The 64-bit status: the virtual address space of this 64-bit program is far above 4 GiB.
  const std::smatch virtualTotal = [&] {
    std::smatch match;
    std::regex_search(lines[7], match, std::regex(R"(\((\d+) B\))"));
    return match;
  }();
  ASSERT_FALSE(virtualTotal.empty());
  EXPECT_GT(std::stoull(virtualTotal[1]), 1ULL << 32);

  lines = Expand("{CPUI}");
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[1],
            "==================================  CPU info  =====================================");
  EXPECT_TRUE(
      std::regex_match(lines[12], std::regex("  Minimum application address : [0-9A-F]{8,}")))
      << lines[12];

  lines = Expand("{Timers}");
  ASSERT_EQ(lines.size(), 15u);
  const Lines head = TimersHead();
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 6), Lines(head.begin(), head.begin() + 6));
  EXPECT_TRUE(
      std::regex_match(lines[6], std::regex(R"(  GetTickCount            \|  \d+,---       :.*)")))
      << lines[6];
  EXPECT_EQ(lines[7].rfind("  QueryPerformanceCounter |", 0), 0u);
  EXPECT_EQ(lines[8].rfind("  ReaDTimeStampCounter    |", 0), 0u);
  EXPECT_EQ(lines[9], kTimersRule);
  EXPECT_EQ(lines[13], kTimersRule);

  lines = Expand("{Heap}");
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], "===========  Heap Monitor  ============");
  lines = Expand("{Ram}");
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], "============  RAM Monitor  ============");
  EXPECT_TRUE(
      std::regex_match(lines[4], std::regex(R"(================\(\d+%\)==================)")))
      << lines[4];
}

TEST_F(IdleParser, ReportTagsAfterOtherTextAreDropped) {
  EXPECT_EQ(Expand("{mem} and more {dte}").size(), 14u);
  EXPECT_EQ(Expand("before {mem}"), Lines{"before "});
  EXPECT_EQ(Expand("{dte}{OSVI}{Disk}"), Lines{"2024-02-09"});
}

TEST_F(IdleParser, OneLineReadingsStandAnywhere) {
  EXPECT_TRUE(std::regex_match(Line("a {Heap-} b"),
                               std::regex(R"(a \[Heap monitor\] : Blocks=\d+, Bytes=\d+ ; b)")));
  EXPECT_TRUE(
      std::regex_match(Line("{Ram--}"), std::regex(R"(\[RAM  monitor\] : \(\d+, \d+, \d+%\))")));
  const std::string disk = Line("{Disk---}");
  EXPECT_TRUE(std::regex_match(disk, std::regex(R"(\(\d+, \d+, \d+\))"))) << disk;
}

// The figures of a "{Heap---}" reading.
std::pair<int64_t, int64_t> HeapFigures(const std::string& reading) {
  std::smatch match;
  if (!std::regex_match(reading, match, std::regex(R"(\((\d+), (\d+)\))"))) return {-1, -1};
  return {std::stoll(match[1]), std::stoll(match[2])};
}

TEST_F(IdleParser, LiveHeapReadingCountsTheProgramsAllocations) {
  const auto before = HeapFigures(Line("{Heap---}"));
  ASSERT_GE(before.first, 0);
  std::vector<std::unique_ptr<char[]>> blocks;
  blocks.reserve(2000);
  for (int i = 0; i < 2000; ++i) blocks.push_back(std::make_unique<char[]>(100));
  const auto after = HeapFigures(Line("{Heap---}"));
  EXPECT_GE(after.first - before.first, 2000);
  EXPECT_GE(after.second - before.second, 2000 * 100);
}

TEST_F(IdleParser, MonitorsGiveStoredReadingsFirstInFirstOut) {
  Control(TJLControlKind::PushHeapSnapshot,
          std::make_unique<TJLSnapshotMsg>(TJLSnapshot{1, 2, 0, " a"}));
  Control(TJLControlKind::PushHeapSnapshot,
          std::make_unique<TJLSnapshotMsg>(TJLSnapshot{3, 4, 0, " b"}));
  Control(TJLControlKind::PushHeapSnapshot);  // without a reading: nothing stored, nothing fails
  const std::string line = Line("{Heap---}{Heap---}{Heap---}");
  EXPECT_EQ(line.rfind("(1, 2 a)(3, 4 b)(", 0), 0u) << line;
  EXPECT_NE(HeapFigures(line.substr(16)).first, -1) << "the third reading is a live one";

  Control(TJLControlKind::PushRamSnapshot,
          std::make_unique<TJLSnapshotMsg>(TJLSnapshot{10, 5, 50, " x"}));
  Control(TJLControlKind::PushRamSnapshot,
          std::make_unique<TJLSnapshotMsg>(TJLSnapshot{20, 6, 70, ""}));
  EXPECT_EQ(
      Expand("{Ram}"),
      (Lines{"", "============  RAM Monitor  ============ x", "  Memory (Total) : 0 MB (10 B)",
             "  Memory (Avail) : 0 MB (5 B)", "================(50%)==================", ""}));
  Control(TJLControlKind::ClearRamMonitor);
  EXPECT_NE(Line("{Ram---}"), "(20, 6, 70%)");

  Control(TJLControlKind::PushHeapSnapshot,
          std::make_unique<TJLSnapshotMsg>(TJLSnapshot{7, 8, 0, ""}));
  Control(TJLControlKind::ClearHeapMonitor);
  EXPECT_NE(Line("{Heap---}"), "(7, 8)");
}

TEST_F(IdleParser, HeapAndRamReportMessages) {
  writer_.Start();
  Control(TJLControlKind::PushHeapSnapshot,
          std::make_unique<TJLSnapshotMsg>(TJLSnapshot{1, 2, 0, ""}));
  Control(TJLControlKind::PushRamSnapshot,
          std::make_unique<TJLSnapshotMsg>(TJLSnapshot{3, 4, 5, ""}));
  Parse(TJLParseKind::HeapReport);
  Parse(TJLParseKind::RamReport);
  Parse(TJLParseKind::Values);  // typed values have no text here
  const Lines posted = Posted(12);
  ASSERT_EQ(posted.size(), 12u);
  EXPECT_EQ(posted[2], "  AllocMemCount (Blocks) : 1");
  EXPECT_EQ(posted[10], "================(5%)==================");
  EXPECT_EQ(parser_.LineCounter(), 12);
  writer_.Quit();
  writer_.Join();
}

TEST_F(IdleParser, RulerWidthIsBounded) {
  Control(TJLControlKind::SetRulerWidth, nullptr, 20);
  EXPECT_EQ(Expand("{Ruler+}"), (Lines{"    5    10   15   20   ", "....|....|....|....|"}));
  Control(TJLControlKind::SetRulerWidth, nullptr, intptr_t{1} << 40);
  EXPECT_EQ(Line("{Ruler}").size(), size_t{TJournalReports::kMaxRulerWidth});
  Control(TJLControlKind::SetRulerWidth, nullptr, -5);
  EXPECT_EQ(Line("{Ruler}"), "");
  Control(TJLControlKind::SetRulerWidth, nullptr, 80);
  EXPECT_EQ(Line("{Ruler}"), Ruler80());
}

}  // namespace
