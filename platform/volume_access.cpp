#include "platform/volume_access.h"

#include <winternl.h>

#include <cstddef>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <unordered_map>

#include "platform/simulated_volume.h"
#include "runtime/text.h"

namespace movra::platform {
namespace {

// IoStatus is handed to the platform as its own I/O status block.
static_assert(sizeof(IoStatus) == sizeof(IO_STATUS_BLOCK));
static_assert(offsetof(IoStatus, Information) == offsetof(IO_STATUS_BLOCK, Information));

using NtFsControlFileFunction = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID,
                                                 PIO_STATUS_BLOCK, ULONG, PVOID, ULONG, PVOID,
                                                 ULONG);

// A handle whose controls the simulation answers.
struct SimulatedHandle {
  std::shared_ptr<detail::SimulatedVolume> Volume;
  bool IsVolume = false;
  std::string Path;  // of a file handle: relative to the volume root
};

class HandleRegistry {
 public:
  void Add(HANDLE handle, SimulatedHandle entry) {
    std::lock_guard lock(mutex_);
    handles_[handle] = std::move(entry);
  }
  // The volume whose last volume handle this was, or null.
  std::shared_ptr<detail::SimulatedVolume> Remove(HANDLE handle) {
    std::lock_guard lock(mutex_);
    const auto found = handles_.find(handle);
    if (found == handles_.end()) return nullptr;
    std::shared_ptr<detail::SimulatedVolume> volume = std::move(found->second.Volume);
    const bool wasVolume = found->second.IsVolume;
    handles_.erase(found);
    if (!wasVolume) return nullptr;
    for (const auto& [other, entry] : handles_) {
      if (entry.IsVolume && entry.Volume == volume) return nullptr;
    }
    return volume;
  }
  std::optional<SimulatedHandle> Find(HANDLE handle) {
    std::lock_guard lock(mutex_);
    const auto found = handles_.find(handle);
    if (found == handles_.end()) return std::nullopt;
    return found->second;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<HANDLE, SimulatedHandle> handles_;
};

HandleRegistry& Handles() {
  static HandleRegistry registry;
  return registry;
}

char DriveLetterOf(std::wstring_view path) {
  if (path.size() < 2 || path[1] != L':') return 0;
  const wchar_t letter = path[0] >= L'a' && path[0] <= L'z' ? path[0] - L'a' + L'A' : path[0];
  return letter >= L'A' && letter <= L'Z' ? static_cast<char>(letter) : 0;
}

// "\\.\X:" names the volume of drive X.
char VolumeLetterOf(std::wstring_view path) {
  if (path.size() != 6 || path.substr(0, 4) != L"\\\\.\\") return 0;
  return DriveLetterOf(path.substr(4));
}

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return path;
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.resize(n);
  }
  if (full.rfind(L"\\\\?\\", 0) == 0) full.erase(0, 4);
  return full;
}

}  // namespace

std::wstring detail::LongPathForm(const std::wstring& path) {
  // Below MAX_PATH the plain form opens everywhere; at and above it only the form that
  // bypasses the name length limit does.
  if (path.size() < MAX_PATH || path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) {
    return path;
  }
  if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  if (DriveLetterOf(path) != 0 && path.size() > 2 && path[2] == L'\\') return L"\\\\?\\" + path;
  return path;
}

namespace {

HANDLE SignalledEvent() { return CreateEventW(nullptr, TRUE, TRUE, nullptr); }

// The end of every open: the error code, and the handle registered when it is simulated.
HANDLE Opened(HANDLE handle, SimulatedHandle entry, uint32_t& error) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return INVALID_HANDLE_VALUE;
  }
  error = 0;
  if (entry.Volume) Handles().Add(handle, std::move(entry));
  return handle;
}

template <typename T>
bool ReadInput(const void* input, uint32_t inputLength, T& value) {
  if (input == nullptr || inputLength < sizeof(T)) return false;
  std::memcpy(&value, input, sizeof(T));
  return true;
}

int32_t SimulatedControl(const SimulatedHandle& handle, uint32_t code, const void* input,
                         uint32_t inputLength, void* output, uint32_t outputLength,
                         uint64_t& written) {
  detail::SimulatedVolume& volume = *handle.Volume;
  switch (code) {
    case kFsctlGetRetrievalPointers: {
      int64_t vcn = 0;
      if (handle.IsVolume || !ReadInput(input, inputLength, vcn)) return kStatusInvalidParameter;
      return volume.RetrievalPointers(handle.Path, vcn, output, outputLength, written);
    }
    case kFsctlGetVolumeBitmap: {
      int64_t lcn = 0;
      if (!handle.IsVolume || !ReadInput(input, inputLength, lcn)) return kStatusInvalidParameter;
      return volume.Bitmap(lcn, output, outputLength, written);
    }
    case kFsctlMoveFile: {
      MoveFileData data;
      if (!handle.IsVolume || !ReadInput(input, inputLength, data)) return kStatusInvalidParameter;
      const auto file = Handles().Find(data.FileHandle);
      if (!file || file->IsVolume || file->Volume != handle.Volume) return kStatusInvalidParameter;
      return volume.Move(file->Path, data.StartingVcn, data.StartingLcn, data.ClusterCount);
    }
    default:
      return kStatusInvalidDeviceRequest;
  }
}

bool IsClusterControl(uint32_t code) {
  return code == kFsctlGetRetrievalPointers || code == kFsctlGetVolumeBitmap ||
         code == kFsctlMoveFile;
}

}  // namespace

HANDLE detail::OpenShared(const std::wstring& path, DWORD flags) {
  return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, flags, nullptr);
}

int32_t detail::RealFsControl(HANDLE handle, IoStatus& io, uint32_t code, const void* input,
                              uint32_t inputLength, void* output, uint32_t outputLength) {
  static const auto ntFsControlFile = reinterpret_cast<NtFsControlFileFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtFsControlFile")));
  // A request that stays pending leaves this status until the system completes it, so a
  // caller that reads it too early never mistakes it for success.
  io = IoStatus{kStatusPending, 0};
  const NTSTATUS status =
      ntFsControlFile(handle, nullptr, nullptr, nullptr, reinterpret_cast<PIO_STATUS_BLOCK>(&io),
                      code, const_cast<void*>(input), inputLength, output, outputLength);
  if (status != kStatusPending) io.Status = status;
  return status;
}

unsigned DriveType(const std::string& root) {
  unsigned type = 0;
  if (detail::ChosenDriveType(root, type)) return type;
  return GetDriveTypeW(Utf8ToWide(root).c_str());
}

HANDLE OpenFile(const std::string& path, uint32_t& error) {
  const std::wstring wide = Utf8ToWide(path);
  const std::wstring full = FullPath(wide);
  const char letter = DriveLetterOf(full);
  const auto volume = letter != 0 ? detail::SimulatedVolumeOf(letter) : nullptr;
  const std::string relative = full.size() > 3 ? WideToUtf8(full.substr(3)) : std::string();
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (!volume || !volume->IsInMemory()) {
    handle = detail::OpenShared(detail::LongPathForm(full), FILE_FLAG_NO_BUFFERING);
  } else if (volume->ListsFile(relative)) {
    handle = SignalledEvent();
  } else {
    SetLastError(ERROR_FILE_NOT_FOUND);
  }
  return Opened(handle, {volume, false, relative}, error);
}

HANDLE OpenVolume(const std::string& volumePath, uint32_t& error) {
  const std::wstring wide = Utf8ToWide(volumePath);
  const char letter = VolumeLetterOf(wide);
  const auto volume = letter != 0 ? detail::SimulatedVolumeOf(letter) : nullptr;
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (volume && volume->IsInMemory()) {
    handle = SignalledEvent();
  } else {
    handle = detail::OpenShared(wide, 0);
    if (handle == INVALID_HANDLE_VALUE && volume) {
      handle = detail::OpenShared({static_cast<wchar_t>(letter), L':', L'\\'},
                                  FILE_FLAG_BACKUP_SEMANTICS);
    }
  }
  return Opened(handle, {volume, true, {}}, error);
}

int32_t FsControl(HANDLE handle, IoStatus& io, uint32_t code, const void* input,
                  uint32_t inputLength, void* output, uint32_t outputLength) {
  // A refusal reported by an earlier control is not this one's reason.
  detail::ReportProblem({});
  const auto simulated = Handles().Find(handle);
  // Other controls on a memory volume's handle would reach an event object, whose answer
  // means nothing.
  if (!simulated || (!IsClusterControl(code) && !simulated->Volume->IsInMemory())) {
    return detail::RealFsControl(handle, io, code, input, inputLength, output, outputLength);
  }
  io = IoStatus{};
  int32_t status = kStatusSuccess;
  try {
    status = SimulatedControl(*simulated, code, input, inputLength, output, outputLength,
                              io.Information);
  } catch (const std::bad_alloc&) {
    status = kStatusNoMemory;
  } catch (const std::exception& error) {
    detail::ReportProblem(error.what());
    status = kStatusUnexpectedIoError;
  }
  io.Status = status;
  return detail::PendingAnswers() && IsClusterControl(code) ? kStatusPending : status;
}

uint32_t WaitHandle(HANDLE handle, uint32_t milliseconds) {
  if (Handles().Find(handle)) return WAIT_OBJECT_0;
  return WaitForSingleObject(handle, milliseconds);
}

void CloseHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  const auto lastOfVolume = Handles().Remove(handle);
  ::CloseHandle(handle);
  // Moves are journalled while the volume is in use; once it is let go, the layout file says
  // where everything lies again. Should that fail, the journal stays and is read instead.
  if (lastOfVolume) {
    try {
      lastOfVolume->Fold();
    } catch (const std::exception& error) {
      detail::ReportProblem(error.what());
    }
  }
}

}  // namespace movra::platform
