#include "profiles/settings.h"

#include <windows.h>

#include <exception>
#include <future>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>

#include "profiles/xml_document.h"
#include "runtime/exception.h"
#include "runtime/system_error.h"
#include "runtime/text.h"

namespace movra {
namespace {

std::string FolderOf(const std::string& path) {
  const size_t delimiter = path.find_last_of("\\/");
  return delimiter == std::string::npos ? std::string() : path.substr(0, delimiter + 1);
}

bool Missing(const std::string& path) {
  if (GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

Exception SystemFailure(const std::string& what) {
  return Exception(what + ": " + SystemErrorText(static_cast<int32_t>(GetLastError())));
}

// A large file is read on a thread of its own, which the caller waits for. Under Wine a long
// burst of work on a window's thread leaves that thread's next calls into the window system slow
// for a while: a file of thousands of profiles takes a tenth of a second to read, and read on
// the main window's thread it made the window 40 ms slower to show.
std::unique_ptr<TXmlTree> ReadTree(const std::string& path) {
  constexpr ULONGLONG kLargeFile = 256 * 1024;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const bool large = GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data) &&
                     ((ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow) >= kLargeFile;
  if (!large) return std::make_unique<TXmlTree>(path);
  std::future<std::unique_ptr<TXmlTree>> reading;
  try {
    reading = std::async(std::launch::async, [&path] { return std::make_unique<TXmlTree>(path); });
  } catch (const std::system_error&) {
    // No thread to be had: the file is no less readable here.
    return std::make_unique<TXmlTree>(path);
  }
  return reading.get();
}

// Each profile is read on its own: a damaged one loses only itself. False when one was lost.
bool ReadProfiles(const TXmlNode& root, const TProfileSink& addProfile) {
  bool complete = true;
  try {
    const std::optional<TXmlNode> profiles = root.Child("Profiles");
    if (!profiles) return true;
    for (const TXmlNode& element : profiles->Children()) {
      // One cut off by the damage may still read, with less in it than was saved.
      if (!element.Whole()) return false;
      try {
        addProfile(TProfile::CreateFromNode(element));
      } catch (const std::exception&) {
        complete = false;
      }
    }
  } catch (const std::exception&) {
    complete = false;
  }
  return complete;
}

void ReadOptions(const TXmlNode* root, TOptions& options) {
  try {
    std::optional<TXmlNode> element;
    if (root != nullptr) element = root->Child("Options");
    // Cut off by the damage, they would read as defaults where they were not.
    if (element && !element->Whole()) element.reset();
    options.CreateFromNode(element ? &*element : nullptr);
  } catch (const std::exception&) {
    options.CreateFromNode(nullptr);
  }
}

// A new empty file in the folder of `path`, where it can replace `path` in one step.
std::string TemporaryFileBeside(const std::string& path) {
  const std::string folder = FolderOf(path);
  wchar_t name[MAX_PATH];
  const auto cannot = [&] {
    return SystemFailure("Cannot create a temporary file beside " + path);
  };
  if (GetTempFileNameW(Utf8ToWide(folder.empty() ? "." : folder).c_str(), L"cfg", 0, name) == 0)
    throw cannot();
  // Wine gives a name even where it could not make the file, and no reason why: made again
  // here, the system says why (a folder that may not be written, a missing one).
  if (GetFileAttributesW(name) == INVALID_FILE_ATTRIBUTES) {
    HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) throw cannot();
    CloseHandle(file);
  }
  return WideToUtf8(name);
}

void FlushToDisk(const std::string& path) {
  HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw SystemFailure("Cannot open " + path);
  const bool flushed = FlushFileBuffers(file);
  const DWORD error = GetLastError();
  CloseHandle(file);
  SetLastError(error);
  if (!flushed) throw SystemFailure("Cannot write " + path);
}

}  // namespace

std::string ConfigPath() { return FolderOf(ProgramFileName()) + "config.cfg"; }

namespace {

// The files read only in part whose copy could not be kept yet.
class TUnsavedFiles {
 public:
  void Add(const std::string& path) {
    std::lock_guard guard(mutex_);
    paths_.insert(AsciiLower(path));
  }
  void Remove(const std::string& path) {
    std::lock_guard guard(mutex_);
    paths_.erase(AsciiLower(path));
  }
  bool Contains(const std::string& path) const {
    std::lock_guard guard(mutex_);
    return paths_.count(AsciiLower(path)) != 0;
  }

 private:
  mutable std::mutex mutex_;
  std::set<std::string> paths_;
};

TUnsavedFiles& UnsavedFiles() {
  static TUnsavedFiles files;
  return files;
}

// Copies the file under the first free name of path + ".bak", path + ".1.bak", ...: a copy kept
// before may hold the only trace of profiles, and is never replaced. The copy's name, or empty
// when none could be made.
std::string KeepBackup(const std::string& path) {
  constexpr int kMostCopies = 10000;
  for (int number = 0; number < kMostCopies; ++number) {
    const std::string name = path + (number == 0 ? "" : "." + std::to_string(number)) + ".bak";
    if (CopyFileW(Utf8ToWide(path).c_str(), Utf8ToWide(name).c_str(), TRUE)) return name;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return {};
}

}  // namespace

TConfigRead LoadConfig(const std::string& path, const TProfileSink& addProfile,
                       TOptions& options) {
  if (Missing(path)) {
    ReadOptions(nullptr, options);
    return {TConfigState::Missing, {}};
  }
  std::unique_ptr<TXmlTree> document;
  std::optional<TXmlNode> root;
  try {
    document = ReadTree(path);
    root = document->Root();
    if (root->Name() != "Config") root.reset();
  } catch (const std::exception&) {
    // Not well-formed, unreadable, or no component to read it with.
    root.reset();
  }
  const bool profilesRead = root && ReadProfiles(*root, addProfile);
  ReadOptions(root ? &*root : nullptr, options);
  if (profilesRead && document->Damage().empty()) return {TConfigState::Read, {}};
  if (std::string backup = KeepBackup(path); !backup.empty())
    return {TConfigState::Damaged, std::move(backup)};
  UnsavedFiles().Add(path);
  return {TConfigState::Unreadable, {}};
}

void SaveConfig(const std::string& path, const std::vector<const TProfile*>& profiles,
                const TOptions& options) {
  TXmlDocument document;
  TXmlElement config = document.CreateRoot("Config");
  TXmlElement profileList = config.AddChild("Profiles");
  TXmlElement optionsElement = config.AddChild("Options");
  for (const TProfile* profile : profiles) {
    TXmlElement element = profileList.AddChild("Profile");
    profile->WriteToNode(element);
  }
  options.WriteToNode(optionsElement);

  // A file that was read only in part is replaced only once a copy of it is kept.
  if (UnsavedFiles().Contains(path)) {
    if (KeepBackup(path).empty()) {
      const DWORD error = GetLastError();
      if (GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        throw Exception(path + " could not be read in full and is left as it is; it cannot be "
                        "copied: " + SystemErrorText(static_cast<int32_t>(error)));
      }
    }
    UnsavedFiles().Remove(path);
  }

  const std::string temporary = TemporaryFileBeside(path);
  try {
    document.Save(temporary);
    FlushToDisk(temporary);
    // What cannot be read back must not replace a file that can.
    if (const TXmlTree written(temporary); !written.Damage().empty())
      throw Exception("cannot load " + temporary + ", " + written.Damage());
    if (!MoveFileExW(Utf8ToWide(temporary).c_str(), Utf8ToWide(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      throw SystemFailure("Cannot replace " + path);
    }
  } catch (...) {
    DeleteFileW(Utf8ToWide(temporary).c_str());
    throw;
  }
}

TConfigRead LoadSettings(const std::string& path, const TProfileSink& addProfile,
                         TOptions& options) {
  TConfigRead read = LoadConfig(path, addProfile, options);
  ReadRegistrySettings(options);
  return read;
}

TRegistryWriteResult SaveSettings(const std::string& path,
                                  const std::vector<const TProfile*>& profiles,
                                  const TOptions& options) {
  // The file first: when it cannot be written nothing is, and giving the save up leaves the
  // settings as they were.
  SaveConfig(path, profiles, options);
  return WriteRegistrySettings(options);
}

}  // namespace movra
