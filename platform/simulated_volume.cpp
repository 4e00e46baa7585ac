#include "platform/simulated_volume.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <map>

#include "platform/simulation_hooks.h"
#include "runtime/exception.h"
#include "runtime/text.h"

namespace movra::platform {
namespace detail {
namespace {

constexpr wchar_t kLayoutName[] = L"volume.layout";
constexpr wchar_t kLayoutNewName[] = L"volume.layout.new";

char UpperLetter(char letter) {
  return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
}

// Everything this process knows about simulated drives, and the choices tests made.
struct Simulation {
  std::mutex mutex;
  std::map<std::string, unsigned> driveTypes;  // by folded root
  std::map<char, std::shared_ptr<SimulatedVolume>> memoryVolumes;
  std::map<std::wstring, std::shared_ptr<SimulatedVolume>> diskVolumes;  // letter + folder id
  std::map<char, bool> platformAnswersBitmap;
  std::function<void(char)> beforeMove;
  int failMoveCountdown = 0;
  int32_t failMoveStatus = 0;
  int failBitmapCountdown = 0;
  int32_t failBitmapStatus = 0;
  std::string lastProblem;
  std::atomic<bool> pending{false};
};

Simulation& State() {
  static Simulation state;
  return state;
}

// Consumes one request of a failure countdown; true when this request is the one to fail.
bool TakeFailing(int& countdown, const int32_t& chosen, int32_t& status) {
  std::lock_guard lock(State().mutex);
  if (countdown <= 0 || --countdown > 0) return false;
  status = chosen;
  return true;
}

std::function<void(char)> BeforeMoveHook() {
  Simulation& state = State();
  std::lock_guard lock(state.mutex);
  return state.beforeMove;
}

std::string ErrorText(DWORD error) { return "system error " + std::to_string(error); }

// Whether the platform itself answers the volume bitmap on the drive; nullopt when neither the
// device nor the root folder opens, so nothing can be told yet.
std::optional<bool> PlatformAnswersBitmap(char letter, const std::wstring& root) {
  std::wstring device = L"\\\\.\\X:";
  device[4] = static_cast<wchar_t>(letter);
  UniqueHandle handle(OpenShared(device, 0));
  if (handle.get() == INVALID_HANDLE_VALUE) {
    handle.reset(OpenShared(root, FILE_FLAG_BACKUP_SEMANTICS));
  }
  if (handle.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  int64_t start = 0;
  uint8_t answer[sizeof(VolumeBitmapHeader) + 8];
  IoStatus io;
  const int32_t status = RealFsControl(handle.get(), io, kFsctlGetVolumeBitmap, &start,
                                       sizeof start, answer, sizeof answer);
  return status != kStatusNotSupported && status != kStatusInvalidDeviceRequest;
}

// The root folder's file index: the same folder whatever letter maps it, in every process.
// Under Wine the volume serial of a mapped folder varies, so it is left out; two folders that
// happened to share a name would only share a lock.
std::wstring FolderIdentity(const std::wstring& root) {
  UniqueHandle folder(CreateFileW(root.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (folder.get() == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(folder.get(), &info)) {
    return L"drive-" + root.substr(0, 1);
  }
  wchar_t text[32];
  swprintf(text, 32, L"%08lX%08lX", info.nFileIndexHigh, info.nFileIndexLow);
  return text;
}

bool WriteAll(HANDLE file, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1 << 24));
    DWORD written = 0;
    if (!WriteFile(file, text.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

bool ReadAll(HANDLE file, uint64_t size, std::string& text) {
  text.resize(size);
  size_t done = 0;
  while (done < text.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1 << 24));
    DWORD read = 0;
    if (!ReadFile(file, text.data() + done, chunk, &read, nullptr)) return false;
    if (read == 0) break;
    done += read;
  }
  text.resize(done);
  return true;
}

}  // namespace

// The volume's mutex in this process and, for a volume on disk, across processes. A mutex
// left abandoned by a process that died still guards a whole layout: the file on disk is only
// ever replaced in one step.
class SimulatedVolume::Lock {
 public:
  explicit Lock(SimulatedVolume& volume) : guard_(volume.mutex_), named_(volume.namedLock_.get()) {
    if (named_ == nullptr) return;
    const DWORD result = WaitForSingleObject(named_, INFINITE);
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) {
      throw Exception("cannot lock the simulated volume " + std::string(1, volume.letter_) + ": (" +
                      ErrorText(GetLastError()) + ")");
    }
  }
  ~Lock() {
    if (named_ != nullptr) ReleaseMutex(named_);
  }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  std::unique_lock<std::recursive_mutex> guard_;
  HANDLE named_;
};

bool SimulatedVolume::Stamp::operator==(const Stamp& other) const {
  return IndexHigh == other.IndexHigh && IndexLow == other.IndexLow && SizeHigh == other.SizeHigh &&
         SizeLow == other.SizeLow && CompareFileTime(&LastWrite, &other.LastWrite) == 0;
}

SimulatedVolume::SimulatedVolume(char letter, std::wstring root, UniqueHandle namedLock)
    : letter_(letter), root_(std::move(root)), namedLock_(std::move(namedLock)) {}

std::shared_ptr<SimulatedVolume> SimulatedVolume::InMemory(char letter,
                                                           std::string_view layoutText) {
  std::shared_ptr<SimulatedVolume> volume(new SimulatedVolume(letter, L"", nullptr));
  volume->Parse(layoutText, "memory volume " + std::string(1, letter) + ": ");
  if (!volume->problem_.empty()) ReportProblem(volume->problem_);
  return volume;
}

std::shared_ptr<SimulatedVolume> SimulatedVolume::OnDisk(char letter, std::wstring root,
                                                         const std::wstring& lockName) {
  UniqueHandle lock(CreateMutexW(nullptr, FALSE, lockName.c_str()));
  if (!lock) {
    throw Exception("cannot create the lock of the simulated volume " + std::string(1, letter) +
                    ": (" + ErrorText(GetLastError()) + ")");
  }
  return std::shared_ptr<SimulatedVolume>(
      new SimulatedVolume(letter, std::move(root), std::move(lock)));
}

int32_t SimulatedVolume::Fail(int32_t status, const std::string& problem) {
  ReportProblem(problem);
  return status;
}

void SimulatedVolume::Parse(std::string_view text, const std::string& source) {
  try {
    layout_ = VolumeLayout::Parse(text);
    problem_.clear();
  } catch (const LayoutError& error) {
    layout_.reset();
    problem_ = source + error.what();
  }
}

std::optional<SimulatedVolume::Stamp> SimulatedVolume::ReadStamp(HANDLE file) const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return std::nullopt;
  return Stamp{info.nFileIndexHigh, info.nFileIndexLow, info.nFileSizeHigh, info.nFileSizeLow,
               info.ftLastWriteTime};
}

int32_t SimulatedVolume::Refresh() {
  if (!IsInMemory()) {
    const std::wstring path = root_ + kLayoutName;
    const std::string name = WideToUtf8(path);
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
      stamp_.reset();
      return Fail(kStatusUnexpectedIoError,
                  "cannot open " + name + " (" + ErrorText(GetLastError()) + ")");
    }
    const std::optional<Stamp> stamp = ReadStamp(file.get());
    if (!stamp || !stamp_ || !(*stamp == *stamp_)) {
      std::string text;
      if (!stamp ||
          !ReadAll(file.get(), (uint64_t{stamp->SizeHigh} << 32) | stamp->SizeLow, text)) {
        stamp_.reset();
        return Fail(kStatusUnexpectedIoError,
                    "cannot read " + name + " (" + ErrorText(GetLastError()) + ")");
      }
      Parse(text, name + " ");
      stamp_ = stamp;
    }
  }
  if (!problem_.empty()) return Fail(kStatusDiskCorruptError, problem_);
  return kStatusSuccess;
}

int32_t SimulatedVolume::Persist() {
  if (IsInMemory()) return kStatusSuccess;
  const std::wstring path = root_ + kLayoutName;
  const std::wstring newPath = root_ + kLayoutNewName;
  const std::string text = layout_->Serialize();
  bool written = false;
  {
    UniqueHandle file(CreateFileW(newPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    written = file.get() != INVALID_HANDLE_VALUE && WriteAll(file.get(), text) &&
              FlushFileBuffers(file.get());
  }
  if (!written || !MoveFileExW(newPath.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    DeleteFileW(newPath.c_str());
    stamp_.reset();  // the next control reads the layout that is still on disk
    return Fail(kStatusUnexpectedIoError,
                "cannot rewrite " + WideToUtf8(path) + " (" + ErrorText(error) + ")");
  }
  UniqueHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  stamp_ = file.get() == INVALID_HANDLE_VALUE ? std::nullopt : ReadStamp(file.get());
  return kStatusSuccess;
}

bool SimulatedVolume::ListsFile(const std::string& path) {
  Lock lock(*this);
  return Refresh() == kStatusSuccess && layout_->FindFile(path) != nullptr;
}

int32_t SimulatedVolume::RetrievalPointers(const std::string& path, int64_t vcn, void* out,
                                           uint32_t outLength, uint64_t& written) {
  Lock lock(*this);
  const int32_t status = Refresh();
  if (status != kStatusSuccess) return status;
  return layout_->RetrievalPointers(path, vcn, out, outLength, written);
}

int32_t SimulatedVolume::Bitmap(int64_t lcn, void* out, uint32_t outLength, uint64_t& written) {
  Simulation& state = State();
  int32_t failure = kStatusSuccess;
  const bool fail = TakeFailing(state.failBitmapCountdown, state.failBitmapStatus, failure);
  if (fail && failure != kStatusSuccess) return failure;
  Lock lock(*this);
  int32_t status = Refresh();
  if (status != kStatusSuccess) return status;
  status = layout_->Bitmap(lcn, out, outLength, written);
  // The chosen answer that cannot be trusted: it starts past the cluster asked for.
  if (fail && written >= sizeof(VolumeBitmapHeader)) {
    static_cast<VolumeBitmapHeader*>(out)->StartingLcn += 1;
  }
  return status;
}

int32_t SimulatedVolume::Move(const std::string& path, int64_t vcn, int64_t lcn, uint32_t count) {
  int32_t status = kStatusSuccess;
  Simulation& state = State();
  if (TakeFailing(state.failMoveCountdown, state.failMoveStatus, status)) return status;
  Lock lock(*this);
  if (const auto hook = BeforeMoveHook()) hook(letter_);
  status = Refresh();
  if (status != kStatusSuccess) return status;
  status = layout_->Move(path, vcn, lcn, count);
  return status == kStatusSuccess ? Persist() : status;
}

void SimulatedVolume::Take(int64_t lcn, int64_t length) {
  Lock lock(*this);
  if (Refresh() != kStatusSuccess) throw Exception(LastSimulationProblem());
  layout_->Take(lcn, length);
  if (Persist() != kStatusSuccess) throw Exception(LastSimulationProblem());
}

std::string SimulatedVolume::LayoutText() {
  Lock lock(*this);
  return Refresh() == kStatusSuccess ? layout_->Serialize() : std::string();
}

std::shared_ptr<SimulatedVolume> SimulatedVolumeOf(char letter) {
  letter = UpperLetter(letter);
  if (letter < 'A' || letter > 'Z') return nullptr;
  Simulation& state = State();
  {
    std::lock_guard lock(state.mutex);
    const auto memory = state.memoryVolumes.find(letter);
    if (memory != state.memoryVolumes.end()) return memory->second;
  }
  const std::wstring root{static_cast<wchar_t>(letter), L':', L'\\'};
  const DWORD attributes = GetFileAttributesW((root + kLayoutName).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return nullptr;
  }
  std::optional<bool> answers;
  {
    std::lock_guard lock(state.mutex);
    const auto known = state.platformAnswersBitmap.find(letter);
    if (known != state.platformAnswersBitmap.end()) answers = known->second;
  }
  if (!answers) {
    answers = PlatformAnswersBitmap(letter, root);
    if (!answers) return nullptr;
    std::lock_guard lock(state.mutex);
    state.platformAnswersBitmap[letter] = *answers;
  }
  if (*answers) return nullptr;
  const std::wstring identity = FolderIdentity(root);
  std::lock_guard lock(state.mutex);
  auto& volume = state.diskVolumes[std::wstring(1, static_cast<wchar_t>(letter)) + identity];
  if (!volume) volume = SimulatedVolume::OnDisk(letter, root, L"MovraSimulatedVolume-" + identity);
  return volume;
}

bool ChosenDriveType(const std::string& root, unsigned& type) {
  const char letter = root.size() >= 2 && root[1] == ':' ? UpperLetter(root[0]) : '\0';
  Simulation& state = State();
  std::lock_guard lock(state.mutex);
  for (const std::string& key : {FoldPath(root), std::string{letter, ':', '\\'}}) {
    if (const auto chosen = state.driveTypes.find(key); chosen != state.driveTypes.end()) {
      type = chosen->second;
      return true;
    }
  }
  if (state.memoryVolumes.count(letter) != 0) {
    type = DRIVE_FIXED;
    return true;
  }
  return false;
}

bool PendingAnswers() { return State().pending; }

void ReportProblem(const std::string& problem) {
  Simulation& state = State();
  std::lock_guard lock(state.mutex);
  state.lastProblem = problem;
}

}  // namespace detail

std::string LastSimulationProblem() {
  detail::Simulation& state = detail::State();
  std::lock_guard lock(state.mutex);
  return state.lastProblem;
}

namespace testing {

void MountMemoryVolume(char letter, const std::string& layoutText) {
  letter = detail::UpperLetter(letter);
  auto volume = detail::SimulatedVolume::InMemory(letter, layoutText);
  detail::Simulation& state = detail::State();
  std::lock_guard lock(state.mutex);
  state.memoryVolumes[letter] = std::move(volume);
}

void UnmountMemoryVolume(char letter) {
  detail::Simulation& state = detail::State();
  std::lock_guard lock(state.mutex);
  state.memoryVolumes.erase(detail::UpperLetter(letter));
}

std::string MemoryVolumeLayout(char letter) {
  std::shared_ptr<detail::SimulatedVolume> volume;
  {
    detail::Simulation& state = detail::State();
    std::lock_guard lock(state.mutex);
    const auto found = state.memoryVolumes.find(detail::UpperLetter(letter));
    if (found == state.memoryVolumes.end()) return {};
    volume = found->second;
  }
  return volume->LayoutText();
}

void SetRootDriveType(const std::string& root, int type) {
  detail::Simulation& state = detail::State();
  std::lock_guard lock(state.mutex);
  if (type < 0) {
    state.driveTypes.erase(FoldPath(root));
  } else {
    state.driveTypes[FoldPath(root)] = static_cast<unsigned>(type);
  }
}

void SetDriveType(char letter, int type) {
  SetRootDriveType(std::string{detail::UpperLetter(letter), ':', '\\'}, type);
}

void SetPendingAnswers(bool on) { detail::State().pending = on; }

void FailMove(int nth, int32_t status) {
  detail::Simulation& state = detail::State();
  std::lock_guard lock(state.mutex);
  state.failMoveCountdown = nth;
  state.failMoveStatus = status;
}

void FailBitmap(int nth, int32_t status) {
  detail::Simulation& state = detail::State();
  std::lock_guard lock(state.mutex);
  state.failBitmapCountdown = nth;
  state.failBitmapStatus = status;
}

void SetBeforeMove(std::function<void(char letter)> hook) {
  detail::Simulation& state = detail::State();
  std::lock_guard lock(state.mutex);
  state.beforeMove = std::move(hook);
}

void TakeClusters(char letter, int64_t lcn, int64_t length) {
  const auto volume = detail::SimulatedVolumeOf(letter);
  if (!volume) throw Exception("drive " + std::string(1, letter) + ": is not simulated");
  volume->Take(lcn, length);
}

void ResetAll() {
  detail::Simulation& state = detail::State();
  std::lock_guard lock(state.mutex);
  state.driveTypes.clear();
  state.memoryVolumes.clear();
  state.diskVolumes.clear();
  state.platformAnswersBitmap.clear();
  state.beforeMove = nullptr;
  state.failMoveCountdown = 0;
  state.failMoveStatus = 0;
  state.failBitmapCountdown = 0;
  state.failBitmapStatus = 0;
  state.lastProblem.clear();
  state.pending = false;
}

}  // namespace testing
}  // namespace movra::platform
