#include "logging/journal_tags.h"

#include <exception>

#include "logging/journal.h"

namespace movra {
namespace {

// Strips a trailing CR or LF, then once more one of either.
std::string_view WithoutLineEnd(std::string_view text) {
  for (int i = 0; i < 2 && !text.empty() && (text.back() == '\r' || text.back() == '\n'); ++i) {
    text.remove_suffix(1);
  }
  return text;
}

// Moves the next piece of `rest` to `pieces`; `rest` advances only once the piece is stored.
// Every call consumes at least one character.
void TakePiece(std::string_view& rest, std::vector<TJournalPiece>& pieces) {
  const size_t open = rest.find('{');
  const size_t close = rest.find('}');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
    pieces.push_back({TPieceKind::Plain, std::string(rest)});
    rest = {};
  } else if (open > 0) {
    pieces.push_back({TPieceKind::Plain, std::string(rest.substr(0, open))});
    rest.remove_prefix(open);
  } else if (rest == "{}") {
    pieces.push_back({TPieceKind::Plain, {}});
    rest = {};
  } else if (rest.size() >= 3 && rest[2] == '}') {
    const char c = rest[1];
    pieces.push_back({c == '&' || c == '/' ? TPieceKind::Tag : TPieceKind::Plain, std::string(1, c)});
    rest.remove_prefix(3);
  } else if (close == 1) {
    rest.remove_prefix(2);
  } else {
    pieces.push_back({TPieceKind::Tag, std::string(rest.substr(1, close - 1))});
    rest.remove_prefix(close + 1);
  }
}

}  // namespace

std::vector<TJournalPiece> TokenizeJournalText(std::string_view text) {
  std::vector<TJournalPiece> pieces;
  try {
    if (text.empty()) {
      pieces.push_back({TPieceKind::Plain, "\r\n"});
      return pieces;
    }
    std::string_view rest = WithoutLineEnd(text);
    try {
      while (!rest.empty()) TakePiece(rest, pieces);
    } catch (const std::exception&) {
      pieces.push_back({TPieceKind::Plain, "#JLTag(" + std::string(rest) + ")"});
    }
  } catch (const std::exception& error) {
    pieces.clear();
    pieces.push_back({TPieceKind::Plain, "#JLParsing(" + std::string(error.what()) + ")with:(" +
                                             std::string(text) + ")"});
  }
  return pieces;
}

std::string JournalLiteral(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '{') {
      out += "{{}";
    } else if (c == '}') {
      out += "{}}";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace movra
