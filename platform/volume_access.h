#pragma once
// The engine's only door to files, volumes and their file-system controls.
// Real volumes get the platform's own answers; a volume whose root holds "volume.layout" and
// whose platform cannot answer the volume bitmap is answered from that layout instead.
#include <windows.h>

#include <cstdint>
#include <string>

namespace movra::platform {

constexpr int32_t kStatusSuccess = 0;
constexpr int32_t kStatusPending = 0x103;
constexpr int32_t kStatusBufferOverflow = static_cast<int32_t>(0x80000005);
constexpr int32_t kStatusEndOfFile = static_cast<int32_t>(0xC0000011);
constexpr int32_t kStatusInvalidParameter = static_cast<int32_t>(0xC000000D);
constexpr int32_t kStatusBufferTooSmall = static_cast<int32_t>(0xC0000023);
constexpr int32_t kStatusAlreadyCommitted = static_cast<int32_t>(0xC0000021);
constexpr int32_t kStatusNotSupported = static_cast<int32_t>(0xC00000BB);
constexpr int32_t kStatusInvalidDeviceRequest = static_cast<int32_t>(0xC0000010);
constexpr int32_t kStatusDiskCorruptError = static_cast<int32_t>(0xC0000032);
constexpr int32_t kStatusUnexpectedIoError = static_cast<int32_t>(0xC00000E9);
constexpr int32_t kStatusNoMemory = static_cast<int32_t>(0xC0000017);

constexpr uint32_t kFsctlGetRetrievalPointers = 0x00090073;
constexpr uint32_t kFsctlGetVolumeBitmap = 0x0009006F;
constexpr uint32_t kFsctlMoveFile = 0x00090074;

// The layouts of the published control structures, fixed here so that the engine and the
// simulation agree on them byte for byte.
#pragma pack(push, 8)
struct RetrievalPointersHeader {
  uint32_t ExtentCount;
  uint32_t Padding;
  int64_t StartingVcn;
};
struct RetrievalPointersExtent {
  int64_t NextVcn;
  int64_t Lcn;
};
struct VolumeBitmapHeader {
  int64_t StartingLcn;
  int64_t BitmapSize;  // clusters from StartingLcn to the end of the volume
};
struct MoveFileData {
  HANDLE FileHandle;
  int64_t StartingVcn;
  int64_t StartingLcn;
  uint32_t ClusterCount;
};
#pragma pack(pop)
static_assert(sizeof(RetrievalPointersHeader) == 16);
static_assert(sizeof(VolumeBitmapHeader) == 16);
static_assert(sizeof(MoveFileData) == 32);

struct IoStatus {
  int32_t Status = 0;
  uint64_t Information = 0;
};

// GetDriveType of a root such as "C:\" or "\\server\share\", unless a test chose the type.
unsigned DriveType(const std::string& root);

// A file opened for the engine: read access, shared read and write, existing only,
// no buffering. INVALID_HANDLE_VALUE and the system error code on failure.
HANDLE OpenFile(const std::string& path, uint32_t& error);

// A volume opened as "\\.\X:". For a simulated drive whose device cannot be opened,
// its root folder is opened in its place.
HANDLE OpenVolume(const std::string& volumePath, uint32_t& error);

// A file-system control on a handle from OpenFile or OpenVolume, as NtFsControlFile with no
// event and no APC. STATUS_PENDING leaves the final status in `io` once WaitHandle returns.
int32_t FsControl(HANDLE handle, IoStatus& io, uint32_t code, const void* input,
                  uint32_t inputLength, void* output, uint32_t outputLength);

// Waits on the handle that carried a pending request.
uint32_t WaitHandle(HANDLE handle, uint32_t milliseconds);

// Closes a handle from OpenFile or OpenVolume; INVALID_HANDLE_VALUE is ignored. Handles from
// OpenFile and OpenVolume must be closed here, never with the system's CloseHandle.
void CloseHandle(HANDLE handle);

// Why a simulated volume last refused to answer (a layout that contradicts itself, naming its
// line, or a layout that could not be read or written); empty when none did. For the log.
std::string LastSimulationProblem();

}  // namespace movra::platform
