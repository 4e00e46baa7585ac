#include "logging/journal_layout.h"

#include <algorithm>
#include <charconv>

namespace movra {
namespace {

bool IsTag(const TJLToken& token, TJLTag tag) {
  return token.Kind == TPieceKind::Tag && token.Id == static_cast<int32_t>(tag);
}

// The number of a layout tag; false when it cannot be read or lies beyond the bounds every
// width must keep.
bool ReadWidth(std::string_view digits, int& value) {
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return !digits.empty() && error == std::errc() && end == digits.data() + digits.size() &&
         value <= kMaxLayoutWidth && value >= -kMaxLayoutWidth;
}

void MarkUnreadable(const TJLToken& tag, TJLToken& target) {
  target.Text = "#JLTag(" + tag.Name + ") " + target.Text;
}

// The last character of `name`, whole even when it takes several bytes.
size_t LastCharacterStart(std::string_view name) {
  size_t start = name.size() - 1;
  while (start > 0 && (static_cast<unsigned char>(name[start]) & 0xC0) == 0x80) --start;
  return start;
}

std::string Repeat(std::string_view unit, size_t count) {
  std::string out;
  out.reserve(unit.size() * count);
  for (size_t i = 0; i < count; ++i) out += unit;
  return out;
}

// "{*N c}" pads the piece before it with c up to N characters and vanishes; with no piece
// before it, it becomes N copies of c.
std::vector<TJLToken> ApplyFills(std::vector<TJLToken> tokens) {
  std::vector<TJLToken> out;
  out.reserve(tokens.size());
  for (TJLToken& token : tokens) {
    if (!IsTag(token, TJLTag::Fill)) {
      out.push_back(std::move(token));
      continue;
    }
    const std::string_view name = token.Name;
    const size_t fillStart = LastCharacterStart(name);
    const std::string_view fill = name.substr(fillStart);
    int width = 0;
    const bool readable = fillStart >= 1 && ReadWidth(name.substr(1, fillStart - 1), width);
    if (out.empty()) out.push_back({TPieceKind::Plain, {}, {}, 0, false, false});
    TJLToken& target = out.back();
    if (!readable) {
      MarkUnreadable(token, target);
      continue;
    }
    const size_t length = TextWidth(target.Text);
    if (width > 0 && length < static_cast<size_t>(width)) {
      target.Text += Repeat(fill, static_cast<size_t>(width) - length);
    }
  }
  return out;
}

std::string JoinTexts(std::vector<TJLToken>::iterator first, std::vector<TJLToken>::iterator last) {
  std::string text;
  for (auto it = first; it != last; ++it) text += it->Text;
  return text;
}

// The pieces between a "{&}" and the next become one plain piece; a "{&}" without a partner
// joins everything after it.
std::vector<TJLToken> JoinGroups(std::vector<TJLToken> tokens) {
  std::vector<TJLToken> out;
  out.reserve(tokens.size());
  for (auto it = tokens.begin(); it != tokens.end();) {
    if (!IsTag(*it, TJLTag::Group)) {
      out.push_back(std::move(*it++));
      continue;
    }
    const auto first = it + 1;
    auto last = first;
    while (last != tokens.end() && !IsTag(*last, TJLTag::Group)) ++last;
    out.push_back({TPieceKind::Plain, {}, JoinTexts(first, last), 0, false, false});
    it = last == tokens.end() ? last : last + 1;
  }
  return out;
}

// At most kMaxLayoutWidth: every count comes from a bounded width.
std::string Spaces(int64_t count) { return std::string(static_cast<size_t>(count), ' '); }

// Pads `target` as the position tag `tag` asks, the column being where `target` starts.
void Position(const TJLToken& tag, TJLToken& target, size_t column) {
  const std::string_view name = tag.Name;
  const bool fromStart = name.front() == '@';
  const bool toEnd = name.size() >= 2 && name.back() == '@';
  const std::string_view digits =
      name.substr(fromStart ? 1 : 0, name.size() - (fromStart ? 1 : 0) - (toEnd ? 1 : 0));
  int n = 0;
  if (!ReadWidth(digits, n)) {
    MarkUnreadable(tag, target);
    return;
  }
  const auto length = static_cast<int64_t>(TextWidth(target.Text));
  const auto at = static_cast<int64_t>(column);
  if (fromStart && toEnd) {
    const int64_t d = n - length;
    if (d > 0) target.Text = Spaces((d + 1) / 2) + target.Text + Spaces(d / 2);
  } else if (fromStart) {
    target.Text = Spaces(std::max<int64_t>(n - at - 1, 1)) + target.Text;
  } else {
    target.Text = Spaces(std::max<int64_t>(n - at - length, 1)) + target.Text;
  }
}

// A position tag pads the piece after it and vanishes; the column counts the characters since
// the last line break.
std::vector<TJLToken> ApplyPositions(std::vector<TJLToken> tokens) {
  std::vector<TJLToken> out;
  out.reserve(tokens.size());
  size_t column = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (IsTag(tokens[i], TJLTag::Position)) {
      if (i + 1 < tokens.size()) Position(tokens[i], tokens[i + 1], column);
      continue;
    }
    if (IsTag(tokens[i], TJLTag::LineBreak) || tokens[i].ResetsColumn) {
      column = 0;
    } else {
      column += TextWidth(tokens[i].Text);
    }
    out.push_back(std::move(tokens[i]));
  }
  return out;
}

}  // namespace

size_t TextWidth(std::string_view text) {
  size_t width = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
  }
  return width;
}

std::vector<TJLToken> ClassifyPieces(const std::vector<TJournalPiece>& pieces) {
  std::vector<TJLToken> tokens;
  tokens.reserve(pieces.size());
  for (const TJournalPiece& piece : pieces) {
    TJLToken token{piece.Kind, {}, {}, 0, false, false};
    if (piece.Kind == TPieceKind::Tag) {
      token.Name = piece.Text;
      token.Id = JournalTagId(token.Name);
      token.WholeLine = IsWholeLineTag(token.Id);
    } else {
      token.Text = piece.Text;
    }
    tokens.push_back(std::move(token));
  }
  if (tokens.size() >= 2) {
    if (tokens.front().WholeLine) {
      tokens.resize(1);
    } else {
      std::erase_if(tokens, [](const TJLToken& token) { return token.WholeLine; });
    }
  }
  return tokens;
}

std::vector<std::string> LayOutTokens(std::vector<TJLToken> tokens) {
  tokens = ApplyPositions(JoinGroups(ApplyFills(std::move(tokens))));
  std::vector<std::string> lines(1);
  for (const TJLToken& token : tokens) {
    lines.back() += token.Text;  // a break's own text ends the line before it
    if (IsTag(token, TJLTag::LineBreak)) lines.emplace_back();
  }
  return lines;
}

}  // namespace movra
