#pragma once
// One simulated volume as the volume layer sees it: its layout, kept current under a lock that
// all processes touching the volume share, and the three cluster controls answered from it.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/layout.h"
#include "platform/volume_access.h"

namespace movra::platform::detail {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

class SimulatedVolume {
 public:
  // A volume that lives only in this process.
  static std::shared_ptr<SimulatedVolume> InMemory(char letter, std::string_view layoutText);
  // A volume whose layout is the file "volume.layout" in `root` ("X:\"); `lockName` names the
  // mutex that every process touching the same folder shares.
  static std::shared_ptr<SimulatedVolume> OnDisk(char letter, std::wstring root,
                                                 const std::wstring& lockName);

  char Letter() const { return letter_; }
  bool IsInMemory() const { return !namedLock_; }

  // Whether the layout lists the file (a memory volume's files exist exactly so).
  bool ListsFile(const std::string& path);
  int32_t RetrievalPointers(const std::string& path, int64_t vcn, void* out, uint32_t outLength,
                            uint64_t& written);
  int32_t Bitmap(int64_t lcn, void* out, uint32_t outLength, uint64_t& written);
  // Applies the test choices (failing move, before-move hook) around the layout's move.
  int32_t Move(const std::string& path, int64_t vcn, int64_t lcn, uint32_t count);
  // Throws Exception when the layout cannot be read or written.
  void Take(int64_t lcn, int64_t length);
  std::string LayoutText();
  // Folds the moves journal into the layout file, when it holds any (the last handle to the
  // volume in this process has closed). Throws Exception when the lock cannot be taken.
  void Fold();

 private:
  class Lock;
  // Identity of the layout file's content as the file system stamps it.
  struct Stamp {
    DWORD IndexHigh, IndexLow, SizeHigh, SizeLow;
    FILETIME LastWrite;
    bool operator==(const Stamp& other) const;
  };

  SimulatedVolume(char letter, std::wstring root, UniqueHandle namedLock);
  // Under the lock: makes the model current; a failure status with the problem reported.
  int32_t Refresh();
  // Reads the layout file anew, then its journal.
  int32_t Load(HANDLE file, const Stamp& stamp);
  // Applies the journal's records past those applied already. `fresh`: the model is the
  // layout file alone, and a journal that does not belong to it is removed.
  int32_t ReadJournal(bool fresh);
  void Parse(std::string_view text, const std::string& source, int64_t maxClusters);
  // Under the lock, after a successful move of the model: records it durably.
  int32_t AppendMove(const std::string& path, int64_t vcn, int64_t lcn, uint32_t count);
  // Under the lock: writes the whole model as the layout file and drops the journal.
  int32_t Compact();
  int32_t Fail(int32_t status, const std::string& problem);
  std::optional<Stamp> ReadStamp(HANDLE file) const;
  std::wstring LayoutPath() const;
  std::wstring JournalPath() const;

  const char letter_;
  const std::wstring root_;
  const UniqueHandle namedLock_;  // null for a memory volume
  std::recursive_mutex mutex_;
  std::optional<VolumeLayout> layout_;
  std::string problem_;  // why the current layout is refused
  std::optional<Stamp> stamp_;
  // The layout file the model was read from, which the journal must name.
  uint64_t baseSize_ = 0;
  uint64_t baseHash_ = 0;
  // Bytes of the journal applied to the model; 0 while it holds nothing for this layout file.
  uint64_t journalLength_ = 0;
  std::optional<std::pair<DWORD, DWORD>> journalId_;  // its file index
  // Where the last bitmap answer that left more to come ended: the request that goes on from
  // there is the same scan, answered from the same model without looking at the files again.
  int64_t scanNext_ = -1;
};

// The simulated volume of a drive letter, or null when the platform's own answers apply.
std::shared_ptr<SimulatedVolume> SimulatedVolumeOf(char letter);
// The drive type a test chose for the root or its letter (or a memory volume's); false when
// the platform decides.
bool ChosenDriveType(const std::string& root, unsigned& type);
bool PendingAnswers();
void ReportProblem(const std::string& problem);

// CreateFileW as the engine opens files and volumes: read access, shared read and write,
// existing only, with `flags`.
HANDLE OpenShared(const std::wstring& path, DWORD flags);
// The name under which a full path opens: paths of MAX_PATH characters or more get the
// "\\?\" (or "\\?\UNC\") form, shorter ones stay as they are.
std::wstring LongPathForm(const std::wstring& path);
// NtFsControlFile as the platform answers it.
int32_t RealFsControl(HANDLE handle, IoStatus& io, uint32_t code, const void* input,
                      uint32_t inputLength, void* output, uint32_t outputLength);

}  // namespace movra::platform::detail
