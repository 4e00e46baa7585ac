// Tag values, line layout, numbering and error blocks, as the parser thread makes them.
#include "logging/journal_layout.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "logging/journal.h"
#include "parser_fixture.h"
#include "runtime/system_error.h"

using namespace movra;
using movra::testing::IdleParser;
using Lines = std::vector<std::string>;

namespace {

const std::string kBullet = "\xE2\x80\xA2";

std::string Times(const std::string& unit, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) out += unit;
  return out;
}

TEST_F(IdleParser, TokenEdgeCases) {
  EXPECT_EQ(Line("a}b{c}"), "a}b{c}");
  EXPECT_EQ(Line("{x}"), "x");
  EXPECT_EQ(Line("{}"), "");
  EXPECT_EQ(Line("{Foo}"), "#JLTag(Foo)");
  EXPECT_EQ(Line("C:\\{abc}\\f.txt"), "C:\\#JLTag(abc)\\f.txt");
  EXPECT_EQ(Line("[{DTE}|{dte}|{Dte}]"), "[2024-02-09|2024-02-09|2024-02-09]");
}

TEST_F(IdleParser, ValueTags) {
  EXPECT_EQ(Line("{hms}"), "07:05:03");
  EXPECT_EQ(Line("{Now}|"), "2024-02-09 07:05:03 |");
  EXPECT_EQ(Line("{DHG}"), "2024-02-09 07:05:03 123456789");
  EXPECT_EQ(Line("{dtf}"), "123456789");
  EXPECT_EQ(Line("{App_ver}"), "1.4.0.512");
  EXPECT_EQ(Line("{App_LFN}"), "C:\\Program Files\\Movra\\X.exe");
  EXPECT_EQ(Line("{App_name}"), "X.exe");
  EXPECT_EQ(Line("{App_path}"), "C:\\Program Files\\Movra\\");
  EXPECT_EQ(Line("{App_prm-}"), "(No params)");
  EXPECT_EQ(Line("{App_prm}"), "(No params)");
  EXPECT_EQ(Line("{LNumOff}"), "");
  source_->Params = {"-d", "C:\\a {b}.txt"};
  EXPECT_EQ(Line("{App_prm-}"), "-d, C:\\a {b}.txt");
  EXPECT_EQ(Line("{App_prm}"), "-d\r\nC:\\a {b}.txt");
}

TEST_F(IdleParser, NextLineNumberCountsEveryLineBefore) {
  EXPECT_EQ(Line("{LNum}"), "1");
  EXPECT_EQ(Expand("a{/}{LNum}"), (Lines{"a", "2"}));  // the number of the text's first line
  EXPECT_EQ(parser_.ExpandList({"x{/}y", "{LNum}", "{LNumOff}"}).Lines(),
            (Lines{"x", "y", "6", ""}));
  EXPECT_EQ(Line("{LNum}"), "8");
}

TEST_F(IdleParser, Fills) {
  EXPECT_EQ(Line("abc{*10-}"), "abc-------");
  EXPECT_EQ(Line("abcdefghijkl{*10-}"), "abcdefghijkl");
  EXPECT_EQ(Line("{*80*}"), std::string(80, '*'));
  EXPECT_EQ(Line("a{*3-}{*6=}"), "a--===");  // the first fill vanished into the piece before
  EXPECT_EQ(Line("{dte}{*12.}|"), "2024-02-09..|");
  // Widths count characters, and the fill may be any one character.
  EXPECT_EQ(Line("Größe{*8-}"), "Größe---");
  EXPECT_EQ(Line("{*5" + kBullet + "}"), Times(kBullet, 5));
  // A fill right after a line break fills the break's own text, which ends the line before it.
  EXPECT_EQ(Expand("ab{/}{*5-}"), (Lines{"ab-----", ""}));
  EXPECT_EQ(Expand("ab{/}{LNumOff}{*5-}"), (Lines{"ab", "-----"}));
}

TEST_F(IdleParser, Columns) {
  EXPECT_EQ(Line("{@5}x"), "    x");
  EXPECT_EQ(Line("abcdef{@5}x"), "abcdef x");
  EXPECT_EQ(Line("{10@}abc"), "       abc");
  EXPECT_EQ(Line("abcdefghi{10@}abc"), "abcdefghi abc");
  EXPECT_EQ(Line("{@9@}abc"), "   abc   ");
  EXPECT_EQ(Line("{@8@}abc"), "   abc  ");
  EXPECT_EQ(Line("{@2@}abc"), "abc");
  EXPECT_EQ(Line("{@12}From"), "           From");
  EXPECT_EQ(Line("x{@5}"), "x");  // a position tag at the end vanishes
  // The column restarts after a line break and counts characters, not bytes.
  EXPECT_EQ(Expand("abcdefgh{/}{@5}x"), (Lines{"abcdefgh", "    x"}));
  EXPECT_EQ(Line("äöü{@5}x"), "äöü x");
  EXPECT_EQ(Line("äöü{8@}x"), "äöü    x");
}

TEST_F(IdleParser, GroupsAreLaidOutAsOnePiece) {
  EXPECT_EQ(Line("ab{30@}{&}{dte} {hms}{&}"), "ab" + std::string(9, ' ') + "2024-02-09 07:05:03");
  // Without the group only the date would be aligned.
  EXPECT_EQ(Line("ab{14@}{dte} {hms}"), "ab  2024-02-09 07:05:03");
  // A group without a partner takes everything after it.
  EXPECT_EQ(Line("{@9@}{&}a{/}b"), "    ab   ");
  EXPECT_EQ(Line("x{&}{&}y"), "xy");
}

TEST_F(IdleParser, LineBreaks) {
  EXPECT_EQ(Expand("a{/}b"), (Lines{"a", "b"}));
  EXPECT_EQ(Expand("a{/}"), (Lines{"a", ""}));
  EXPECT_EQ(Expand("{/}{/}"), (Lines{"", "", ""}));
  EXPECT_EQ(Expand("{/x}y"), (Lines{"", "y"}));  // any name starting with a slash
}

TEST_F(IdleParser, UnreadableAndOversizedNumbersAreRefused) {
  EXPECT_EQ(Line("{@x}y"), "#JLTag(@x) y");
  EXPECT_EQ(Line("{x@}y"), "#JLTag(x@) y");
  EXPECT_EQ(Line("{@@}y"), "#JLTag(@@) y");
  EXPECT_EQ(Line("ab{*x-}"), "#JLTag(*x-) ab");
  EXPECT_EQ(Line("{*-}"), "#JLTag(*-) ");
  EXPECT_EQ(Line("{*1000-}").size(), size_t{kMaxLayoutWidth});
  EXPECT_EQ(Line("{*1001-}"), "#JLTag(*1001-) ");
  EXPECT_EQ(Line("{*99999999999999999999-}"), "#JLTag(*99999999999999999999-) ");
  EXPECT_EQ(Line("{@2000000000}y"), "#JLTag(@2000000000) y");
  EXPECT_EQ(Line("{@1000@}y").size(), size_t{kMaxLayoutWidth});
  EXPECT_EQ(Line("{@-5}y"), " y");
  EXPECT_EQ(Line("ab{*-3=}"), "ab");
}

TEST_F(IdleParser, ManyHugeRequestsStayBounded) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "{*999999999#}{@999999999}{999999@}x";
  const std::string line = Line(text);
  EXPECT_LT(line.size(), 100u * 2000u);
  std::string fills;
  for (int i = 0; i < 200; ++i) fills += "{/}{*1000-}";
  EXPECT_EQ(Expand(fills).size(), 201u);
}

TEST_F(IdleParser, WholeLineTagsOnlyWhenFirst) {
  EXPECT_EQ(Line("before {Ruler}"), "before ");
  EXPECT_EQ(Line("{Ruler} after {dte}"), Times("....|....|", 8));
  EXPECT_EQ(Expand("{Ruler+}"),
            (Lines{"    5    10   15   20   25   30   35   40   45   50   55   60   65"
                   "   70   75   80   ",
                   Times("....|....|", 8)}));
}

TEST_F(IdleParser, HeaderListAsTheEngineWritesIt) {
  TJournal journal("unused.log");
  const Lines lines = parser_.ExpandList(journal.Header()).Lines();
  const std::string start = ">>>> Start X.exe  v 1.4.0.512";
  const std::string stamp = "2024-02-09 07:05:03";
  ASSERT_EQ(lines, (Lines{"", std::string(80, '*'),
                          start + std::string(80 - start.size() - stamp.size(), ' ') + stamp,
                          "           From : C:\\Program Files\\Movra\\",
                          "           Prms : (No params)", ""}));
  EXPECT_EQ(parser_.LineCounter(), 6);

  // The date and time end in column 80 whatever comes before them, and move on by one space
  // when the line is already longer.
  source_->File = "C:\\" + std::string(70, 'n') + ".exe";
  const Lines longer = parser_.ExpandList(journal.Header()).Lines();
  EXPECT_EQ(longer[2], ">>>> Start " + std::string(70, 'n') + ".exe  v 1.4.0.512 " + stamp);

  EXPECT_EQ(parser_.ExpandList(journal.Footer()).Lines(),
            (Lines{"", "<<<< Stop  " + std::string(70, 'n') + ".exe " + stamp, std::string(80, '*'),
                   ""}));
}

TEST_F(IdleParser, NumberingWidthAndAlignment) {
  Numbering(true, 3, true);
  EXPECT_EQ(Expand("a{/}b"), (Lines{"  1 a", "  2 b"}));
  EXPECT_EQ(Expand("c{LNumOff}"), (Lines{"c"}));
  EXPECT_EQ(Line("d"), "  4 d");  // unnumbered lines are counted all the same
  // One "{LNumOff}" in a list keeps every line of the list unnumbered.
  EXPECT_EQ(parser_.ExpandList({"e", "{LNumOff}f"}).Lines(), (Lines{"e", "f"}));
  // A report tag drops the rest of its text, "{LNumOff}" included.
  EXPECT_EQ(Line("{Ruler}{LNumOff}"), "  7 " + Times("....|....|", 8));
  source_->Params = {"-d", "x"};
  EXPECT_EQ(Line("{App_prm}"), "  8 -d\r\n    x");

  Numbering(true, 2, false);
  EXPECT_EQ(Line("g"), "9  g");
  EXPECT_EQ(Line("h"), "10 h");
  for (int i = 11; i < 99; ++i) parser_.NumberLine("");
  EXPECT_EQ(Line("i"), "99 i");
  EXPECT_EQ(Line("j"), "100 j");

  Numbering(false, 3, true);
  EXPECT_EQ(Line("k"), "k");
  EXPECT_EQ(parser_.LineCounter(), 101);
}

TEST_F(IdleParser, ErrorBlockForAWindowsError) {
  const std::string title = Times(kBullet, 3) + "    E R R O R    " + Times(kBullet, 3);
  const std::string rule = Times(kBullet, 23);
  TJLErrMsg error(SystemErrorText(ERROR_ACCESS_DENIED), ERROR_ACCESS_DENIED);
  ASSERT_FALSE(error.Message.empty());
  EXPECT_EQ(parser_.BuildErrorBlock(error).Lines(),
            (Lines{"", rule, title + " (5) \"" + error.Message + "\" ", rule, ""}));

  EXPECT_EQ(parser_.BuildErrorBlock(TJLErrMsg("Disk full", 0)).Lines()[2],
            title + " \"Disk full\" ");
  EXPECT_EQ(parser_.BuildErrorBlock(TJLErrMsg("", 0)).Lines()[2], title + " ");
  TJLErrMsg located("m", 1);
  located.Location = "Move";
  EXPECT_EQ(parser_.BuildErrorBlock(located).Lines()[2], title + " (1) \"m\"  in Move");
  // Tags in a message are not expanded.
  EXPECT_EQ(parser_.BuildErrorBlock(TJLErrMsg("{dte}", 0)).Lines()[2], title + " \"{dte}\" ");
}

TEST_F(IdleParser, ErrorBlockForAnNtStatus) {
  const auto status = static_cast<int32_t>(0xC0000022u);  // STATUS_ACCESS_DENIED
  TJLErrMsg error(SystemErrorText(status), status);
  ASSERT_FALSE(error.Message.empty());
  Numbering(true, 3, true);
  const Lines lines = parser_.BuildErrorBlock(error).Lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "  1 ");
  EXPECT_EQ(lines[1], "  2 " + Times(kBullet, 23));
  EXPECT_EQ(lines[2], "  3 " + Times(kBullet, 3) + "    E R R O R    " + Times(kBullet, 3) +
                          " (-1073741790) \"" + error.Message + "\" ");
}

TEST_F(IdleParser, ErrorBlockWithoutSeparator) {
  parser_.SetErrorStyle({"", false});
  EXPECT_EQ(parser_.BuildErrorBlock(TJLErrMsg("m", 2)).Lines(),
            (Lines{"    E R R O R     (2) \"m\" "}));
}

}  // namespace
