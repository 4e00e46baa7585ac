#include "logging/journal_probes.h"

#include <windows.h>

#include <malloc.h>
#include <x86intrin.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "runtime/exception.h"
#include "runtime/text.h"

namespace movra {
namespace {

const char kProcessorKey[] = "Hardware\\Description\\System\\CentralProcessor\\0";

struct TKeyCloser {
  void operator()(HKEY key) const noexcept { RegCloseKey(key); }
};
using TKey = std::unique_ptr<std::remove_pointer_t<HKEY>, TKeyCloser>;

struct TRegistryValue {
  DWORD Type = REG_NONE;
  std::vector<BYTE> Data;
};

std::optional<TRegistryValue> QueryValue(TJLRegistryRoot root, const std::string& key,
                                         const std::string& value) {
  HKEY opened = nullptr;
  const HKEY base = root == TJLRegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  if (RegOpenKeyExW(base, Utf8ToWide(key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const TKey owner(opened);
  const std::wstring name = Utf8ToWide(value);
  TRegistryValue result;
  DWORD size = 0;
  if (RegQueryValueExW(opened, name.c_str(), nullptr, &result.Type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  result.Data.resize(size);
  if (RegQueryValueExW(opened, name.c_str(), nullptr, &result.Type, result.Data.data(), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  result.Data.resize(std::min<size_t>(size, result.Data.size()));
  return result;
}

std::wstring WideData(const std::vector<BYTE>& data) {
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  std::copy_n(data.data(), text.size() * sizeof(wchar_t), reinterpret_cast<BYTE*>(text.data()));
  return text;
}

// Every unit but the last, zeros as two spaces, trailing spaces removed, in " (" and ")".
template <class TText>
TText RawText(const TText& units) {
  TText text;
  for (size_t i = 0; i + 1 < units.size(); ++i) {
    if (units[i] == 0) {
      text.push_back(' ');
      text.push_back(' ');
    } else {
      text.push_back(units[i]);
    }
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::optional<int64_t> RegistryInteger(TJLRegistryRoot root, const std::string& key,
                                       const std::string& value) {
  const std::optional<TRegistryValue> found = QueryValue(root, key, value);
  if (!found || found->Type != REG_DWORD || found->Data.size() < sizeof(DWORD)) return std::nullopt;
  DWORD number = 0;
  std::copy_n(found->Data.data(), sizeof number, reinterpret_cast<BYTE*>(&number));
  return number;
}

}  // namespace

std::string RegistryText(TJLRegistryRoot root, const std::string& key, const std::string& value) {
  try {
    const std::optional<TRegistryValue> found = QueryValue(root, key, value);
    if (!found) return {};
    switch (found->Type) {
      case REG_SZ:
      case REG_EXPAND_SZ: {
        std::wstring text = WideData(found->Data);
        if (const size_t end = text.find(L'\0'); end != std::wstring::npos) text.resize(end);
        return WideToUtf8(text);
      }
      case REG_DWORD: {
        if (found->Data.size() < sizeof(DWORD)) return {};
        int32_t number = 0;
        std::copy_n(found->Data.data(), sizeof number, reinterpret_cast<BYTE*>(&number));
        return std::to_string(number);
      }
      case REG_MULTI_SZ:
        return " (" + WideToUtf8(RawText(WideData(found->Data))) + ")";
      default:
        return " (" + AnsiToUtf8(RawText(std::string(found->Data.begin(), found->Data.end()))) +
               ")";
    }
  } catch (...) {
    return {};
  }
}

std::optional<TJLMemoryStatus> ReadMemoryStatus() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
  return TJLMemoryStatus{status.ullTotalPhys,     status.ullAvailPhys,     status.dwMemoryLoad,
                         status.ullTotalPageFile, status.ullAvailPageFile, status.ullTotalVirtual,
                         status.ullAvailVirtual};
}

std::optional<TJLDiskSpace> ReadDiskSpace() {
  ULARGE_INTEGER freeToUser{}, totalToUser{}, totalFree{};
  if (!GetDiskFreeSpaceExW(nullptr, &freeToUser, &totalToUser, &totalFree)) return std::nullopt;
  return TJLDiskSpace{freeToUser.QuadPart, totalToUser.QuadPart, totalFree.QuadPart};
}

std::optional<TJLSnapshot> ReadHeapUse() {
  // The heap the runtime's allocator draws on. While it is locked nothing here allocates.
  const auto heap = reinterpret_cast<HANDLE>(_get_heap_handle());
  if (!heap || !HeapLock(heap)) return std::nullopt;
  TJLSnapshot use;
  PROCESS_HEAP_ENTRY entry{};
  while (HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
      ++use.First;
      use.Second += entry.cbData;
    }
  }
  const DWORD ended = GetLastError();
  HeapUnlock(heap);
  if (ended != ERROR_NO_MORE_ITEMS) return std::nullopt;
  return use;
}

TJLOsVersion ReadOsVersion() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
    throw Exception("The system version cannot be read");
  }
  return {info.dwMajorVersion,
          info.dwMinorVersion,
          info.dwBuildNumber,
          info.dwPlatformId,
          WideToUtf8(info.szCSDVersion),
          RegistryText(TJLRegistryRoot::LocalMachine,
                       "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductSuite"),
          info.wProductType};
}

TJLCpuInfo ReadCpuInfo() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  TJLCpuInfo cpu;
  cpu.Architecture = info.wProcessorArchitecture;
  cpu.OemId = info.dwOemId;
  cpu.ActiveMask = info.dwActiveProcessorMask;
  cpu.Processors = info.dwNumberOfProcessors;
  cpu.Type = info.dwProcessorType;
  cpu.Level = info.wProcessorLevel;
  cpu.Revision = info.wProcessorRevision;
  cpu.Granularity = info.dwAllocationGranularity;
  cpu.PageSize = info.dwPageSize;
  cpu.MinAddress = reinterpret_cast<uintptr_t>(info.lpMinimumApplicationAddress);
  cpu.MaxAddress = reinterpret_cast<uintptr_t>(info.lpMaximumApplicationAddress);
  cpu.Speed = RegistryText(TJLRegistryRoot::LocalMachine, kProcessorKey, "~MHz");
  cpu.Vendor = RegistryText(TJLRegistryRoot::LocalMachine, kProcessorKey, "VendorIdentifier");
  return cpu;
}

int64_t MeasureTickResolution() {
  const ULONGLONG start = GetTickCount64();
  ULONGLONG now = start;
  while (now == start) now = GetTickCount64();
  return static_cast<int64_t>(now - start);
}

namespace {

int64_t CounterFrequency() {
  LARGE_INTEGER frequency{};
  return QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0 ? frequency.QuadPart : -1;
}

// The average cost of reading the performance counter, in its own units.
int64_t CounterOverhead(int64_t frequency) {
  if (frequency <= 0) return -1;
  constexpr int kPairs = 20;
  int64_t total = 0;
  for (int i = 0; i < kPairs; ++i) {
    LARGE_INTEGER first{}, second{};
    QueryPerformanceCounter(&first);
    QueryPerformanceCounter(&second);
    total += second.QuadPart - first.QuadPart;
  }
  return total / kPairs;
}

int64_t ProcessorClock() {
  const std::optional<int64_t> mhz =
      RegistryInteger(TJLRegistryRoot::LocalMachine, kProcessorKey, "~MHz");
  return mhz ? *mhz * 1000000 : -1;
}

// The smallest cost of reading the time-stamp counter, in cycles.
int64_t CycleOverhead() {
  unsigned long long best = ~0ULL;
  for (int i = 0; i < 3; ++i) {
    const unsigned long long first = __rdtsc();
    const unsigned long long second = __rdtsc();
    best = std::min(best, second - first);
  }
  return static_cast<int64_t>(best);
}

TQTimer MeasureTimer() {
  const int64_t frequency = CounterFrequency();
  return TQTimer(ProcessorClock(), frequency, CycleOverhead(), CounterOverhead(frequency));
}

}  // namespace

TQTimer::TQTimer() : TQTimer(MeasureTimer()) {}

}  // namespace movra
