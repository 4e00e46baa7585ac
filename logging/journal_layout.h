#pragma once
// Laying a tagged text out in lines: fills, groups, columns and line breaks.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "logging/journal_tags.h"

namespace movra {

// The widest column, fill or centring a tag may ask for. A text cannot make the parser build
// lines of unbounded length; a larger number is refused like an unreadable one.
inline constexpr int kMaxLayoutWidth = 1000;

// A piece of a text on its way to finished lines.
struct TJLToken {
  TPieceKind Kind = TPieceKind::Plain;  // Tag: a layout tag still to be applied
  std::string Name;                     // the tag's name
  std::string Text;                     // the plain text, a tag's value or a break's own text
  int32_t Id = 0;                       // JournalTagId of the name
  bool WholeLine = false;
  bool ResetsColumn = false;  // the value ends with a line of its own (the parameter lines)
};

// The pieces with their tag ids. With two or more pieces a whole-line tag that comes first
// drops all the others, and any whole-line tag that does not come first is dropped.
std::vector<TJLToken> ClassifyPieces(const std::vector<TJournalPiece>& pieces);

// Applies the layout tags left in `tokens` (every other tag must already hold its value as
// plain text): fills, then groups, then columns, then line breaks. A text with k line breaks
// gives k + 1 lines.
std::vector<std::string> LayOutTokens(std::vector<TJLToken> tokens);

// The number of characters of UTF-8 text (bytes that do not continue a character).
size_t TextWidth(std::string_view text);

}  // namespace movra
