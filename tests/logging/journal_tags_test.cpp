#include "logging/journal_tags.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "logging/journal.h"
#include "logging/journal_messages.h"
#include "logging/journal_parser.h"
#include "parser_fixture.h"

using namespace movra;
using movra::testing::IdleParser;

namespace {

TJournalPiece Plain(std::string text) { return {TPieceKind::Plain, std::move(text)}; }
TJournalPiece Tag(std::string name) { return {TPieceKind::Tag, std::move(name)}; }
using Pieces = std::vector<TJournalPiece>;

TEST(JournalTokenizer, SplitsPlainTextAndTags) {
  const std::vector<std::pair<std::string, Pieces>> cases = {
      {"", {Plain("\r\n")}},
      {"\r\n", {}},
      {"x\n\n\n", {Plain("x\n")}},
      {"plain", {Plain("plain")}},
      {"a}b{c}", {Plain("a}b{c}")}},  // a closing brace before the first opening one
      {"{Foo}", {Tag("Foo")}},
      {"at {dte} {hms}.", {Plain("at "), Tag("dte"), Plain(" "), Tag("hms"), Plain(".")}},
      {"{x}", {Plain("x")}},
      {"{&}{/}", {Tag("&"), Tag("/")}},
      {"{}", {Plain("")}},
      {"{}ab", {Plain("ab")}},
      {"{{}", {Plain("{")}},
      {"{}}", {Plain("}")}},
      {"{", {Plain("{")}},
      {"}", {Plain("}")}},
      {"{{{", {Plain("{{{")}},
      {"{a{b}c", {Tag("a{b"), Plain("c")}},
      {"{*80*}{80@}", {Tag("*80*"), Tag("80@")}},
      {"x{", {Plain("x{")}},
      {"{ab", {Plain("{ab")}},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(TokenizeJournalText(text), expected) << "text: " << text;
  }
}

TEST(JournalTokenizer, HugeAndDegenerateTextsEndInLinearSpace) {
  const size_t n = 3'000'000;
  EXPECT_EQ(TokenizeJournalText(std::string(n, '{')), Pieces{Plain(std::string(n, '{'))});
  EXPECT_EQ(TokenizeJournalText(std::string(n, '}')), Pieces{Plain(std::string(n, '}'))});

  std::string skips;
  for (size_t i = 0; i < n / 2; ++i) skips += "{}";
  EXPECT_EQ(TokenizeJournalText(skips), Pieces{Plain("")});

  std::string braces;
  for (size_t i = 0; i < n / 3; ++i) braces += "{}}";
  const Pieces closing = TokenizeJournalText(braces);
  ASSERT_EQ(closing.size(), n / 3);
  EXPECT_EQ(closing.back(), Plain("}"));

  const std::string longName = std::string(n, 'a');
  EXPECT_EQ(TokenizeJournalText("{" + longName + "}"), Pieces{Tag(longName)});
}

TEST(JournalTokenizer, RandomBraceSoupNeverGrows) {
  std::mt19937 random(20240611);
  const char alphabet[] = {'{', '}', 'a', '&', '/', '\r', '\n', ' '};
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 40, ' ');
    for (char& c : text) c = alphabet[random() % sizeof alphabet];
    size_t total = 0;
    for (const TJournalPiece& piece : TokenizeJournalText(text)) {
      total += piece.Text.size() + (piece.Kind == TPieceKind::Tag ? 2 : 0);
    }
    EXPECT_LE(total, std::max<size_t>(text.size(), 2)) << "text: " << text;
  }
}

TEST_F(IdleParser, LiteralRoundTripsAnyText) {
  std::mt19937 random(7);
  for (int round = 0; round < 5000; ++round) {
    std::string text(1 + random() % 60, ' ');
    for (char& c : text) {
      const unsigned pick = random() % 4;
      c = pick == 0 ? '{' : pick == 1 ? '}' : static_cast<char>(1 + random() % 255);
    }
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    if (text.empty()) continue;
    ASSERT_EQ(Line(JournalLiteral(text)), text);
    ASSERT_EQ(Line("{App_name} [" + JournalLiteral(text) + "] {dte}"),
              "X.exe [" + text + "] 2024-02-09");
  }
  EXPECT_EQ(JournalLiteral("{}"), "{{}{}}");
}

TEST_F(IdleParser, ListsKeepEmptyLinesAsALineEnd) {
  const TStringList lines = parser_.ExpandList({"one", "", "{two}"});
  EXPECT_EQ(lines.Lines(), (std::vector<std::string>{"one", "\r\n", "#JLTag(two)"}));
}

TEST_F(IdleParser, NumbersLinesOnceNumberingIsApplied) {
  EXPECT_EQ(parser_.NumberLine("off"), "off");
  EXPECT_EQ(parser_.LineCounter(), 1);

  ASSERT_TRUE(parser_.SetPendingNumbering({true, 3, true}));
  EXPECT_EQ(parser_.NumberLine("pending only"), "pending only");
  TThreadMessage apply{WM_JL_CONTROL, static_cast<uintptr_t>(TJLControlKind::ApplyNumbering), 0, nullptr};
  parser_.HandleMessage(apply);
  EXPECT_EQ(parser_.NumberLine("x"), "  3 x");
  for (int i = 4; i < 999; ++i) parser_.NumberLine("");
  EXPECT_EQ(parser_.NumberLine("y"), "999 y");
  EXPECT_EQ(parser_.NumberLine("z"), "1000 z");

  ASSERT_TRUE(parser_.SetPendingNumbering({true, 5, false}));
  parser_.HandleMessage(apply);
  EXPECT_EQ(parser_.NumberLine("left"), "1001  left");
  EXPECT_EQ(parser_.ExpandText("{tag}").Lines(), (std::vector<std::string>{"1002  #JLTag(tag)"}));
}

// The names this system uses and documents select the tags they stand for.
static_assert(JournalTagHash("dte") == 21641);
static_assert(JournalTagHash("LNumOff") == 57910);
static_assert(JournalTagId("dte") == static_cast<int32_t>(TJLTag::Date));
static_assert(JournalTagId("hms") == static_cast<int32_t>(TJLTag::Time));
static_assert(JournalTagId("Now") == static_cast<int32_t>(TJLTag::DateTime));
static_assert(JournalTagId("DHG") == static_cast<int32_t>(TJLTag::DateTimeTicks));
static_assert(JournalTagId("dtf") == static_cast<int32_t>(TJLTag::Ticks));
static_assert(JournalTagId("LNum") == static_cast<int32_t>(TJLTag::NextLineNumber));
static_assert(JournalTagId("LNumOff") == static_cast<int32_t>(TJLTag::NumberingOff));
static_assert(JournalTagId("App_ver") == static_cast<int32_t>(TJLTag::ProgramVersion));
static_assert(JournalTagId("App_LFN") == static_cast<int32_t>(TJLTag::ProgramFile));
static_assert(JournalTagId("App_prm") == static_cast<int32_t>(TJLTag::ParameterLines));
static_assert(JournalTagId("App_prm-") == static_cast<int32_t>(TJLTag::Parameters));
static_assert(JournalTagId("App_name") == static_cast<int32_t>(TJLTag::ProgramName));
static_assert(JournalTagId("App_path") == static_cast<int32_t>(TJLTag::ProgramFolder));
static_assert(JournalTagId("Ram-") == static_cast<int32_t>(TJLTag::RamReading1));
static_assert(JournalTagId("Ram--") == static_cast<int32_t>(TJLTag::RamReading2));
static_assert(JournalTagId("Ram---") == static_cast<int32_t>(TJLTag::RamReading3));
static_assert(JournalTagId("Disk-") == static_cast<int32_t>(TJLTag::DiskReading1));
static_assert(JournalTagId("Disk--") == static_cast<int32_t>(TJLTag::DiskReading2));
static_assert(JournalTagId("Disk---") == static_cast<int32_t>(TJLTag::DiskReading3));
static_assert(JournalTagId("Heap-") == static_cast<int32_t>(TJLTag::HeapReading1));
static_assert(JournalTagId("Heap--") == static_cast<int32_t>(TJLTag::HeapReading2));
static_assert(JournalTagId("Heap---") == static_cast<int32_t>(TJLTag::HeapReading3));
static_assert(JournalTagId("Ram") == static_cast<int32_t>(TJLTag::RamBlock));
static_assert(JournalTagId("mem") == static_cast<int32_t>(TJLTag::MemoryStatus));
static_assert(JournalTagId("Disk") == static_cast<int32_t>(TJLTag::DiskBlock));
static_assert(JournalTagId("Heap") == static_cast<int32_t>(TJLTag::HeapBlock));
static_assert(JournalTagId("CPUI") == static_cast<int32_t>(TJLTag::CpuInfo));
static_assert(JournalTagId("Ruler") == static_cast<int32_t>(TJLTag::Ruler));
static_assert(JournalTagId("OSVI") == static_cast<int32_t>(TJLTag::OsVersion));
static_assert(JournalTagId("Ruler+") == static_cast<int32_t>(TJLTag::RulerWithScale));
static_assert(JournalTagId("Timers") == static_cast<int32_t>(TJLTag::TimersResolution));

TEST(JournalTagIds, LayoutTagsAreKnownByTheirMarkCharacter) {
  EXPECT_EQ(JournalTagId("@12"), 64);
  EXPECT_EQ(JournalTagId("80@"), 64);
  EXPECT_EQ(JournalTagId("@9@"), 64);
  EXPECT_EQ(JournalTagId("*80*"), 42);
  EXPECT_EQ(JournalTagId("/anything"), 47);
  EXPECT_EQ(JournalTagId("&"), 38);
  // Case-blind, and any name with the same sum selects the same tag.
  EXPECT_EQ(JournalTagId("DTE"), JournalTagId("dte"));
  EXPECT_EQ(JournalTagId("Dte"), JournalTagId("dte"));
  EXPECT_EQ(JournalTagId("ctf"), JournalTagId("dte"));  // 'c' + 1 = 'd', 'f' - 1 = 'e'
  EXPECT_FALSE(IsWholeLineTag(JournalTagId("dte")));
  EXPECT_TRUE(IsWholeLineTag(JournalTagId("OSVI")));
}

TEST(JournalMessages, StringMessageAlwaysEndsItsLine) {
  EXPECT_EQ(TJLStringMsg("").Text, "\r\n");
  EXPECT_EQ(TJLStringMsg("a").Text, "a\r\n");
  EXPECT_EQ(TJLStringMsg("a\n").Text, "a\n");
  EXPECT_EQ(TJLStringMsg("a\r").Text, "a\r");
}

}  // namespace
