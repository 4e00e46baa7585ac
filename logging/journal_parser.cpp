#include "logging/journal_parser.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>

#include "logging/journal_tags.h"

namespace movra {
namespace {

constexpr std::chrono::milliseconds kNumberingWait{50};

std::string DateText(const TJLLocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", t.Year, t.Month, t.Day);
  return text;
}

std::string TimeText(const TJLLocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", t.Hour, t.Minute, t.Second);
  return text;
}

std::string DateTimeText(const TJLLocalTime& t) { return DateText(t) + " " + TimeText(t) + " "; }

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string text;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += separator;
    text += parts[i];
  }
  return text;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) { return path.substr(FolderOf(path).size()); }

constexpr char kNoParameters[] = "(No params)";

}  // namespace

TJournalParser::TJournalParser(TMessageThread& writer)
    : writer_(writer), source_(std::make_unique<TJournalSource>()) {}

void TJournalParser::SetErrorStyle(const TJLErrorStyle& style) {
  errorStyle_ = style;
  const std::string& s = style.Separator;
  errorTitle_ = s + s + s + "    E R R O R    " + s + s + s;
  errorSeparatorLine_.clear();
  for (size_t i = TextWidth(errorTitle_); i > 0 && !s.empty(); --i) errorSeparatorLine_ += s;
}

std::string TJournalParser::ParameterLines() const {
  const std::vector<std::string> parameters = source_->Parameters();
  if (parameters.empty()) return kNoParameters;
  // Later parameters line up with the text of a numbered line.
  std::string separator = "\r\n";
  if (numberingOn_) separator += std::string(static_cast<size_t>(numberWidth_) + 1, ' ');
  return Joined(parameters, separator);
}

void TJournalParser::Evaluate(TJLToken& token, std::optional<TJLLocalTime>& now,
                              bool& numberingOff) {
  const auto localTime = [&]() -> const TJLLocalTime& {
    if (!now) now = source_->LocalTime();  // one reading for the whole text
    return *now;
  };
  switch (static_cast<TJLTag>(token.Id)) {
    case TJLTag::Group:
    case TJLTag::Fill:
    case TJLTag::Position:
      return;  // applied by the layout
    case TJLTag::LineBreak:
      token.Text.clear();
      return;
    case TJLTag::NumberingOff:
      numberingOff = true;
      token.Text.clear();
      break;
    case TJLTag::DateTimeTicks:
      token.Text = DateTimeText(localTime()) + std::to_string(source_->TickCount());
      break;
    case TJLTag::Time:
      token.Text = TimeText(localTime());
      break;
    case TJLTag::DateTime:
      token.Text = DateTimeText(localTime());
      break;
    case TJLTag::Date:
      token.Text = DateText(localTime());
      break;
    case TJLTag::Ticks:
      token.Text = std::to_string(source_->TickCount());
      break;
    case TJLTag::NextLineNumber:
      token.Text = std::to_string(lineCounter_ + 1);
      break;
    case TJLTag::ProgramVersion:
      token.Text = source_->ProgramVersion();
      break;
    case TJLTag::ProgramFile:
      token.Text = source_->ProgramFile();
      break;
    case TJLTag::ParameterLines:
      token.Text = ParameterLines();
      token.ResetsColumn = true;
      break;
    case TJLTag::Parameters: {
      const std::vector<std::string> parameters = source_->Parameters();
      token.Text = parameters.empty() ? kNoParameters : Joined(parameters, ", ");
      break;
    }
    case TJLTag::ProgramName:
      token.Text = NameOf(source_->ProgramFile());
      break;
    case TJLTag::ProgramFolder:
      token.Text = FolderOf(source_->ProgramFile());
      break;
    default:
      if (std::optional<std::string> reading = reports_.Reading(token.Id)) {
        token.Text = std::move(*reading);
      } else {
        token.Text = "#JLTag(" + token.Name + ")";
      }
      break;
  }
  token.Kind = TPieceKind::Plain;
}

TJournalParser::TExpansion TJournalParser::Expand(std::string_view text) {
  try {
    std::vector<TJLToken> tokens = ClassifyPieces(TokenizeJournalText(text));
    if (!tokens.empty() && tokens.front().WholeLine) return {reports_.Block(tokens.front().Id)};
    std::optional<TJLLocalTime> now;
    bool numberingOff = false;
    for (TJLToken& token : tokens) {
      if (token.Kind == TPieceKind::Tag) Evaluate(token, now, numberingOff);
    }
    return {LayOutTokens(std::move(tokens)), numberingOff};
  } catch (const std::exception& error) {
    return {{"#JLParsing(" + std::string(error.what()) + ")with:(" + std::string(text) + ")"}};
  }
}

std::string TJournalParser::NumberPrefix(int64_t number) const {
  std::string prefix = std::to_string(number);
  if (number <= largestPadded_ && prefix.size() < static_cast<size_t>(numberWidth_)) {
    const std::string padding(static_cast<size_t>(numberWidth_) - prefix.size(), ' ');
    prefix = rightAligned_ ? padding + prefix : prefix + padding;
  }
  return prefix + ' ';
}

TStringList TJournalParser::Finish(std::vector<std::string> lines, bool numberingOff) {
  TStringList finished;
  for (std::string& line : lines) {
    ++lineCounter_;
    finished.Add(numberingOn_ && !numberingOff ? NumberPrefix(lineCounter_) + line
                                               : std::move(line));
  }
  return finished;
}

TStringList TJournalParser::ExpandText(std::string_view text) {
  TExpansion expansion = Expand(text);
  return Finish(std::move(expansion.Lines), expansion.NumberingOff);
}

TStringList TJournalParser::ExpandList(const TStringList& texts) {
  // Each text sees the line numbers of those before it, though the numbering of all of them is
  // decided only at the end.
  std::vector<std::string> lines;
  bool numberingOff = false;
  const int64_t counterBefore = lineCounter_;
  for (const std::string& text : texts) {
    TExpansion expansion = Expand(text);
    numberingOff = numberingOff || expansion.NumberingOff;
    lineCounter_ += static_cast<int64_t>(expansion.Lines.size());
    std::move(expansion.Lines.begin(), expansion.Lines.end(), std::back_inserter(lines));
  }
  lineCounter_ = counterBefore;
  return Finish(std::move(lines), numberingOff);
}

TStringList TJournalParser::BuildErrorBlock(const TJLErrMsg& error) {
  std::string title = errorTitle_ + " ";
  if (error.Code != 0) title += "(" + std::to_string(error.Code) + ") ";
  if (!error.Message.empty()) title += "\"" + error.Message + "\" ";
  if (!error.Location.empty()) title += " in " + error.Location;

  std::vector<std::string> lines;
  const bool separators = !errorSeparatorLine_.empty();
  if (errorStyle_.BlankLines) lines.emplace_back();
  if (separators) lines.push_back(errorSeparatorLine_);
  lines.push_back(std::move(title));
  if (separators) lines.push_back(errorSeparatorLine_);
  if (errorStyle_.BlankLines) lines.emplace_back();
  return Finish(std::move(lines), false);
}

std::string TJournalParser::NumberLine(std::string_view line) {
  return Finish({std::string(line)}, false)[0];
}

bool TJournalParser::SetPendingNumbering(const TJLNumbering& numbering) {
  std::unique_lock lock(numberingMutex_, kNumberingWait);
  if (!lock) return false;
  pending_ = numbering;
  return true;
}

void TJournalParser::ApplyPendingNumbering() {
  std::unique_lock lock(numberingMutex_, kNumberingWait);
  if (!lock) return;
  numberingOn_ = pending_.On;
  numberWidth_ = std::clamp(pending_.Digits, 0, 18);
  largestPadded_ = 1;
  for (int i = 0; i < numberWidth_; ++i) largestPadded_ *= 10;
  --largestPadded_;
  rightAligned_ = pending_.RightAligned;
}

void TJournalParser::PostLines(TStringList lines) {
  // Once the writer has ended, its refusal drops the lines.
  writer_.Post(WM_JL_LINES, 0, std::make_unique<TJLLinesMsg>(std::move(lines)));
}

void TJournalParser::HandleParse(TThreadMessage& message) {
  switch (static_cast<TJLParseKind>(message.WParam)) {
    case TJLParseKind::Plain: {
      const std::string& text = PayloadOf<TJLStringMsg>(message).Text;
      writer_.Post(WM_JL_LINE, 0, std::make_unique<TJLStringMsg>(NumberLine(text)));
      break;
    }
    case TJLParseKind::Error:
      PostLines(BuildErrorBlock(PayloadOf<TJLErrMsg>(message)));
      break;
    case TJLParseKind::BlankLines: {
      const intptr_t count = std::clamp<intptr_t>(message.LParam, 0, kMaxBlankLines);
      PostLines(Finish(std::vector<std::string>(static_cast<size_t>(count)), false));
      break;
    }
    case TJLParseKind::Tagged:
      PostLines(ExpandText(PayloadOf<TJLStringMsg>(message).Text));
      break;
    case TJLParseKind::TaggedList:
      PostLines(ExpandList(PayloadOf<TJLLinesMsg>(message).Lines));
      break;
    case TJLParseKind::HeapReport:
      PostLines(Finish(reports_.Block(static_cast<int32_t>(TJLTag::HeapBlock)), false));
      break;
    case TJLParseKind::RamReport:
      PostLines(Finish(reports_.Block(static_cast<int32_t>(TJLTag::RamBlock)), false));
      break;
    default:  // typed values have no text in this system
      break;
  }
}

void TJournalParser::HandleControl(TThreadMessage& message) {
  const auto* snapshot = dynamic_cast<const TJLSnapshotMsg*>(message.Object.get());
  switch (static_cast<TJLControlKind>(message.WParam)) {
    case TJLControlKind::ApplyNumbering:
      ApplyPendingNumbering();
      break;
    case TJLControlKind::PushHeapSnapshot:
      if (snapshot) reports_.Heap().Push(snapshot->Snapshot);
      break;
    case TJLControlKind::PushRamSnapshot:
      if (snapshot) reports_.Ram().Push(snapshot->Snapshot);
      break;
    case TJLControlKind::ClearHeapMonitor:
      reports_.Heap().Clear();
      break;
    case TJLControlKind::ClearRamMonitor:
      reports_.Ram().Clear();
      break;
    case TJLControlKind::SetRulerWidth:
      reports_.SetRulerWidth(message.LParam);
      break;
  }
}

void TJournalParser::HandleMessage(TThreadMessage& message) {
  switch (message.Msg) {
    case WM_JL_CONTROL:
      HandleControl(message);
      break;
    case WM_JL_PARSE:
      HandleParse(message);
      break;
    case WM_JL_SYNC:
      writer_.Post(std::move(message));
      break;
    default:
      break;
  }
}

}  // namespace movra
