#pragma once
// Scanning a folder tree for files split into many fragments.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/date_time.h"

namespace movra {

struct TFileRegionPair {
  uint8_t Checked = 0;   // the user's choice in the analysis window
  std::string Path;      // folder path + name
  int32_t Fragments = 0; // extents after merging neighbours
  TDateTime FileDate = 0;
};

using TFileRegionList = std::vector<TFileRegionPair>;

// Called once per folder before it is read, and again while the folder is read whenever
// `every` has passed since the last call, with the folder and the files found so far; true
// leaves the folder at once, and the folder above hears at once whether it should go on.
using TScanProgress = std::function<bool(const std::string& folder, int found)>;

// Often enough that a window handling its messages in the callback answers its user at once,
// however many files one folder holds.
inline constexpr std::chrono::milliseconds kScanProgressEvery{40};

// Appends every file below `folder` (ending with a path delimiter) with at least `minimum`
// fragments. Folders that are reparse points (junctions, links) are not entered.
void ScanFolder(const std::string& folder, int32_t minimum, TFileRegionList& list,
                const TScanProgress& progress,
                std::chrono::milliseconds every = kScanProgressEvery);

// Sort comparators: negative when the first sorts before the second.
int CompareFragmentsDesc(const TFileRegionPair& a, const TFileRegionPair& b);
int CompareFragmentsAsc(const TFileRegionPair& a, const TFileRegionPair& b);
int ComparePathAsc(const TFileRegionPair& a, const TFileRegionPair& b);
int ComparePathDesc(const TFileRegionPair& a, const TFileRegionPair& b);

// Sorts the list by one of the comparators above.
void SortRegionList(TFileRegionList& list, int (*compare)(const TFileRegionPair&, const TFileRegionPair&));

}  // namespace movra
