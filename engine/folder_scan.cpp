#include "engine/folder_scan.h"

#include <windows.h>

#include <algorithm>

#include "engine/defrag.h"
#include "runtime/text.h"

namespace movra {
namespace {

// Read-only, hidden, archive and folders are listed; system files and volume labels are not.
constexpr DWORD kExcludedAttributes = FILE_ATTRIBUTE_SYSTEM;

class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : handle_(h) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

namespace {

class TScan {
 public:
  TScan(int32_t minimum, TFileRegionList& list, const TScanProgress& progress,
        std::chrono::milliseconds every)
      : minimum_(minimum), list_(list), progress_(progress), every_(every) {}

  // False once the callback asked to leave this folder.
  bool Folder(const std::string& folder) {
    if (Stop(folder)) return false;
    WIN32_FIND_DATAW entry;
    FindHandle find(FindFirstFileW(Utf8ToWide(folder + "*.*").c_str(), &entry));
    if (find.Get() == INVALID_HANDLE_VALUE) return true;
    do {
      const std::wstring_view name(entry.cFileName);
      if (name == L"." || name == L"..") continue;
      if (entry.dwFileAttributes & kExcludedAttributes) continue;
      const std::string path = folder + WideToUtf8(name);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A junction or folder link may lead back up the tree.
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        // A stop below is asked again here at once, so a stop request leaves the whole tree
        // without waiting for the next call's time.
        if (!Folder(path + "\\") && Stop(folder)) return false;
        continue;
      }
      File(path, entry.ftLastWriteTime);
      if (std::chrono::steady_clock::now() - lastCall_ >= every_ && Stop(folder)) return false;
    } while (FindNextFileW(find.Get(), &entry));
    return true;
  }

 private:
  bool Stop(const std::string& folder) {
    if (!progress_) return false;
    const bool stop = progress_(folder, static_cast<int>(list_.size()));
    // From the end of the call: a slow callback is not called after every file.
    lastCall_ = std::chrono::steady_clock::now();
    return stop;
  }

  void File(const std::string& path, const FILETIME& written) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (OpenFileHandle(path, file) != 0) return;
    const int64_t count = GetFragmentCount(file);
    CloseEngineHandle(file);
    if (count >= static_cast<int64_t>(minimum_)) {
      list_.push_back({0, path, static_cast<int32_t>(count), FileTimeToLocalDateTime(written)});
    }
  }

  const int32_t minimum_;
  TFileRegionList& list_;
  const TScanProgress& progress_;
  const std::chrono::milliseconds every_;
  std::chrono::steady_clock::time_point lastCall_ = std::chrono::steady_clock::now();
};

}  // namespace

void ScanFolder(const std::string& folder, int32_t minimum, TFileRegionList& list,
                const TScanProgress& progress, std::chrono::milliseconds every) {
  TScan(minimum, list, progress, every).Folder(folder);
}

int CompareFragmentsDesc(const TFileRegionPair& a, const TFileRegionPair& b) {
  if (a.Fragments > b.Fragments) return -1;
  if (a.Fragments < b.Fragments) return 1;
  return 0;
}

int CompareFragmentsAsc(const TFileRegionPair& a, const TFileRegionPair& b) {
  return -CompareFragmentsDesc(a, b);
}

int ComparePathAsc(const TFileRegionPair& a, const TFileRegionPair& b) {
  const size_t n = std::min(a.Path.size(), b.Path.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = static_cast<unsigned char>(FoldAscii(a.Path[i]));
    const unsigned char y = static_cast<unsigned char>(FoldAscii(b.Path[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.Path.size() == b.Path.size()) return 0;
  return a.Path.size() < b.Path.size() ? -1 : 1;
}

int ComparePathDesc(const TFileRegionPair& a, const TFileRegionPair& b) {
  return -ComparePathAsc(a, b);
}

void SortRegionList(TFileRegionList& list,
                    int (*compare)(const TFileRegionPair&, const TFileRegionPair&)) {
  std::sort(list.begin(), list.end(),
            [compare](const TFileRegionPair& a, const TFileRegionPair& b) { return compare(a, b) < 0; });
}

}  // namespace movra
