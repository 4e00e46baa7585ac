#pragma once
// An ordered list of UTF-8 strings.
#include <string>
#include <string_view>
#include <vector>

namespace movra {

class TStringList {
 public:
  TStringList() = default;
  TStringList(std::initializer_list<std::string> lines) : lines_(lines) {}

  int Count() const { return static_cast<int>(lines_.size()); }
  bool Empty() const { return lines_.empty(); }
  const std::string& operator[](int index) const { return lines_.at(static_cast<size_t>(index)); }
  std::string& operator[](int index) { return lines_.at(static_cast<size_t>(index)); }
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void AddStrings(const TStringList& other) {
    lines_.insert(lines_.end(), other.lines_.begin(), other.lines_.end());
  }
  void Delete(int index) { lines_.erase(lines_.begin() + index); }
  void Clear() { lines_.clear(); }

  // The lines joined, each followed by CR LF.
  std::string Text() const;
  // Replaces the lines by those of `text`, split at CR LF, LF or CR; a final line end does not
  // start another line.
  void SetText(std::string_view text);

  auto begin() const { return lines_.begin(); }
  auto end() const { return lines_.end(); }
  auto begin() { return lines_.begin(); }
  auto end() { return lines_.end(); }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

}  // namespace movra
