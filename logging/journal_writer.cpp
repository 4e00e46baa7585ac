#include "logging/journal_writer.h"

#include <windows.h>

#include <algorithm>

#include "logging/journal_messages.h"
#include "runtime/exception.h"
#include "runtime/text.h"

namespace movra {
namespace {

// A turn's lines are written early once they reach this size.
constexpr size_t kFlushSize = size_t{1} << 20;

}  // namespace

TJLFileDef TJLFileDef::ForFile(std::string_view path) {
  TJLFileDef def;
  const size_t slash = path.find_last_of("\\/");
  const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  def.Folder = path.substr(0, nameStart);
  std::string_view name = path.substr(nameStart);
  const size_t dot = name.rfind('.');
  def.BaseName = name.substr(0, dot);
  if (dot != std::string_view::npos) def.Extension = name.substr(dot);
  return def;
}

TJLFileDef TJLFileDef::ForProgram() {
  TJLFileDef def = ForFile(ProgramFileName());
  def.Extension = ".log";
  return def;
}

void TJournalWriter::THandleCloser::operator()(void* handle) const noexcept {
  CloseHandle(handle);
}

TJournalWriter::TJournalWriter(TJLFileDef file) : file_(std::move(file)) {}

TJournalWriter::~TJournalWriter() = default;

bool TJournalWriter::BeginThread() {
  // Others may read the log while it grows, but nobody else may write it.
  HANDLE handle = CreateFileW(Utf8ToWide(file_.FileName()).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    ready_ = false;
    return false;
  }
  handle_.reset(handle);
  opened_ = true;
  return true;
}

void TJournalWriter::SetForward(TMessageThread* visual) {
  std::lock_guard lock(forwardMutex_);
  visual_ = visual;
}

bool TJournalWriter::Forwarding() {
  std::lock_guard lock(forwardMutex_);
  return visual_ != nullptr;
}

void TJournalWriter::ForwardWritten() noexcept {
  std::vector<TThreadMessage> written = std::move(written_);
  written_.clear();
  std::lock_guard lock(forwardMutex_);
  try {
    for (TThreadMessage& message : written) {
      if (visual_) visual_->Post(std::move(message));  // a refused message is freed
    }
  } catch (...) {
    // Out of memory: the rest is in the file, but not shown.
  }
}

void TJournalWriter::KeepForVisual(TThreadMessage& message) noexcept {
  if (!Forwarding()) return;
  try {
    written_.push_back(std::move(message));
  } catch (...) {
    // Out of memory: written, but not shown.
  }
}

void TJournalWriter::HandleMessage(TThreadMessage& message) {
  switch (message.Msg) {
    case WM_JL_LINE:
      pending_ += PayloadOf<TJLStringMsg>(message).Text;
      KeepForVisual(message);
      break;
    case WM_JL_LINES:
      for (const std::string& line : PayloadOf<TJLLinesMsg>(message).Lines) {
        pending_ += line;
        pending_ += "\r\n";
      }
      KeepForVisual(message);
      break;
    case WM_JL_SYNC:
      Flush();
      PayloadOf<TJLSyncMsg>(message).Written.set_value();
      break;
    default:
      break;
  }
  if (pending_.size() >= kFlushSize) Flush();
}

void TJournalWriter::EndTurn() { Flush(); }

void TJournalWriter::EndThread() noexcept { handle_.reset(); }

void TJournalWriter::Flush() {
  size_t done = 0;
  while (done < pending_.size()) {
    const auto chunk = static_cast<DWORD>(std::min<size_t>(pending_.size() - done, kFlushSize));
    DWORD written = 0;
    if (!WriteFile(handle_.get(), pending_.data() + done, chunk, &written, nullptr) ||
        written == 0) {
      ready_ = false;
      throw Exception("The log file cannot be written");
    }
    done += written;
  }
  pending_.clear();
  ForwardWritten();
  // One huge message must not pin its buffer for the rest of the run.
  if (pending_.capacity() > 4 * kFlushSize) std::string().swap(pending_);
}

}  // namespace movra
