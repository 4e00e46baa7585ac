#include "console/console_tool.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "engine/defrag.h"
#include "logging/journal.h"
#include "platform/volume_access.h"
#include "runtime/text.h"

namespace movra {
namespace {

constexpr wchar_t kMutexName[] = L"movra_file_defragmenter";
constexpr DWORD kMutexWaitMs = 50000;

void WriteLine(const std::string& text) {
  static const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) {
    const std::wstring wide = Utf8ToWide(text + "\r\n");
    DWORD written = 0;
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    // Redirected output is UTF-8, like every text of the system.
    const std::string bytes = text + "\r\n";
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
}

void ShowUsage() {
  for (const char* line : {
           "movra_cmd ver 0.9",
           "Usage: movra_cmd.exe [-h] [-d filename] [-l listfile] [-i filename]",
           "       -h           show this screen then exit",
           "       -d filename  defragment one file",
           "       -l listfile  defragment each file from list",
           "       -i filename  info about specified file",
           "",
           "Please note: The -d command accepts only absolute filenames with drive letter",
           "             it is true for files listed in the listfile for -l command as well",
       }) {
    WriteLine(line);
  }
}

int FatalError(const std::string& message) {
  WriteLine("Fatal error! " + message);
  return kExitFatal;
}

bool HasSwitch(const std::vector<std::string>& args, char letter) {
  for (const std::string& arg : args) {
    if (arg.size() == 2 && (arg[0] == '-' || arg[0] == '/') &&
        SameTextAscii(arg.substr(1), std::string(1, letter))) {
      return true;
    }
  }
  return false;
}

// A failure of the engine; a file without clusters of its own had nothing to move.
bool EngineFailed(int32_t status) { return status != 0 && status != platform::kStatusEndOfFile; }

// The mutex held for the run. Whatever way the run ends, the log is written out first, so that
// the next copy, which recreates the log when it gets its turn, never truncates lines of ours.
class TRunLock {
 public:
  explicit TRunLock(HANDLE mutex) : mutex_(mutex) {}
  ~TRunLock() {
    if (owned_) Release();
    CloseHandle(mutex_);
  }
  TRunLock(const TRunLock&) = delete;
  TRunLock& operator=(const TRunLock&) = delete;

  void SetOwned() { owned_ = true; }
  bool Release() {
    GlobalJournal().Stop();
    owned_ = false;
    return ReleaseMutex(mutex_) != 0;
  }

 private:
  HANDLE mutex_;
  bool owned_ = false;
};

std::string ExtentLine(const FileExtent& extent) {
  char line[64];
  std::snprintf(line, sizeof line, "%12lld%12lld%12lld", static_cast<long long>(extent.Lcn),
                static_cast<long long>(extent.Vcn), static_cast<long long>(extent.Length));
  return line;
}

void PrintExtents(const char* heading, int64_t count, const TExtentList& extents) {
  WriteLine(heading);
  WriteLine("");
  WriteLine("Number of fragments: " + std::to_string(count));
  WriteLine("-------- Lcn ------- Vcn ------- Len");
  for (const FileExtent& extent : extents) WriteLine(ExtentLine(extent));
}

int ReportFile(const std::string& name) {
  HANDLE file = INVALID_HANDLE_VALUE, volume = INVALID_HANDLE_VALUE;
  if (OpenFileAndVolume(name, file, volume) != 0) {
    CloseEngineHandle(file);
    CloseEngineHandle(volume);
    return FatalError("Cannot open file or volume.");
  }
  WriteLine("Information for file : \"" + name + "\"");
  TExtentList extents;
  int64_t count = 0, total = 0;
  const int32_t status = GetFileMap(file, count, total, extents);
  if (status != 0 && status != platform::kStatusEndOfFile) {
    CloseEngineHandle(volume);
    CloseEngineHandle(file);
    // A simulated volume says why it refused, down to the line of its layout.
    const std::string problem = platform::LastSimulationProblem();
    return FatalError("Cannot read the file's cluster map." +
                      (problem.empty() ? std::string() : " " + problem));
  }
  WriteLine("File size (clusters): " + std::to_string(total));
  if (!extents.empty()) {
    WriteLine("");
    PrintExtents("--------------------------- Windows reporting --------", count, extents);
  }
  MergeAdjacentExtents(count, extents);
  if (!extents.empty()) {
    WriteLine("");
    WriteLine("");
    PrintExtents("------------------------ Reduced map for file --------", count, extents);
  }
  CloseEngineHandle(volume);
  CloseEngineHandle(file);
  WriteLine("-----");
  return kExitSuccess;
}

int DefragmentOne(const std::string& name) {
  WriteLine("Defragmenting file : \"" + name + "\"");
  const int32_t status = DefragmentFile(name);
  WriteLine("Done : \"" + name + "\"");
  return EngineFailed(status) ? kExitEngineFailure : kExitSuccess;
}

// The lines of a list file, each as UTF-8 (a line that is not valid UTF-8 is read in the
// ANSI code page). False when the file cannot be read.
bool ReadListFile(const std::string& name, std::vector<std::string>& lines) {
  HANDLE h = CreateFileW(Utf8ToWide(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string content;
  char buffer[65536];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ReadFile(h, buffer, sizeof buffer, &read, nullptr)) && read > 0) {
    content.append(buffer, read);
  }
  CloseHandle(h);
  if (!ok) return false;
  if (content.rfind("\xEF\xBB\xBF", 0) == 0) content.erase(0, 3);
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    std::string line = content.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(ExternalLineToUtf8(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return true;
}

// The first character of a list line that no path of a file can hold, or -1. The system would
// cut the name at a NUL and defragment another file than the line names.
int ForbiddenCharacter(const std::string& line) {
  // The "\\?\" and "\\.\" prefixes hold a character that names cannot.
  const size_t from = line.rfind("\\\\?\\", 0) == 0 || line.rfind("\\\\.\\", 0) == 0 ? 4 : 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const auto code = static_cast<unsigned char>(line[i]);
    if (code < 0x20 || code == 0x7F) return code;
    if (i >= from && std::strchr("<>\"|?*", line[i]) != nullptr) return code;
  }
  return -1;
}

int DefragmentListFile(const std::string& name) {
  std::vector<std::string> lines;
  if (!ReadListFile(name, lines)) {
    WriteLine("Cannot open list file!");
    ShowUsage();
    return kExitFatal;
  }
  int code = kExitSuccess;
  for (const std::string& line : lines) {
    if (const int forbidden = ForbiddenCharacter(line); forbidden >= 0) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(forbidden));
      const std::string refusal = "Skipped : \"" + EscapeControlCharacters(line) +
                                  "\" holds a character a file name cannot hold (" + hex + ")";
      WriteLine(refusal);
      LogMessage(1, "    " + JournalLiteral(refusal));
      code = kExitEngineFailure;
      continue;
    }
    WriteLine("Defragmenting file : \"" + line + "\"");
    if (EngineFailed(DefragmentFile(line))) code = kExitEngineFailure;
    WriteLine("Done : \"" + line + "\"");
  }
  return code;
}

}  // namespace

int RunConsoleTool(const std::vector<std::string>& args) {
  if (args.empty() || HasSwitch(args, 'h')) {
    ShowUsage();
    return kExitSuccess;
  }
  if (args.size() > 2) {
    WriteLine("Too much parameters!");
    ShowUsage();
    return kExitFatal;
  }

  // The lock comes before the log: a copy waiting for its turn must not empty the log file
  // of the copy that is working.
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kMutexName);
  if (!mutex) return FatalError("Cannot create mutex.");
  TRunLock lock(mutex);
  switch (WaitForSingleObject(mutex, kMutexWaitMs)) {
    case WAIT_OBJECT_0:
      lock.SetOwned();
      break;
    case WAIT_ABANDONED:
      lock.SetOwned();
      return FatalError("Got ownership of the abandoned mutex object.");
    case WAIT_TIMEOUT:
      return FatalError("Cannot get mutex ownership due to time-out.");
    default:
      return FatalError("Cannot get mutex ownership.");
  }

  SetLogLevel(1);
  const std::string name = args.size() >= 2 ? args[1] : std::string();
  int code = kExitSuccess;
  try {
    if (HasSwitch(args, 'i')) {
      code = ReportFile(name);
    } else if (HasSwitch(args, 'd')) {
      code = DefragmentOne(name);
    } else if (HasSwitch(args, 'l')) {
      code = DefragmentListFile(name);
    }
  } catch (const std::exception& error) {
    // Logged while the log still runs; the lock is released on the way out.
    GlobalJournal().AddException(error, 0);
    return FatalError(error.what());
  }
  if (!lock.Release()) return FatalError("Cannot release mutex.");
  return code;
}

}  // namespace movra
