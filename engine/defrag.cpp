#include "engine/defrag.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "engine/bitmap_scan.h"
#include "engine/volume_path.h"
#include "logging/journal.h"
#include "platform/volume_access.h"
#include "runtime/exception.h"

namespace movra {
namespace {

std::atomic<int> g_logLevel{0};

// The answer sizes of one request: 4096 extents of a map, 1048576 clusters of the bitmap.
constexpr uint32_t kMapExtentsPerCall = 4096;
constexpr uint32_t kMapOutputBytes =
    sizeof(platform::RetrievalPointersHeader) + kMapExtentsPerCall * sizeof(platform::RetrievalPointersExtent);
constexpr int64_t kBitmapClustersPerCall = 1048576;
constexpr uint32_t kBitmapOutputBytes =
    sizeof(platform::VolumeBitmapHeader) + kBitmapClustersPerCall / 8;
static_assert(kMapOutputBytes == 65552);
static_assert(kBitmapOutputBytes == 131088);

// An answer that does not advance (or claims more than its buffer holds) would make the map
// reader loop for ever; it is reported as a damaged answer instead.
constexpr int32_t kStatusFileCorruptError = static_cast<int32_t>(0xC0000102);

constexpr int32_t kStatusUnsuccessful = static_cast<int32_t>(0xC0000001);

// A move request carries a 32-bit cluster count; longer extents go in pieces of this size.
constexpr int64_t kMaxClustersPerMove = 0xFFFFFFFF;

class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE h) : handle_(h) {}
  ~ScopedHandle() { Close(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  HANDLE& Ref() { return handle_; }
  HANDLE Get() const { return handle_; }
  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE) platform::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

int64_t ZeroExtended(int32_t status) { return static_cast<int64_t>(static_cast<uint32_t>(status)); }

bool IsMoreOrDone(int32_t status) {
  return status == platform::kStatusSuccess || status == platform::kStatusBufferOverflow;
}

// Issues one control; a pending request is waited for on the handle that carried it. A wait
// that fails, or a request still pending after it, is a failure, never a success.
int32_t Control(HANDLE handle, platform::IoStatus& io, uint32_t code, const void* input,
                uint32_t inputLength, void* output, uint32_t outputLength, bool& wasPending) {
  io.Status = platform::kStatusPending;
  int32_t status = platform::FsControl(handle, io, code, input, inputLength, output, outputLength);
  wasPending = status == platform::kStatusPending;
  if (wasPending) {
    if (platform::WaitHandle(handle, INFINITE) != WAIT_OBJECT_0) return kStatusUnsuccessful;
    status = io.Status == platform::kStatusPending ? kStatusUnsuccessful : io.Status;
  }
  return status;
}

// Reads the volume bitmap from cluster 0, handing each chunk to `onChunk` until it returns
// true or the end of the volume is reached. 0 then; otherwise why the bitmap could not be
// read: the failure status of a request (pending or not, `wasPending` tells which), or
// DEFRAG_E_BITMAP_ANSWER for an answer that starts elsewhere than asked or makes no
// progress.
int32_t ReadVolumeBitmap(HANDLE volume,
                         const std::function<bool(const uint8_t*, int64_t, int64_t)>& onChunk,
                         bool& wasPending) {
  std::vector<uint64_t> buffer(kBitmapOutputBytes / sizeof(uint64_t) + 1);
  auto* header = reinterpret_cast<platform::VolumeBitmapHeader*>(buffer.data());
  const auto* bits = reinterpret_cast<const uint8_t*>(header + 1);
  int64_t request = 0;
  for (;;) {
    platform::IoStatus io;
    wasPending = false;
    const int32_t status = Control(volume, io, platform::kFsctlGetVolumeBitmap, &request,
                                   sizeof request, header, kBitmapOutputBytes, wasPending);
    if (!IsMoreOrDone(status)) return status;
    wasPending = false;
    // Only what the answer holds counts: the clusters it reports, no more than the bytes it
    // wrote, starting where it was asked to.
    if (io.Information < sizeof(platform::VolumeBitmapHeader) || header->StartingLcn != request) {
      return DEFRAG_E_BITMAP_ANSWER;
    }
    const int64_t written =
        static_cast<int64_t>(std::min<uint64_t>(io.Information, kBitmapOutputBytes) -
                             sizeof(platform::VolumeBitmapHeader)) * 8;
    const int64_t n = std::clamp<int64_t>(header->BitmapSize, 0, std::min(written, kBitmapClustersPerCall));
    if (onChunk(bits, n, header->StartingLcn)) return 0;
    if (status == platform::kStatusSuccess) return 0;
    const int64_t next = header->StartingLcn + n;
    if (n == 0 || next <= request) return DEFRAG_E_BITMAP_ANSWER;
    request = next;
  }
}

// The scans behind FindFirstFreeRun and CollectFreeRuns, with the reason of a failure kept.
int32_t ScanFirstFreeRun(HANDLE volume, int64_t needed, std::optional<FreeRun>& found,
                         bool& wasPending) {
  TFreeRunScanner scanner;
  found.reset();
  auto onRun = [&](int64_t s, int64_t l) {
    if (l < needed) return false;
    found = FreeRun{s, l};
    return true;
  };
  const int32_t status = ReadVolumeBitmap(
      volume, [&](const uint8_t* bits, int64_t n, int64_t lcn) { return scanner.Scan(bits, n, lcn, onRun); },
      wasPending);
  if (status != 0) {
    found.reset();
    return status;
  }
  if (!found) scanner.Finish(onRun);
  return 0;
}

int32_t ScanFreeRuns(HANDLE volume, TFreeRunList& runs, int64_t needed, bool& wasPending) {
  TFreeRunScanner scanner;
  auto onRun = [&](int64_t s, int64_t l) {
    if (l >= needed) runs.push_back({s, l});
    return false;
  };
  const int32_t status = ReadVolumeBitmap(
      volume, [&](const uint8_t* bits, int64_t n, int64_t lcn) { return scanner.Scan(bits, n, lcn, onRun); },
      wasPending);
  if (status == 0) scanner.Finish(onRun);
  return status;
}

// Log texts. Every path is made literal, so braces in a file name are logged as they stand.
std::string Quote(const std::string& path) { return "\"" + JournalLiteral(path) + "\""; }

struct Operation {
  const char* name;
  std::string Start(const std::string& path) const {
    return std::string("<<<< \"") + name + "\" started. File: " + Quote(path);
  }
  std::string Escape() const { return std::string(">>>> Escaped from \"") + name + "\"."; }
  std::string Finish() const { return std::string(">>>> \"") + name + "\" finished normally."; }
};

const Operation kFileOp{"Defragment file"};
const Operation kTailOp{"Defragment file to tail"};
const Operation kOffsetOp{"Defragment file to offset"};
const Operation kListOp{"Defragment list"};

void LogNoRegion(const std::string& path, int64_t clusters) {
  LogMessage(1, "    No region to place file " + Quote(path) + "!");
  LogMessage(1, "    Need as minimum as " + std::to_string(clusters) + " clusters to complete!");
  LogMessage(1, "    Defragmentation will not performed.");
}

// The bitmap could not be read: that is no answer about free space, so it is never told as
// "no region".
void LogBitmapFailure(const std::string& path, int32_t status) {
  LogMessage(1, "    Cannot read the volume bitmap for " + Quote(path) + "! Exit with:");
  LogError(1, status);
}

// Opens the file and its volume and reads the merged map, logging every way out.
// 0 when there is something to place; otherwise the status the operation returns.
int32_t OpenAndMap(const Operation& op, const std::string& path, ScopedHandle& file,
                   ScopedHandle& volume, TExtentList& extents, int64_t& count, int64_t& total) {
  int32_t status = OpenFileAndVolume(path, file.Ref(), volume.Ref());
  if (status != 0) {
    file.Close();
    volume.Close();
    LogMessage(1, "    Cannot open FILE or volume for " + Quote(path) + "! Exit with:");
    LogError(1, status);
    LogMessage(1, op.Escape());
    return status;
  }
  status = GetFileMap(file.Get(), count, total, extents);
  if (status != 0) {
    file.Close();
    volume.Close();
    if (status == platform::kStatusEndOfFile) {
      LogMessage(1, "    File " + Quote(path) + " alredy MFT placed. Just exitting.");
      LogMessage(1, op.Finish());
    } else {
      LogMessage(1, "    Cannot create FileMap for " + Quote(path) + ". Exit with:");
      LogError(1, status);
      LogMessage(1, op.Escape());
    }
    extents.clear();
    return status;
  }
  MergeAdjacentExtents(count, extents);
  return 0;
}

// Moves every extent in VCN order to `target` on, advancing it by each piece moved.
int32_t MoveExtents(const Operation& op, const std::string& path, HANDLE volume, HANDLE file,
                    const TExtentList& extents, int64_t& target) {
  for (const FileExtent& extent : extents) {
    for (int64_t done = 0; done < extent.Length;) {
      const int64_t piece = std::min(extent.Length - done, kMaxClustersPerMove);
      const int32_t status =
          MoveClusters(volume, file, static_cast<uint32_t>(piece), extent.Vcn + done, target);
      if (status != 0) {
        LogMessage(1, "    Cannot move FILE region to the new location " + Quote(path) +
                          "! Exit with:");
        LogError(1, status);
        LogMessage(1, "    Possibly disk state has changed.");
        LogMessage(1, "    Defragmentation will not performed.");
        LogMessage(1, op.Escape());
        return status;
      }
      done += piece;
      target += piece;
    }
  }
  return 0;
}

// Decides where a mapped file goes: sets the target and whether to move it. A status other
// than 0 says the volume bitmap could not be read.
using TChooseTarget = std::function<int32_t(HANDLE volume, const TExtentList& extents,
                                            int64_t totalClusters, bool& move)>;

// The common road of the single-file placements after their start line: open, map, choose,
// move, finish. `target` advances past every piece moved.
int32_t PlaceFile(const Operation& op, const std::string& path, int64_t& target,
                  const TChooseTarget& choose) {
  ScopedHandle file, volume;
  TExtentList extents;
  int64_t count = 0, total = 0;
  if (int32_t status = OpenAndMap(op, path, file, volume, extents, count, total)) return status;
  bool move = false;
  if (count >= 1) {
    if (int32_t status = choose(volume.Get(), extents, total, move)) {
      file.Close();
      volume.Close();
      LogBitmapFailure(path, status);
      LogMessage(1, op.Escape());
      return status;
    }
  }
  if (move) {
    if (int32_t status = MoveExtents(op, path, volume.Get(), file.Get(), extents, target)) {
      return status;
    }
  }
  file.Close();
  volume.Close();
  LogMessage(1, op.Finish());
  return 0;
}

std::string EngineErrorText(int32_t code) {
  switch (code) {
    case DEFRAG_E_DRIVE_TYPE:
      return "The drive is a network drive or of an unknown type; only local drives are "
             "defragmented.";
    case DEFRAG_E_PATH_VOLUME:
      return "The path does not lie on the volume its drive letter names (a folder mounted "
             "from another volume, or no drive letter); give the file by its own volume's "
             "drive letter.";
    case DEFRAG_E_LIST_VOLUME:
      return "The volume of the list's first file cannot be opened.";
    case DEFRAG_E_EMPTY_LIST:
      return "The list names no file.";
    case DEFRAG_E_BITMAP_ANSWER:
      return "The file system answered the request for the volume's bitmap with clusters it "
             "was not asked for, or without progress; nothing is moved.";
    case kStatusFileCorruptError:
      return "The file system answered the request for the file's map with extents that do "
             "not follow each other; the file is left as it is.";
    case platform::kStatusDiskCorruptError: {
      // A simulated volume says exactly which line of its layout is wrong.
      const std::string problem = platform::LastSimulationProblem();
      return problem.empty() ? std::string() : "The volume's layout is refused: " + problem;
    }
    default:
      return {};
  }
}

}  // namespace

int CurrentLogLevel() { return g_logLevel.load(); }

void SetLogLevel(int level) {
  g_logLevel.store(level);
  TJournal& journal = GlobalJournal();
  journal.StartLogging();
  if (level > 0) {
    journal.AddStrings(journal.Header());
    journal.Add("{OSVI}");
    journal.Add("{Disk}");
    journal.Add("{mem}");
  }
}

void LogMessage(int level, const std::string& text) {
  if (CurrentLogLevel() >= level) GlobalJournal().Add(text);
}

void LogError(int level, int32_t code) {
  if (CurrentLogLevel() < level) return;
  const std::string own = EngineErrorText(code);
  if (own.empty()) {
    GlobalJournal().AddError(code);
  } else {
    GlobalJournal().AddException(Exception(own), code);
  }
}

void LogLastError(int level) { LogError(level, static_cast<int32_t>(::GetLastError())); }

namespace {

// The drive-type rule, and the path must lie on its drive letter's own volume.
int32_t ResolveOnLocalVolume(const std::string& path, TVolumePath& where) {
  if (int32_t status = ResolveVolumePath(path, where)) return status;
  if ((platform::DriveType(where.DriveRoot) & 3) == 0) return DEFRAG_E_DRIVE_TYPE;
  if (!where.OnDriveVolume()) return DEFRAG_E_PATH_VOLUME;
  return 0;
}

int32_t OpenedOrError(HANDLE handle, uint32_t error) {
  return handle == INVALID_HANDLE_VALUE ? static_cast<int32_t>(error) : 0;
}

}  // namespace

int32_t OpenFileHandle(const std::string& path, HANDLE& file) {
  file = INVALID_HANDLE_VALUE;
  TVolumePath where;
  if (int32_t status = ResolveVolumePath(path, where)) return status;
  uint32_t error = 0;
  file = platform::OpenFile(where.Absolute, error);
  return OpenedOrError(file, error);
}

int32_t OpenVolumeHandle(const std::string& path, HANDLE& volume) {
  volume = INVALID_HANDLE_VALUE;
  TVolumePath where;
  if (int32_t status = ResolveOnLocalVolume(path, where)) return status;
  uint32_t error = 0;
  volume = platform::OpenVolume(where.VolumeDevice(), error);
  return OpenedOrError(volume, error);
}

void CloseEngineHandle(HANDLE handle) { platform::CloseHandle(handle); }

int32_t OpenFileAndVolume(const std::string& path, HANDLE& file, HANDLE& volume) {
  file = INVALID_HANDLE_VALUE;
  volume = INVALID_HANDLE_VALUE;
  TVolumePath where;
  if (int32_t status = ResolveOnLocalVolume(path, where)) return status;
  uint32_t error = 0;
  file = platform::OpenFile(where.Absolute, error);
  if (file == INVALID_HANDLE_VALUE) return static_cast<int32_t>(error);
  volume = platform::OpenVolume(where.VolumeDevice(), error);
  return OpenedOrError(volume, error);
}

int32_t GetFileMap(HANDLE file, int64_t& extentCount, int64_t& totalClusters,
                   TExtentList& extents) {
  extentCount = 0;
  totalClusters = 0;
  std::vector<uint64_t> buffer(kMapOutputBytes / sizeof(uint64_t));
  auto* header = reinterpret_cast<platform::RetrievalPointersHeader*>(buffer.data());
  const auto* answer = reinterpret_cast<const platform::RetrievalPointersExtent*>(header + 1);
  int64_t request = 0;
  for (;;) {
    platform::IoStatus io;
    bool wasPending = false;
    const int32_t status = Control(file, io, platform::kFsctlGetRetrievalPointers, &request,
                                   sizeof request, header, kMapOutputBytes, wasPending);
    if (!IsMoreOrDone(status)) return status;
    const uint32_t n = header->ExtentCount;
    const uint64_t needed = sizeof(platform::RetrievalPointersHeader) +
                            uint64_t{n} * sizeof(platform::RetrievalPointersExtent);
    if (n > kMapExtentsPerCall || (n == 0 && status == platform::kStatusBufferOverflow) ||
        (n > 0 && io.Information < needed) || header->StartingVcn > request) {
      return kStatusFileCorruptError;
    }
    int64_t previous = header->StartingVcn;
    for (uint32_t i = 0; i < n; ++i) {
      const int64_t length = answer[i].NextVcn - previous;
      if (length <= 0) return kStatusFileCorruptError;
      extents.push_back({previous, answer[i].Lcn, length});
      totalClusters += length;
      previous = answer[i].NextVcn;
    }
    extentCount += n;
    if (status == platform::kStatusSuccess) return 0;
    if (previous <= request) return kStatusFileCorruptError;
    request = previous;
  }
}

void MergeAdjacentExtents(int64_t& extentCount, TExtentList& extents) {
  if (extents.empty()) return;
  // Extents without clusters of their own (-1) never join a neighbour: -1 plus a length
  // would otherwise look like the next extent's position.
  size_t out = 0;
  for (size_t i = 1; i < extents.size(); ++i) {
    FileExtent& last = extents[out];
    const FileExtent& next = extents[i];
    if (last.Lcn != -1 && next.Lcn != -1 && last.Lcn + last.Length == next.Lcn) {
      last.Length += next.Length;
    } else {
      extents[++out] = next;
    }
  }
  extents.resize(out + 1);
  extentCount = static_cast<int64_t>(extents.size());
}

int64_t FindFirstFreeRun(HANDLE volume, int64_t& start, int64_t& length, int64_t needed) {
  std::optional<FreeRun> found;
  bool wasPending = false;
  if (ScanFirstFreeRun(volume, needed, found, wasPending) != 0 || !found) return -1;
  start = found->Start;
  length = found->Length;
  return found->Length;
}

int64_t CollectFreeRuns(HANDLE volume, TFreeRunList& runs, int64_t needed) {
  bool wasPending = false;
  const int32_t status = ScanFreeRuns(volume, runs, needed, wasPending);
  if (status == 0) return 0;
  return wasPending || status == DEFRAG_E_BITMAP_ANSWER ? -1 : ZeroExtended(status);
}

int32_t MoveClusters(HANDLE volume, HANDLE file, uint32_t clusterCount, int64_t startingVcn,
                     int64_t targetLcn) {
  platform::MoveFileData data{};
  data.FileHandle = file;
  data.StartingVcn = startingVcn;
  data.StartingLcn = targetLcn;
  data.ClusterCount = clusterCount;
  platform::IoStatus io;
  bool wasPending = false;
  return Control(volume, io, platform::kFsctlMoveFile, &data, sizeof data, nullptr, 0,
                 wasPending);
}

int64_t GetFragmentCount(HANDLE file) {
  TExtentList extents;
  int64_t count = 0, total = 0;
  if (GetFileMap(file, count, total, extents) != 0) return extents.empty() ? 0 : -1;
  MergeAdjacentExtents(count, extents);
  return count;
}

int64_t GetFileClusters(HANDLE file, int64_t& clusters) {
  clusters = 0;
  TExtentList extents;
  int64_t count = 0, total = 0;
  const int32_t status = GetFileMap(file, count, total, extents);
  if (status == 0) clusters = total;
  return ZeroExtended(status);
}

int32_t DefragmentFile(const std::string& path) {
  LogMessage(1, kFileOp.Start(path));
  int64_t target = 0;
  return PlaceFile(kFileOp, path, target,
                   [&](HANDLE volume, const TExtentList& extents, int64_t total, bool& move) {
                     std::optional<FreeRun> found;
                     bool wasPending = false;
                     if (int32_t status = ScanFirstFreeRun(volume, total, found, wasPending)) {
                       return status;
                     }
                     if (!found) {
                       LogNoRegion(path, total);
                       return 0;
                     }
                     target = found->Start;
                     move = !(extents.size() == 1 && extents[0].Lcn <= found->Start);
                     return 0;
                   });
}

int32_t DefragmentFileToTail(const std::string& path) {
  LogMessage(1, kTailOp.Start(path));
  int64_t target = 0;
  return PlaceFile(kTailOp, path, target,
                   [&](HANDLE volume, const TExtentList& extents, int64_t total, bool& move) {
                     TFreeRunList runs;
                     bool wasPending = false;
                     if (int32_t status = ScanFreeRuns(volume, runs, total, wasPending)) {
                       return status;
                     }
                     if (runs.empty()) {
                       LogNoRegion(path, total);
                       return 0;
                     }
                     target = runs.back().Start + runs.back().Length - total;
                     move = extents.size() > 1 || extents[0].Lcn < target;
                     if (!move) {
                       LogMessage(2, "    File " + Quote(path) +
                                         " is already in the good shape. Just skipping...");
                     }
                     return 0;
                   });
}

int32_t DefragmentFileToOffset(const std::string& path, int64_t& target) {
  LogMessage(1, kOffsetOp.Start(path));
  LogMessage(2, "     \"Starting cluster for file: " + Quote(path) + " is " +
                    std::to_string(target));
  return PlaceFile(kOffsetOp, path, target,
                   [](HANDLE, const TExtentList&, int64_t, bool& move) {
                     move = true;
                     return 0;
                   });
}

int32_t DefragmentList(const TStringList& paths, bool toEnd) {
  LogMessage(1, "<<<< \"Defragment list\" started.");
  if (paths.Empty()) {
    LogError(1, DEFRAG_E_EMPTY_LIST);
    LogMessage(1, kListOp.Escape());
    return DEFRAG_E_EMPTY_LIST;
  }

  // The block is laid out on each volume separately: cluster numbers found on one volume
  // mean nothing on another. The first path's volume comes first.
  struct VolumeGroup {
    std::string key;
    std::vector<int> members;
    int64_t total = 0;
    std::optional<int64_t> target;  // where the next file goes; none: no room
    const char* skipped = nullptr;  // why this volume's files are left as they are
  };
  std::vector<VolumeGroup> groups;
  std::vector<size_t> groupOf;
  for (int i = 0; i < paths.Count(); ++i) {
    TVolumePath where;
    std::string key =
        ResolveVolumePath(paths[i], where) == 0 ? where.VolumeKey() : std::string();
    auto group = std::find_if(groups.begin(), groups.end(),
                              [&](const VolumeGroup& g) { return g.key == key; });
    // A path that names no volume stays with the first one; opening it will fail and say so.
    if (key.empty() && !groups.empty()) group = groups.begin();
    if (group == groups.end()) {
      groups.emplace_back().key = key;
      group = groups.end() - 1;
    }
    group->members.push_back(i);
    groupOf.push_back(static_cast<size_t>(group - groups.begin()));

    ScopedHandle file;
    const int32_t status = OpenFileHandle(paths[i], file.Ref());
    if (status == 0) {
      int64_t clusters = 0;
      if (GetFileClusters(file.Get(), clusters) == 0) group->total += clusters;
    } else {
      LogMessage(1, "    Cannot open file handle for " + Quote(paths[i]) + "! Exit with:");
      LogError(1, status);
      LogMessage(1, kListOp.Escape());
    }
  }

  // Each volume's block is found first; the files then go in list order, each after the
  // clusters actually moved for the one before it on its volume.
  int32_t result = 0;
  for (size_t g = 0; g < groups.size(); ++g) {
    VolumeGroup& group = groups[g];
    const std::string& first = paths[group.members.front()];
    ScopedHandle volume;
    const int32_t status = OpenVolumeHandle(first, volume.Ref());
    if (status != 0) {
      LogMessage(1, "    Cannot open volume for " + Quote(first) + "! Exit with:");
      LogError(1, status);
      if (g == 0) {
        LogMessage(1, kListOp.Escape());
        return DEFRAG_E_LIST_VOLUME;
      }
      group.skipped = "its volume cannot be opened";
      result = DEFRAG_E_LIST_VOLUME;
      continue;
    }
    // Nothing of this volume's files takes clusters: they are passed on as they are.
    if (group.total == 0) {
      group.target = 0;
      continue;
    }
    TFreeRunList runs;
    bool wasPending = false;
    if (int32_t scan = ScanFreeRuns(volume.Get(), runs, group.total, wasPending)) {
      LogBitmapFailure(first, scan);
      group.skipped = "the bitmap of its volume cannot be read";
      if (result == 0) result = scan;
      continue;
    }
    if (runs.empty()) {
      LogNoRegion(first, group.total);
      continue;
    }
    group.target = toEnd ? runs.back().Start + runs.back().Length - group.total : runs.front().Start;
  }
  for (int i = 0; i < paths.Count(); ++i) {
    VolumeGroup& group = groups[groupOf[static_cast<size_t>(i)]];
    if (group.skipped) {
      LogMessage(1, "    File " + Quote(paths[i]) + " is skipped: " + group.skipped + ".");
    } else if (group.target) {
      DefragmentFileToOffset(paths[i], *group.target);
    }
  }
  LogMessage(1, result == 0 ? kListOp.Finish() : kListOp.Escape());
  return result;
}

}  // namespace movra
