#pragma once
// The defragmentation engine: plain routines that read a file's extent map and the volume's
// allocation bitmap and move the file's extents into one free run. Every routine returns a
// status and writes its own log lines; none raises.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/string_list.h"

namespace movra {

// One extent of a file: its first virtual cluster, where it lies on the volume (-1: no
// clusters of its own) and its length, all in clusters.
struct FileExtent {
  int64_t Vcn = 0;
  int64_t Lcn = 0;
  int64_t Length = 0;
};

// One run of free clusters on a volume.
struct FreeRun {
  int64_t Start = 0;
  int64_t Length = 0;
};

using TExtentList = std::vector<FileExtent>;
using TFreeRunList = std::vector<FreeRun>;

// Engine statuses besides 0, Win32 error codes from opening, and NTSTATUS values of the
// file-system controls.
constexpr int32_t DEFRAG_E_DRIVE_TYPE = 1;
constexpr int32_t DEFRAG_E_LIST_VOLUME = 0x20000001;
// The path does not lie on the volume its drive letter names: a folder mounted from another
// volume, or a form without a drive letter.
constexpr int32_t DEFRAG_E_PATH_VOLUME = 0x20000002;
// A list with no path in it.
constexpr int32_t DEFRAG_E_EMPTY_LIST = 0x20000003;
// The volume bitmap was answered with clusters that were not asked for, or without progress.
constexpr int32_t DEFRAG_E_BITMAP_ANSWER = 0x20000004;

// Log levels: 0 nothing, 1 operations and errors, 2 also details.
int CurrentLogLevel();
void SetLogLevel(int level);
void LogMessage(int level, const std::string& text);
void LogError(int level, int32_t code);
void LogLastError(int level);

// Opening. Handles are INVALID_HANDLE_VALUE until opened; the caller closes what was opened
// with CloseEngineHandle, never with the system's CloseHandle (a simulated volume keeps a
// record of its handles until then).
int32_t OpenFileAndVolume(const std::string& path, HANDLE& file, HANDLE& volume);
int32_t OpenFileHandle(const std::string& path, HANDLE& file);
int32_t OpenVolumeHandle(const std::string& path, HANDLE& volume);
void CloseEngineHandle(HANDLE handle);

// Maps and the bitmap.
int32_t GetFileMap(HANDLE file, int64_t& extentCount, int64_t& totalClusters,
                   TExtentList& extents);
void MergeAdjacentExtents(int64_t& extentCount, TExtentList& extents);
int64_t FindFirstFreeRun(HANDLE volume, int64_t& start, int64_t& length, int64_t needed);
int64_t CollectFreeRuns(HANDLE volume, TFreeRunList& runs, int64_t needed);
int32_t MoveClusters(HANDLE volume, HANDLE file, uint32_t clusterCount, int64_t startingVcn,
                     int64_t targetLcn);
int64_t GetFragmentCount(HANDLE file);
int64_t GetFileClusters(HANDLE file, int64_t& clusters);

// Placement.
int32_t DefragmentFile(const std::string& path);
int32_t DefragmentFileToTail(const std::string& path);
int32_t DefragmentList(const TStringList& paths, bool toEnd);
int32_t DefragmentFileToOffset(const std::string& path, int64_t& target);

}  // namespace movra
