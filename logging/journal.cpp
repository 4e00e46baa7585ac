#include "logging/journal.h"

#include <chrono>
#include <future>
#include <thread>

#include "logging/journal_messages.h"
#include "logging/journal_parser.h"
#include "logging/journal_visual.h"
#include "logging/journal_writer.h"
#include "runtime/system_error.h"

namespace movra {
namespace {

// The bullet (U+2022) that frames error blocks.
constexpr char kJournalBullet[] = "\xE2\x80\xA2";

}  // namespace

TJournal::TJournal() : TJournal(TJLFileDef::ForProgram()) {}

TJournal::TJournal(const std::string& logFile) : TJournal(TJLFileDef::ForFile(logFile)) {}

TJournal::TJournal(const TJLFileDef& file)
    : writer_(std::make_unique<TJournalWriter>(file)),
      parser_(std::make_unique<TJournalParser>(writer_->Thread())),
      header_{"{/}{LNumOff}{*80*}", ">>>> Start {App_name}  v {App_ver}{80@}{&}{dte} {hms}{&}",
              "{@12}From : {App_path}", "{@12}Prms : {App_prm-}{/}"},
      footer_{"{LNumOff}", "<<<< Stop  {App_name}{80@}{&}{dte} {hms}{&}", "{*80*}{/}"} {
  parser_->SetErrorStyle({kJournalBullet, true});
}

TJournal::~TJournal() { Stop(); }

void TJournal::StartLogging() noexcept {
  try {
    std::lock_guard lock(lifecycle_);
    if (started_) return;
    started_ = true;
    // The writer takes messages before the parser can produce any, so no line posted once
    // this returns is lost between them.
    writer_->Thread().Start();
    parser_->Thread().Start();
    while (writer_->Ready() && !writer_->Opened() && writer_->Thread().Running()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  } catch (...) {
    // No thread could be made: logging stays off.
  }
}

bool TJournal::SetFileName(const std::string& logFile) noexcept {
  try {
    std::lock_guard lock(lifecycle_);
    if (started_) return false;
    writer_->SetFileDef(TJLFileDef::ForFile(logFile));
    return true;
  } catch (...) {
    return false;
  }
}

std::string TJournal::FileName() const {
  std::lock_guard lock(lifecycle_);
  return writer_->FileDef().FileName();
}

bool TJournal::PostParse(uintptr_t kind, std::unique_ptr<TMessagePayload> payload) {
  return parser_->Thread().Post(WM_JL_PARSE, kind, std::move(payload));
}

void TJournal::Add(const std::string& text) noexcept {
  if (!parser_->Thread().Running()) return;
  try {
    PostParse(static_cast<uintptr_t>(TJLParseKind::Tagged), std::make_unique<TJLStringMsg>(text));
  } catch (...) {
  }
}

void TJournal::AddStrings(const TStringList& lines) noexcept {
  if (!parser_->Thread().Running()) return;
  try {
    std::unique_ptr<TJLLinesMsg> copy;
    try {
      copy = std::make_unique<TJLLinesMsg>(lines);
    } catch (...) {
      PostParse(static_cast<uintptr_t>(TJLParseKind::Plain),
                std::make_unique<TJLStringMsg>("#JL_Invalid_TSList"));
      return;
    }
    PostParse(static_cast<uintptr_t>(TJLParseKind::TaggedList), std::move(copy));
  } catch (...) {
  }
}

void TJournal::PostError(const std::string& message, int32_t code) noexcept {
  if (!parser_->Thread().Running()) return;
  try {
    PostParse(static_cast<uintptr_t>(TJLParseKind::Error),
              std::make_unique<TJLErrMsg>(message, code));
  } catch (...) {
  }
}

void TJournal::AddException(const std::exception& error, int32_t code) noexcept {
  try {
    PostError(error.what(), code);
  } catch (...) {
  }
}

void TJournal::AddError(int32_t code) noexcept {
  try {
    PostError(SystemErrorText(code), code);
  } catch (...) {
  }
}

void TJournal::Stop() noexcept {
  try {
    std::lock_guard lock(lifecycle_);
    if (stopped_) return;
    stopped_ = true;
    started_ = true;
    {
      std::lock_guard visual(visualLock_);
      if (visual_ && !StopFeedingLocked()) StopFeedingLocked();
    }
    // The parser hands everything it was given to the writer before it ends, and the writer
    // writes all of it before it ends in turn.
    parser_->Thread().Quit();
    parser_->Thread().Join();
    writer_->Thread().Quit();
    writer_->Thread().Join();
    std::lock_guard visual(visualLock_);
    EndVisualLocked();
  } catch (...) {
  }
}

void TJournal::StartVisualFeedback(TJournalMemoSink& sink) noexcept {
  try {
    std::lock_guard lock(visualLock_);
    if (!writer_->Thread().Running()) return;
    if (!visual_) {
      auto visual = std::make_unique<TJournalVisual>(sink);
      visual->Thread().Start();
      visual_ = std::move(visual);
    }
    visual_->SetFeeding(true, [this] { writer_->SetForward(&visual_->Thread()); });
  } catch (...) {
    // No thread could be made: the memo stays empty.
  }
}

bool TJournal::StopFeedingLocked() {
  return visual_->SetFeeding(false, [this] { writer_->SetForward(nullptr); });
}

bool TJournal::StopVisualFeedback() noexcept {
  try {
    std::lock_guard lock(visualLock_);
    return !visual_ || StopFeedingLocked();
  } catch (...) {
    return false;
  }
}

void TJournal::SetScrollToLastLine(bool on) noexcept {
  std::lock_guard lock(visualLock_);
  if (visual_) visual_->SetScrollToLastLine(on);
}

void TJournal::SetMemoLineLimit(int limit) noexcept {
  std::lock_guard lock(visualLock_);
  if (visual_) visual_->SetLineLimit(limit);
}

void TJournal::EndVisualFeedback(const TJournalMemoSink& sink) noexcept {
  try {
    std::lock_guard lock(visualLock_);
    if (visual_ && &visual_->Sink() == &sink) EndVisualLocked();
  } catch (...) {
  }
}

void TJournal::EndVisualLocked() {
  if (!visual_) return;
  // Whether or not feeding could be switched off in time, the writer hands on nothing more and
  // the visual thread stops waiting for the memo's thread, so it ends however busy that is.
  StopFeedingLocked();
  writer_->SetForward(nullptr);
  visual_->Close();
  visual_->Thread().Quit();
  visual_->Thread().Join();
  visual_.reset();
}

bool TJournal::WaitWritten(uint32_t milliseconds) noexcept {
  try {
    auto sync = std::make_unique<TJLSyncMsg>();
    std::future<void> written = sync->Written.get_future();
    if (!parser_->Thread().Post(WM_JL_SYNC, 0, std::move(sync))) return false;
    if (written.wait_for(std::chrono::milliseconds(milliseconds)) != std::future_status::ready) {
      return false;
    }
    written.get();  // throws when the message was dropped on the way
    return true;
  } catch (...) {
    return false;
  }
}

TJournal& GlobalJournal() {
  static TJournal journal;
  return journal;
}

void SetGlobalJournalFile(const std::string& logFile) { GlobalJournal().SetFileName(logFile); }

std::string GlobalJournalFile() { return GlobalJournal().FileName(); }

namespace {

// Made at start-up, before the objects that may still log while they are destroyed at exit.
[[maybe_unused]] const TJournal& startUpJournal = GlobalJournal();

}  // namespace

}  // namespace movra
