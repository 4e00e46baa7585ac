#pragma once
// The model of one simulated volume: where every listed file's clusters lie and which clusters
// are used, read from and written to the "volume.layout" text, and the answers of the three
// cluster controls computed from it. Occupied clusters are kept as sorted runs, so a volume of
// 2^32 clusters costs memory in proportion to its runs, not its size.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "runtime/exception.h"

namespace movra::platform {

// A layout that contradicts itself; the message names the offending line.
class LayoutError : public Exception {
 public:
  using Exception::Exception;
};

struct LayoutExtent {
  int64_t Vcn = 0;
  int64_t Lcn = 0;  // kHole: a piece of the file that uses no clusters
  int64_t Length = 0;
};

struct LayoutFile {
  std::string Path;                   // relative to the volume root, as listed
  std::vector<LayoutExtent> Extents;  // empty: a resident file
};

class VolumeLayout {
 public:
  static constexpr int64_t kHole = -1;
  // The largest volume the file system allows: a layout on disk may not declare more, since a
  // full scan of its bitmap holds the volume's lock for the whole scan.
  static constexpr int64_t kMaxDiskClusters = int64_t{1} << 32;
  // Larger than any NTFS volume, so that extents too long for one move request can be made on
  // volumes that live only in memory.
  static constexpr int64_t kMaxClusters = int64_t{1} << 48;
  static constexpr size_t kNoFile = SIZE_MAX;

  // Throws LayoutError for text that is not a whole, consistent layout, or that declares more
  // than `maxClusters` clusters.
  static VolumeLayout Parse(std::string_view text, int64_t maxClusters = kMaxDiskClusters);
  std::string Serialize() const;

  int64_t TotalClusters() const { return total_; }
  int64_t BytesPerCluster() const { return bytesPerCluster_; }
  // A listed file or resident record, matched without regard to case; nullptr when unlisted.
  const LayoutFile* FindFile(std::string_view path) const;
  bool IsFree(int64_t lcn, int64_t length) const;
  // Number of maximal runs of used clusters.
  size_t UsedRunCount() const { return used_.size(); }

  // The answers of the controls, written into `out`; `written` is the bytes filled in.
  int32_t RetrievalPointers(std::string_view path, int64_t startVcn, void* out, uint32_t outLength,
                            uint64_t& written) const;
  int32_t Bitmap(int64_t startLcn, void* out, uint32_t outLength, uint64_t& written) const;
  // Moves `count` clusters of the file from `vcn` on to `targetLcn`; all or nothing.
  int32_t Move(std::string_view path, int64_t vcn, int64_t targetLcn, uint32_t count);

  // Marks the free clusters of the range as used by something else (new `used` records).
  void Take(int64_t lcn, int64_t length);

 private:
  void Occupy(int64_t lcn, int64_t length);
  void Release(int64_t lcn, int64_t length);
  size_t FindIndex(std::string_view path) const;  // kNoFile when unlisted

  int64_t total_ = 0;
  int64_t bytesPerCluster_ = 0;
  std::vector<LayoutFile> files_;
  std::unordered_map<std::string, size_t> index_;  // folded path -> files_
  std::vector<LayoutExtent> usedRecords_;          // Lcn and Length of each `used` record
  std::map<int64_t, int64_t> used_;                // start -> end (exclusive), coalesced
};

// The form under which paths are compared: upper case, whatever the script.
std::string FoldPath(std::string_view path);

}  // namespace movra::platform
