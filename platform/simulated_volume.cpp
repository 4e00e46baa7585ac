#include "platform/simulated_volume.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <map>
#include <vector>

#include "platform/simulation_hooks.h"
#include "runtime/exception.h"
#include "runtime/text.h"

namespace movra::platform {
namespace detail {
namespace {

constexpr wchar_t kLayoutName[] = L"volume.layout";
constexpr wchar_t kLayoutNewName[] = L"volume.layout.new";
// The moves made since the layout file was last written, one checked record a line.
constexpr wchar_t kJournalName[] = L"volume.layout.journal";
// A journal smaller than this is never folded only for its size.
constexpr uint64_t kFoldFloor = 1 << 20;

uint64_t Fnv64(std::string_view text) {
  uint64_t hash = 0xCBF29CE484222325ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001B3ull;
  }
  return hash;
}

std::string HexText(uint64_t value) {
  char text[20];
  std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(value));
  return text;
}

// A journal record: its fields separated by TABs, then a TAB and the check of what precedes
// it, then the line end. A record torn by a crash fails its check or lacks its line end.
std::string CheckedLine(std::initializer_list<std::string> fields) {
  std::string line;
  for (const std::string& field : fields) {
    if (!line.empty()) line += '\t';
    line += field;
  }
  const std::string check = HexText(Fnv64(line));
  return line + '\t' + check + '\n';
}

// The fields of a record whose check holds; nullopt for one that is damaged.
std::optional<std::vector<std::string_view>> CheckedRecord(std::string_view line) {
  const size_t tab = line.rfind('\t');
  if (tab == std::string_view::npos || line.substr(tab + 1) != HexText(Fnv64(line.substr(0, tab)))) {
    return std::nullopt;
  }
  std::vector<std::string_view> fields;
  std::string_view rest = line.substr(0, tab);
  for (;;) {
    const size_t next = rest.find('\t');
    fields.push_back(rest.substr(0, next));
    if (next == std::string_view::npos) return fields;
    rest.remove_prefix(next + 1);
  }
}

bool ReadNumber(std::string_view text, int64_t& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

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
  volume->Parse(layoutText, "memory volume " + std::string(1, letter) + ": ",
                VolumeLayout::kMaxClusters);
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

std::wstring SimulatedVolume::LayoutPath() const { return root_ + kLayoutName; }
std::wstring SimulatedVolume::JournalPath() const { return root_ + kJournalName; }

int32_t SimulatedVolume::Fail(int32_t status, const std::string& problem) {
  ReportProblem(problem);
  return status;
}

void SimulatedVolume::Parse(std::string_view text, const std::string& source,
                            int64_t maxClusters) {
  try {
    layout_ = VolumeLayout::Parse(text, maxClusters);
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
    const std::wstring path = LayoutPath();
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
      stamp_.reset();
      return Fail(kStatusUnexpectedIoError,
                  "cannot open " + WideToUtf8(path) + " (" + ErrorText(GetLastError()) + ")");
    }
    const std::optional<Stamp> stamp = ReadStamp(file.get());
    if (!stamp) {
      stamp_.reset();
      return Fail(kStatusUnexpectedIoError,
                  "cannot read " + WideToUtf8(path) + " (" + ErrorText(GetLastError()) + ")");
    }
    if (!stamp_ || !(*stamp == *stamp_)) return Load(file.get(), *stamp);
    if (problem_.empty()) {
      const int32_t status = ReadJournal(false);
      if (status != kStatusSuccess) return status;
    }
  }
  if (!problem_.empty()) return Fail(kStatusDiskCorruptError, problem_);
  return kStatusSuccess;
}

int32_t SimulatedVolume::Load(HANDLE file, const Stamp& stamp) {
  const std::string name = WideToUtf8(LayoutPath());
  std::string text;
  if (!ReadAll(file, (uint64_t{stamp.SizeHigh} << 32) | stamp.SizeLow, text)) {
    stamp_.reset();
    return Fail(kStatusUnexpectedIoError,
                "cannot read " + name + " (" + ErrorText(GetLastError()) + ")");
  }
  // Whoever wrote it holds the lock we hold now: a temporary file still there is the remains
  // of a writer that died.
  DeleteFileW((root_ + kLayoutNewName).c_str());
  Parse(text, name + " ", VolumeLayout::kMaxDiskClusters);
  stamp_ = stamp;
  baseSize_ = text.size();
  baseHash_ = Fnv64(text);
  journalLength_ = 0;
  journalId_.reset();
  if (!problem_.empty()) return Fail(kStatusDiskCorruptError, problem_);
  return ReadJournal(true);
}

int32_t SimulatedVolume::ReadJournal(bool fresh) {
  const std::wstring path = JournalPath();
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  const bool opened = file.get() != INVALID_HANDLE_VALUE;
  if (!opened || !GetFileInformationByHandle(file.get(), &info)) {
    if (journalLength_ == 0) return kStatusSuccess;
    // The moves the model holds are gone from disk: read what the files say now.
    stamp_.reset();
    return Refresh();
  }
  const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  const std::pair<DWORD, DWORD> id{info.nFileIndexHigh, info.nFileIndexLow};
  if (journalLength_ != 0 && (id != journalId_ || size < journalLength_)) {
    // Another journal than the one applied: start again from the layout file.
    file.reset();
    stamp_.reset();
    return Refresh();
  }
  if (size == journalLength_) return kStatusSuccess;
  LARGE_INTEGER offset;
  offset.QuadPart = static_cast<LONGLONG>(journalLength_);
  std::string text;
  if (!SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN) ||
      !ReadAll(file.get(), size - journalLength_, text)) {
    stamp_.reset();
    return Fail(kStatusUnexpectedIoError, "cannot read " + WideToUtf8(path) + " (" +
                                              ErrorText(GetLastError()) + ")");
  }
  file.reset();
  size_t pos = 0;
  bool belongs = journalLength_ != 0;
  for (;;) {
    const size_t end = text.find('\n', pos);
    if (end == std::string::npos) break;  // a record cut short by a crash: it never completed
    const std::optional<std::vector<std::string_view>> fields =
        CheckedRecord(std::string_view(text).substr(pos, end - pos));
    if (!fields) break;
    if (!belongs) {
      // The first record names the layout file the moves were made on.
      if (fields->size() != 3 || (*fields)[0] != "layout" ||
          (*fields)[1] != std::to_string(baseSize_) || (*fields)[2] != HexText(baseHash_)) {
        break;
      }
      belongs = true;
    } else {
      int64_t vcn = 0, lcn = 0, count = 0;
      if (fields->size() != 5 || (*fields)[0] != "move" || !ReadNumber((*fields)[2], vcn) ||
          !ReadNumber((*fields)[3], lcn) || !ReadNumber((*fields)[4], count) || count <= 0 ||
          count > UINT32_MAX ||
          layout_->Move((*fields)[1], vcn, lcn, static_cast<uint32_t>(count)) != kStatusSuccess) {
        break;
      }
    }
    pos = end + 1;
  }
  if (!belongs) {
    // The journal of an earlier layout file, left by a fold that died before removing it.
    if (fresh) DeleteFileW(path.c_str());
    return kStatusSuccess;
  }
  // Whatever follows the last whole record is cut off by the next record appended.
  journalLength_ += pos;
  journalId_ = id;
  return kStatusSuccess;
}

int32_t SimulatedVolume::AppendMove(const std::string& path, int64_t vcn, int64_t lcn,
                                    uint32_t count) {
  const std::wstring journal = JournalPath();
  std::string text;
  if (journalLength_ == 0) {
    text = CheckedLine({"layout", std::to_string(baseSize_), HexText(baseHash_)});
  }
  text += CheckedLine({"move", path, std::to_string(vcn), std::to_string(lcn),
                       std::to_string(count)});
  UniqueHandle file(CreateFileW(journal.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER offset;
  offset.QuadPart = static_cast<LONGLONG>(journalLength_);
  BY_HANDLE_FILE_INFORMATION info;
  const bool written = file.get() != INVALID_HANDLE_VALUE &&
                       SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN) &&
                       SetEndOfFile(file.get()) && WriteAll(file.get(), text) &&
                       FlushFileBuffers(file.get()) &&
                       GetFileInformationByHandle(file.get(), &info);
  if (!written) {
    const DWORD error = GetLastError();
    if (file.get() != INVALID_HANDLE_VALUE &&
        SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN)) {
      SetEndOfFile(file.get());
    }
    stamp_.reset();  // the next control reads what is on disk
    return Fail(kStatusUnexpectedIoError,
                "cannot write " + WideToUtf8(journal) + " (" + ErrorText(error) + ")");
  }
  file.reset();
  journalLength_ += text.size();
  journalId_ = std::pair<DWORD, DWORD>{info.nFileIndexHigh, info.nFileIndexLow};
  // Folded once it outgrows the layout, so that reading it never costs more than the layout.
  if (journalLength_ > std::max<uint64_t>(baseSize_, kFoldFloor)) Compact();
  return kStatusSuccess;
}

int32_t SimulatedVolume::Compact() {
  if (IsInMemory()) return kStatusSuccess;
  const std::wstring path = LayoutPath();
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
    stamp_.reset();  // the next control reads the layout and journal still on disk
    return Fail(kStatusUnexpectedIoError,
                "cannot rewrite " + WideToUtf8(path) + " (" + ErrorText(error) + ")");
  }
  // From here the journal names the old layout file and is never applied again, even where it
  // cannot be removed.
  DeleteFileW(JournalPath().c_str());
  baseSize_ = text.size();
  baseHash_ = Fnv64(text);
  journalLength_ = 0;
  journalId_.reset();
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
  const bool sameScan = layout_ && lcn >= 0 && lcn == scanNext_;
  scanNext_ = -1;
  if (!sameScan) {
    const int32_t status = Refresh();
    if (status != kStatusSuccess) return status;
  }
  const int32_t status = layout_->Bitmap(lcn, out, outLength, written);
  if (status == kStatusBufferOverflow && written > sizeof(VolumeBitmapHeader)) {
    scanNext_ = (lcn & ~int64_t{7}) +
                static_cast<int64_t>((written - sizeof(VolumeBitmapHeader)) * 8);
  }
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
  scanNext_ = -1;
  if (const auto hook = BeforeMoveHook()) hook(letter_);
  status = Refresh();
  if (status != kStatusSuccess) return status;
  status = layout_->Move(path, vcn, lcn, count);
  if (status != kStatusSuccess || IsInMemory()) return status;
  return AppendMove(path, vcn, lcn, count);
}

void SimulatedVolume::Take(int64_t lcn, int64_t length) {
  Lock lock(*this);
  scanNext_ = -1;
  if (Refresh() != kStatusSuccess) throw Exception(LastSimulationProblem());
  layout_->Take(lcn, length);
  if (Compact() != kStatusSuccess) throw Exception(LastSimulationProblem());
}

std::string SimulatedVolume::LayoutText() {
  Lock lock(*this);
  return Refresh() == kStatusSuccess ? layout_->Serialize() : std::string();
}

void SimulatedVolume::Fold() {
  if (IsInMemory()) return;
  Lock lock(*this);
  if (Refresh() == kStatusSuccess && journalLength_ != 0) Compact();
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

std::string DiskVolumeLayout(char letter) {
  const auto volume = detail::SimulatedVolumeOf(letter);
  if (!volume || volume->IsInMemory()) return {};
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
