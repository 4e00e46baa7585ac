#include "runtime/text.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace movra;

TEST(Text, Utf8RoundTripThroughWide) {
  const std::string samples[] = {"", "plain", "Größe", "Дефрагментация", "日本語", "\xF0\x9F\x98\x80"};
  for (const auto& s : samples) {
    EXPECT_EQ(WideToUtf8(Utf8ToWide(s)), s);
  }
  EXPECT_EQ(Utf8ToWide("Ä").size(), 1u);
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80").size(), 2u);  // surrogate pair
}

TEST(Text, Utf8Validation) {
  EXPECT_TRUE(IsValidUtf8("ascii"));
  EXPECT_TRUE(IsValidUtf8("Größe"));
  EXPECT_FALSE(IsValidUtf8("Gr\xF6\xDF" "e"));     // Latin-1 bytes
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));           // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));       // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));           // truncated
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));   // past U+10FFFF
}

TEST(Text, ExternalLineFallsBackToAnsi) {
  EXPECT_EQ(ExternalLineToUtf8("Größe"), "Größe");
  // Under the default Windows-1252 code page 0xF6 is ö.
  if (GetACP() == 1252) {
    EXPECT_EQ(ExternalLineToUtf8("Gr\xF6\xDF" "e"), "Größe");
  }
}

TEST(Text, AsciiCaseFoldingLeavesOtherBytes) {
  EXPECT_EQ(AsciiUpper("abc-Äz"), "ABC-ÄZ");
  EXPECT_TRUE(SameTextAscii("Movra_File", "mOVRA_fILE"));
  EXPECT_FALSE(SameTextAscii("ä", "Ä"));
}
