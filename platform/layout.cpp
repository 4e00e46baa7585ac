#include "platform/layout.h"

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <cstring>

#include "platform/volume_access.h"
#include "runtime/text.h"

namespace movra::platform {
namespace {

// Large enough for any file, small enough that VCN sums never overflow.
constexpr int64_t kMaxVcn = int64_t{1} << 62;

// An occupied run as read from the text, kept with its origin for the error messages.
struct SourceRun {
  int64_t Lcn;
  int64_t Length;
  int Line;
  size_t File;  // VolumeLayout::kNoFile: a `used` record
};

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

bool ParseInt(std::string_view text, int64_t& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

void AppendNumber(std::string& out, int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendRun(std::string& out, int64_t lcn, int64_t length) {
  AppendNumber(out, lcn);
  out += ':';
  AppendNumber(out, length);
}

std::string RunText(int64_t lcn, int64_t length) {
  std::string text;
  AppendRun(text, lcn, length);
  return text;
}

// Adds an extent after the last one, joining it to the last when the two continue each other
// on the volume (or are both holes), as the file system keeps its run lists.
void AppendJoined(std::vector<LayoutExtent>& extents, const LayoutExtent& next) {
  if (!extents.empty()) {
    LayoutExtent& last = extents.back();
    const bool bothHoles = last.Lcn == VolumeLayout::kHole && next.Lcn == VolumeLayout::kHole;
    const bool adjacent = last.Lcn != VolumeLayout::kHole && next.Lcn != VolumeLayout::kHole &&
                          last.Lcn + last.Length == next.Lcn;
    if (bothHoles || adjacent) {
      last.Length += next.Length;
      return;
    }
  }
  extents.push_back(next);
}

void SetBits(uint8_t* bits, uint64_t from, uint64_t to) {
  for (; from < to && (from & 7) != 0; ++from) bits[from >> 3] |= uint8_t(1u << (from & 7));
  if (from < to) {
    const uint64_t wholeBytes = (to - from) >> 3;
    std::memset(bits + (from >> 3), 0xFF, wholeBytes);
    from += wholeBytes << 3;
  }
  for (; from < to; ++from) bits[from >> 3] |= uint8_t(1u << (from & 7));
}

// Why a listed path can never be the path of a file below the volume root, as files are
// opened there (each name of it must survive the system's full-path form unchanged); null
// when it can.
const char* PathFault(std::string_view path) {
  if (path.empty()) return "empty";
  size_t start = 0;
  for (;;) {
    const size_t end = path.find_first_of("\\/", start);
    const std::string_view name =
        path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (name.empty()) {
      return start == 0 ? "it starts at the root of a drive" : "it holds an empty name";
    }
    if (name == "." || name == "..") return "it steps through \".\" or \"..\"";
    for (const char c : name) {
      const auto code = static_cast<unsigned char>(c);
      if (code == 0) return "it holds a NUL";
      if (code < 0x20) return "it holds a control character";
      if (c == ':') return "it names a drive or a stream";
    }
    if (name.back() == '.' || name.back() == ' ') {
      return "a name of it ends with a dot or a blank, which the system drops";
    }
    if (end == std::string_view::npos) return nullptr;
    start = end + 1;
  }
}

class LayoutParser {
 public:
  void Line(int number, std::string_view text);
  // Checks what only the whole text can show; returns the occupied runs sorted by LCN.
  std::vector<SourceRun> Finish();

  int64_t maxTotal = VolumeLayout::kMaxDiskClusters;
  int64_t total = 0;
  int64_t bytesPerCluster = 0;
  std::vector<LayoutFile> files;
  std::unordered_map<std::string, size_t> index;
  std::vector<LayoutExtent> usedRecords;

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw LayoutError("line " + std::to_string(line_) + ": " + what);
  }
  void ExpectFields(const std::vector<std::string_view>& fields, size_t count) const;
  int64_t Number(std::string_view text, int64_t low, int64_t high, const char* what) const;
  void AddFile(std::string_view path, std::vector<LayoutExtent> extents);
  std::vector<LayoutExtent> Extents(std::string_view text) const;
  void CheckRun(int64_t lcn, int64_t length, const std::string& token) const;

  int line_ = 0;
  bool haveVolume_ = false;
  std::vector<SourceRun> runs_;
  std::vector<int> fileLines_;
};

void LayoutParser::ExpectFields(const std::vector<std::string_view>& fields, size_t count) const {
  if (fields.size() != count) {
    Fail("a \"" + std::string(fields[0]) + "\" record has " + std::to_string(count - 1) +
         " field(s) separated by one TAB, not " + std::to_string(fields.size() - 1));
  }
}

int64_t LayoutParser::Number(std::string_view text, int64_t low, int64_t high,
                             const char* what) const {
  int64_t value = 0;
  if (!ParseInt(text, value) || value < low || value > high) {
    Fail(std::string("bad ") + what + " \"" + std::string(text) + "\" (expected " +
         std::to_string(low) + " to " + std::to_string(high) + ")");
  }
  return value;
}

void LayoutParser::CheckRun(int64_t lcn, int64_t length, const std::string& token) const {
  if (lcn + length > total) {
    Fail("\"" + token + "\" reaches past the end of the volume (" + std::to_string(total) +
         " clusters)");
  }
}

std::vector<LayoutExtent> LayoutParser::Extents(std::string_view text) const {
  std::vector<LayoutExtent> extents;
  int64_t nextVcn = 0;
  for (std::string_view token : Split(text, ' ')) {
    if (token.empty()) continue;
    const auto parts = Split(token, ':');
    const std::string tokenText(token);
    if (parts.size() != 3) Fail("bad extent \"" + tokenText + "\" (expected vcn:lcn:length)");
    LayoutExtent extent;
    extent.Vcn = Number(parts[0], 0, kMaxVcn, "VCN");
    extent.Lcn = Number(parts[1], VolumeLayout::kHole, VolumeLayout::kMaxClusters - 1, "LCN");
    extent.Length = Number(parts[2], 1, kMaxVcn, "length");
    if (extent.Vcn != nextVcn) {
      Fail("extent \"" + tokenText + "\" starts at VCN " + std::to_string(extent.Vcn) +
           ", expected " + std::to_string(nextVcn));
    }
    if (extent.Length > kMaxVcn - extent.Vcn) {
      Fail("extent \"" + tokenText + "\" makes the file too long");
    }
    if (extent.Lcn != VolumeLayout::kHole) CheckRun(extent.Lcn, extent.Length, tokenText);
    nextVcn = extent.Vcn + extent.Length;
    extents.push_back(extent);
  }
  if (extents.empty()) Fail("a \"file\" record without extents (use \"resident\")");
  return extents;
}

void LayoutParser::AddFile(std::string_view path, std::vector<LayoutExtent> extents) {
  if (const char* why = PathFault(path)) {
    Fail("bad path \"" + EscapeControlCharacters(path) + "\" (" + why +
         "; expected a path relative to the volume root)");
  }
  const auto [where, added] = index.emplace(FoldPath(path), files.size());
  if (!added) {
    Fail("\"" + std::string(path) + "\" is already listed on line " +
         std::to_string(fileLines_[where->second]));
  }
  for (const LayoutExtent& extent : extents) {
    if (extent.Lcn != VolumeLayout::kHole) {
      runs_.push_back({extent.Lcn, extent.Length, line_, files.size()});
    }
  }
  files.push_back({std::string(path), std::move(extents)});
  fileLines_.push_back(line_);
}

void LayoutParser::Line(int number, std::string_view text) {
  line_ = number;
  const auto fields = Split(text, '\t');
  const std::string_view kind = fields[0];
  if (!haveVolume_ && kind != "volume") Fail("the first record must be \"volume\"");
  if (kind == "volume") {
    if (haveVolume_) Fail("a second \"volume\" record");
    ExpectFields(fields, 3);
    total = Number(fields[1], 1, VolumeLayout::kMaxClusters, "total clusters");
    if (total > maxTotal) {
      Fail("a volume of " + std::to_string(total) + " clusters is larger than the file system " +
           "allows (at most " + std::to_string(maxTotal) + " clusters)");
    }
    bytesPerCluster = Number(fields[2], 512, 1 << 21, "bytes per cluster");
    if ((bytesPerCluster & (bytesPerCluster - 1)) != 0) {
      Fail("bytes per cluster " + std::to_string(bytesPerCluster) + " is not a power of two");
    }
    haveVolume_ = true;
  } else if (kind == "file") {
    ExpectFields(fields, 3);
    AddFile(fields[1], Extents(fields[2]));
  } else if (kind == "resident") {
    ExpectFields(fields, 2);
    AddFile(fields[1], {});
  } else if (kind == "used") {
    ExpectFields(fields, 2);
    const auto parts = Split(fields[1], ':');
    if (parts.size() != 2) Fail("bad run \"" + std::string(fields[1]) + "\" (expected lcn:length)");
    const int64_t lcn = Number(parts[0], 0, VolumeLayout::kMaxClusters - 1, "LCN");
    const int64_t length = Number(parts[1], 1, VolumeLayout::kMaxClusters, "length");
    CheckRun(lcn, length, std::string(fields[1]));
    runs_.push_back({lcn, length, line_, VolumeLayout::kNoFile});
    usedRecords.push_back({0, lcn, length});
  } else {
    Fail("unknown record \"" + std::string(kind) + "\"");
  }
}

std::vector<SourceRun> LayoutParser::Finish() {
  if (!haveVolume_) throw LayoutError("no \"volume\" record");
  std::sort(runs_.begin(), runs_.end(),
            [](const SourceRun& a, const SourceRun& b) { return a.Lcn < b.Lcn; });
  const auto describe = [this](const SourceRun& run) {
    const std::string where = RunText(run.Lcn, run.Length);
    return run.File == VolumeLayout::kNoFile
               ? "the used run " + where
               : "clusters " + where + " of \"" + files[run.File].Path + "\"";
  };
  for (size_t i = 1; i < runs_.size(); ++i) {
    const SourceRun& before = runs_[i - 1];
    const SourceRun& after = runs_[i];
    if (before.Lcn + before.Length > after.Lcn) {
      const SourceRun& later = before.Line > after.Line ? before : after;
      const SourceRun& earlier = before.Line > after.Line ? after : before;
      line_ = later.Line;
      Fail(describe(later) + " and " + describe(earlier) + " on line " +
           std::to_string(earlier.Line) + " overlap");
    }
  }
  return std::move(runs_);
}

}  // namespace

std::string FoldPath(std::string_view path) {
  std::string folded(path);
  bool ascii = true;
  for (char& c : folded) {
    if (c == '/') c = '\\';
    if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (ascii) return folded;
  std::wstring wide = Utf8ToWide(folded);
  const int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(),
                              static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr, 0);
  std::wstring upper(static_cast<size_t>(std::max(n, 0)), L'\0');
  LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()),
                upper.data(), n, nullptr, nullptr, 0);
  return WideToUtf8(upper);
}

VolumeLayout VolumeLayout::Parse(std::string_view text, int64_t maxClusters) {
  VolumeLayout layout;
  LayoutParser parser;
  parser.maxTotal = std::min(maxClusters, kMaxClusters);
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  int number = 0;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    parser.Line(number, line);
  }
  const std::vector<SourceRun> runs = parser.Finish();
  layout.total_ = parser.total;
  layout.bytesPerCluster_ = parser.bytesPerCluster;
  layout.files_ = std::move(parser.files);
  layout.index_ = std::move(parser.index);
  layout.usedRecords_ = std::move(parser.usedRecords);
  for (const SourceRun& run : runs) {
    if (!layout.used_.empty() && layout.used_.rbegin()->second == run.Lcn) {
      layout.used_.rbegin()->second = run.Lcn + run.Length;
    } else {
      layout.used_.emplace_hint(layout.used_.end(), run.Lcn, run.Lcn + run.Length);
    }
  }
  return layout;
}

std::string VolumeLayout::Serialize() const {
  std::string out;
  out.reserve(64 + usedRecords_.size() * 24 + files_.size() * 64);
  out += "volume\t";
  AppendNumber(out, total_);
  out += '\t';
  AppendNumber(out, bytesPerCluster_);
  out += '\n';
  for (const LayoutExtent& run : usedRecords_) {
    out += "used\t";
    AppendRun(out, run.Lcn, run.Length);
    out += '\n';
  }
  for (const LayoutFile& file : files_) {
    out += file.Extents.empty() ? "resident\t" : "file\t";
    out += file.Path;
    char separator = '\t';
    for (const LayoutExtent& extent : file.Extents) {
      out += separator;
      separator = ' ';
      AppendNumber(out, extent.Vcn);
      out += ':';
      AppendRun(out, extent.Lcn, extent.Length);
    }
    out += '\n';
  }
  return out;
}

const LayoutFile* VolumeLayout::FindFile(std::string_view path) const {
  const size_t index = FindIndex(path);
  return index == kNoFile ? nullptr : &files_[index];
}

size_t VolumeLayout::FindIndex(std::string_view path) const {
  const auto found = index_.find(FoldPath(path));
  return found == index_.end() ? kNoFile : found->second;
}

bool VolumeLayout::IsFree(int64_t lcn, int64_t length) const {
  auto next = used_.upper_bound(lcn);
  if (next != used_.end() && next->first < lcn + length) return false;
  return next == used_.begin() || std::prev(next)->second <= lcn;
}

void VolumeLayout::Occupy(int64_t lcn, int64_t length) {
  int64_t start = lcn;
  int64_t end = lcn + length;
  auto next = used_.lower_bound(start);
  if (next != used_.begin()) {
    auto before = std::prev(next);
    if (before->second == start) {
      start = before->first;
      used_.erase(before);
    }
  }
  if (next != used_.end() && next->first == end) {
    end = next->second;
    next = used_.erase(next);
  }
  used_.emplace_hint(next, start, end);
}

void VolumeLayout::Release(int64_t lcn, int64_t length) {
  auto run = std::prev(used_.upper_bound(lcn));  // the run holding lcn: the clusters are used
  const int64_t start = run->first;
  const int64_t end = run->second;
  auto hint = used_.erase(run);
  if (lcn + length < end) hint = used_.emplace_hint(hint, lcn + length, end);
  if (start < lcn) used_.emplace_hint(hint, start, lcn);
}

void VolumeLayout::Take(int64_t lcn, int64_t length) {
  if (length <= 0 || lcn >= total_) return;
  int64_t at = std::max<int64_t>(lcn, 0);
  const int64_t end = lcn > total_ - length ? total_ : lcn + length;
  while (at < end) {
    auto next = used_.upper_bound(at);
    if (next != used_.begin() && std::prev(next)->second > at) {
      at = std::prev(next)->second;
      continue;
    }
    const int64_t freeEnd = next == used_.end() ? end : std::min(next->first, end);
    Occupy(at, freeEnd - at);
    usedRecords_.push_back({0, at, freeEnd - at});
    at = freeEnd;
  }
}

int32_t VolumeLayout::RetrievalPointers(std::string_view path, int64_t startVcn, void* out,
                                        uint32_t outLength, uint64_t& written) const {
  written = 0;
  constexpr size_t kHeader = sizeof(RetrievalPointersHeader);
  constexpr size_t kExtent = sizeof(RetrievalPointersExtent);
  if (out == nullptr || outLength < kHeader + kExtent) return kStatusBufferTooSmall;
  if (startVcn < 0) return kStatusInvalidParameter;
  const LayoutFile* file = FindFile(path);
  if (file == nullptr || file->Extents.empty()) return kStatusEndOfFile;
  const auto& extents = file->Extents;
  if (startVcn >= extents.back().Vcn + extents.back().Length) return kStatusEndOfFile;
  const auto first = std::prev(
      std::upper_bound(extents.begin(), extents.end(), startVcn,
                       [](int64_t vcn, const LayoutExtent& extent) { return vcn < extent.Vcn; }));
  const size_t room = (outLength - kHeader) / kExtent;
  const size_t count = std::min(room, static_cast<size_t>(extents.end() - first));
  const RetrievalPointersHeader header{static_cast<uint32_t>(count), 0, first->Vcn};
  auto* bytes = static_cast<uint8_t*>(out);
  std::memcpy(bytes, &header, kHeader);
  for (size_t i = 0; i < count; ++i) {
    const LayoutExtent& extent = first[static_cast<ptrdiff_t>(i)];
    const RetrievalPointersExtent answer{extent.Vcn + extent.Length, extent.Lcn};
    std::memcpy(bytes + kHeader + i * kExtent, &answer, kExtent);
  }
  written = kHeader + count * kExtent;
  return first + static_cast<ptrdiff_t>(count) == extents.end() ? kStatusSuccess
                                                                : kStatusBufferOverflow;
}

int32_t VolumeLayout::Bitmap(int64_t startLcn, void* out, uint32_t outLength,
                             uint64_t& written) const {
  written = 0;
  constexpr size_t kHeader = sizeof(VolumeBitmapHeader);
  if (out == nullptr || outLength < kHeader + 1) return kStatusBufferTooSmall;
  if (startLcn < 0 || startLcn >= total_) return kStatusInvalidParameter;
  const int64_t start = startLcn & ~int64_t{7};
  const int64_t remaining = total_ - start;
  const uint64_t needed = static_cast<uint64_t>(remaining + 7) / 8;
  const uint64_t bytes = std::min<uint64_t>(needed, outLength - kHeader);
  const VolumeBitmapHeader header{start, remaining};
  auto* target = static_cast<uint8_t*>(out);
  std::memcpy(target, &header, kHeader);
  uint8_t* bits = target + kHeader;
  std::memset(bits, 0, bytes);
  const int64_t end = start + static_cast<int64_t>(bytes * 8);
  if (end > total_) SetBits(bits, static_cast<uint64_t>(total_ - start), bytes * 8);
  auto run = used_.upper_bound(start);
  if (run != used_.begin() && std::prev(run)->second > start) --run;
  for (; run != used_.end() && run->first < end; ++run) {
    SetBits(bits, static_cast<uint64_t>(std::max(run->first, start) - start),
            static_cast<uint64_t>(std::min(run->second, end) - start));
  }
  written = kHeader + bytes;
  return bytes < needed ? kStatusBufferOverflow : kStatusSuccess;
}

int32_t VolumeLayout::Move(std::string_view path, int64_t vcn, int64_t targetLcn, uint32_t count) {
  const size_t index = FindIndex(path);
  if (index == kNoFile || files_[index].Extents.empty() || count == 0 || vcn < 0) {
    return kStatusInvalidParameter;
  }
  auto& extents = files_[index].Extents;
  const int64_t fileEnd = extents.back().Vcn + extents.back().Length;
  if (vcn > fileEnd - count) return kStatusInvalidParameter;
  if (targetLcn < 0 || targetLcn > total_ - count) return kStatusInvalidParameter;
  const int64_t end = vcn + count;

  // The pieces of the range that hold clusters, and where each one goes.
  struct Piece {
    int64_t From;
    int64_t To;
    int64_t Length;
  };
  std::vector<Piece> pieces;
  auto first = std::prev(
      std::upper_bound(extents.begin(), extents.end(), vcn,
                       [](int64_t v, const LayoutExtent& extent) { return v < extent.Vcn; }));
  for (auto extent = first; extent != extents.end() && extent->Vcn < end; ++extent) {
    if (extent->Lcn == kHole) continue;
    const int64_t from = std::max(extent->Vcn, vcn);
    const int64_t to = std::min(extent->Vcn + extent->Length, end);
    pieces.push_back({extent->Lcn + (from - extent->Vcn), targetLcn + (from - vcn), to - from});
  }
  for (const Piece& piece : pieces) {
    if (!IsFree(piece.To, piece.Length)) return kStatusAlreadyCommitted;
  }
  for (const Piece& piece : pieces) Release(piece.From, piece.Length);
  for (const Piece& piece : pieces) Occupy(piece.To, piece.Length);

  std::vector<LayoutExtent> moved;
  moved.reserve(extents.size() + 2);
  for (const LayoutExtent& extent : extents) {
    const int64_t extentEnd = extent.Vcn + extent.Length;
    if (extentEnd <= vcn || extent.Vcn >= end) {
      AppendJoined(moved, extent);
      continue;
    }
    if (extent.Vcn < vcn) AppendJoined(moved, {extent.Vcn, extent.Lcn, vcn - extent.Vcn});
    const int64_t from = std::max(extent.Vcn, vcn);
    const int64_t to = std::min(extentEnd, end);
    AppendJoined(moved, {from, extent.Lcn == kHole ? kHole : targetLcn + (from - vcn), to - from});
    if (extentEnd > end) {
      AppendJoined(moved, {end, extent.Lcn == kHole ? kHole : extent.Lcn + (end - extent.Vcn),
                           extentEnd - end});
    }
  }
  extents = std::move(moved);
  return kStatusSuccess;
}

}  // namespace movra::platform
