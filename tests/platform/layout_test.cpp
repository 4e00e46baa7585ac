#include "platform/layout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/platform/answers.h"
#include "tests/support/support.h"

namespace movra::platform {
namespace {

using movra::testing::LayoutBuilder;
using testing::DecodeBitmap;
using testing::DecodePointers;
using testing::ExtentText;
using ::testing::HasSubstr;

constexpr int64_t kChunk = 1048576;  // clusters in one full bitmap answer of the engine

testing::PointersAnswer Pointers(const VolumeLayout& layout, const std::string& path, int64_t vcn,
                                 size_t outLength = 16 + 16 * 64) {
  std::vector<uint8_t> buffer(outLength);
  uint64_t written = 0;
  const int32_t status =
      layout.RetrievalPointers(path, vcn, buffer.data(), static_cast<uint32_t>(outLength), written);
  return DecodePointers(status, written, buffer);
}

std::string MapOf(const VolumeLayout& layout, const std::string& path) {
  const auto answer = Pointers(layout, path, 0);
  EXPECT_EQ(answer.Status, kStatusSuccess);
  return ExtentText(answer.StartingVcn, answer.Extents);
}

testing::BitmapAnswer Bitmap(const VolumeLayout& layout, int64_t lcn, size_t outLength) {
  std::vector<uint8_t> buffer(outLength);
  uint64_t written = 0;
  const int32_t status =
      layout.Bitmap(lcn, buffer.data(), static_cast<uint32_t>(outLength), written);
  return DecodeBitmap(status, written, buffer);
}

bool Used(const VolumeLayout& layout, int64_t lcn) {
  const auto answer = Bitmap(layout, lcn, sizeof(VolumeBitmapHeader) + 1);
  return answer.Used(lcn - answer.Header.StartingLcn);
}

const char kExample[] =
    "volume\t262144\t4096\n"
    "used\t0:1024\n"
    "file\tmail\\inbox.mbx\t0:5000:10 10:2000:5 15:9000:20\n"
    "resident\tnotes.txt\n";

TEST(LayoutParse, ReadsEveryRecordAndWritesItBack) {
  const VolumeLayout layout = VolumeLayout::Parse(kExample);
  EXPECT_EQ(layout.TotalClusters(), 262144);
  EXPECT_EQ(layout.BytesPerCluster(), 4096);
  ASSERT_NE(layout.FindFile("MAIL\\Inbox.MBX"), nullptr);
  EXPECT_EQ(layout.FindFile("mail/inbox.mbx"), layout.FindFile("mail\\inbox.mbx"));
  ASSERT_NE(layout.FindFile("notes.txt"), nullptr);
  EXPECT_TRUE(layout.FindFile("notes.txt")->Extents.empty());
  EXPECT_EQ(layout.FindFile("other.txt"), nullptr);
  EXPECT_EQ(layout.Serialize(), kExample);
  EXPECT_TRUE(Used(layout, 1023));
  EXPECT_FALSE(Used(layout, 1024));
  EXPECT_TRUE(Used(layout, 2004));
  EXPECT_FALSE(Used(layout, 2005));
}

TEST(LayoutParse, SkipsCommentsAndBlankLinesAndAcceptsCrLfAndBom) {
  const VolumeLayout layout = VolumeLayout::Parse(
      "\xEF\xBB\xBF# a comment\r\n\r\nvolume\t100\t512\r\n# file\tx\t0:0:1\r\n"
      "file\tПапка\\Файл.txt\t0:10:2\r\n");
  EXPECT_EQ(layout.TotalClusters(), 100);
  ASSERT_NE(layout.FindFile("папка\\файл.TXT"), nullptr);
  EXPECT_EQ(layout.FindFile("x"), nullptr);
  EXPECT_EQ(MapOf(layout, "Папка\\Файл.txt"), "0:10:2");
}

TEST(LayoutParse, AcceptsTheLargestVolume) {
  const VolumeLayout layout = VolumeLayout::Parse(
      LayoutBuilder(int64_t{1} << 32).File("last", (int64_t{1} << 32) - 1, 1).Text());
  EXPECT_TRUE(Used(layout, (int64_t{1} << 32) - 1));
  EXPECT_FALSE(Used(layout, (int64_t{1} << 32) - 2));
}

TEST(LayoutParse, RefusesVolumesLargerThanTheFileSystemUnlessInMemory) {
  const std::string huge =
      LayoutBuilder(int64_t{1} << 40).File("last", (int64_t{1} << 40) - 1, 1).Text();
  EXPECT_THROW(VolumeLayout::Parse(huge), LayoutError);
  const VolumeLayout layout = VolumeLayout::Parse(huge, VolumeLayout::kMaxClusters);
  EXPECT_EQ(layout.TotalClusters(), int64_t{1} << 40);
  EXPECT_THROW(VolumeLayout::Parse("volume\t281474976710657\t4096\n", VolumeLayout::kMaxClusters),
               LayoutError);
}

TEST(LayoutParse, APathHoldingANulIsRefusedAndShownWithTheNul) {
  const std::string text = std::string("volume\t100\t4096\nfile\ta.dat") + '\0' +
                           "garbage\t0:1:20\n";
  try {
    VolumeLayout::Parse(text);
    FAIL() << "accepted a path with a NUL";
  } catch (const LayoutError& error) {
    EXPECT_THAT(error.what(),
                HasSubstr("line 2: bad path \"a.dat\\x00garbage\" (it holds a NUL"));
  }
  // Forward slashes separate names as backslashes do, and names may hold dots and blanks.
  const VolumeLayout layout =
      VolumeLayout::Parse("volume\t100\t4096\nfile\tmy dir/a b.c.dat\t0:1:2\n");
  EXPECT_NE(layout.FindFile("MY DIR\\A B.C.DAT"), nullptr);
}

struct Refusal {
  const char* Text;
  const char* Expected;  // part of the message, the line number included
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.Expected; }

class LayoutRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(LayoutRefusal, NamesTheLine) {
  try {
    VolumeLayout::Parse(GetParam().Text);
    FAIL() << "accepted: " << GetParam().Text;
  } catch (const LayoutError& error) {
    EXPECT_THAT(error.what(), HasSubstr(GetParam().Expected));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutRefusal,
    ::testing::Values(
        Refusal{"", "no \"volume\" record"}, Refusal{"# only\n\n", "no \"volume\""},
        Refusal{"used\t0:1\nvolume\t10\t4096\n", "line 1: the first record must be \"volume\""},
        Refusal{"volume\t10\t4096\nvolume\t10\t4096\n", "line 2: a second \"volume\""},
        Refusal{"volume\tten\t4096\n", "line 1: bad total clusters \"ten\""},
        Refusal{"volume\t0\t4096\n", "line 1: bad total clusters \"0\""},
        Refusal{"volume\t281474976710657\t4096\n", "line 1: bad total clusters \"281474976710657\""},
        Refusal{"volume\t+10\t4096\n", "line 1: bad total clusters \"+10\""},
        Refusal{"volume\t10\t3000\n", "line 1: bytes per cluster 3000 is not a power of two"},
        Refusal{"volume\t10\t256\n", "line 1: bad bytes per cluster"},
        Refusal{"volume\t10\n", "line 1: a \"volume\" record has 2 field(s)"},
        Refusal{"volume\t\t10\t4096\n",
                "line 1: a \"volume\" record has 2 field(s) separated by one TAB, not 3"},
        Refusal{"volume\t10 \t4096\n", "line 1: bad total clusters \"10 \""},
        Refusal{"volume\t10\t4096\nfolder\tx\n", "line 2: unknown record \"folder\""},
        Refusal{"volume\t10\t4096\nfile\tx\n", "line 2: a \"file\" record has 2 field(s)"},
        Refusal{"volume\t10\t4096\nfile\tx\t\n", "line 2: a \"file\" record without extents"},
        Refusal{"volume\t10\t4096\nfile\tx\t0:1\n", "line 2: bad extent \"0:1\""},
        Refusal{"volume\t10\t4096\nfile\tx\t0:a:1\n", "line 2: bad LCN \"a\""},
        Refusal{"volume\t10\t4096\nfile\tx\t0:-2:1\n", "line 2: bad LCN \"-2\""},
        Refusal{"volume\t10\t4096\nfile\tx\t0:1:0\n", "line 2: bad length \"0\""},
        Refusal{"volume\t10\t4096\nfile\tx\t1:1:1\n", "line 2: extent \"1:1:1\" starts at VCN 1"},
        Refusal{"volume\t10\t4096\nfile\tx\t0:1:2 3:5:1\n", "line 2: extent \"3:5:1\" starts"},
        Refusal{"volume\t10\t4096\nfile\tx\t0:1:1 1:-1:4611686018427387904\n",
                "line 2: extent \"1:-1:4611686018427387904\" makes the file too long"},
        Refusal{"volume\t10\t4096\nfile\tx\t0:8:3\n", "line 2: \"0:8:3\" reaches past the end"},
        Refusal{"volume\t10\t4096\nused\t9:2\n", "line 2: \"9:2\" reaches past the end"},
        Refusal{"volume\t10\t4096\nused\t5\n", "line 2: bad run \"5\""},
        Refusal{"volume\t10\t4096\nused\t-1:2\n", "line 2: bad LCN \"-1\""},
        Refusal{"volume\t10\t4096\nresident\t\\x\n", "line 2: bad path \"\\x\""},
        Refusal{"volume\t10\t4096\nresident\t\n", "line 2: bad path \"\""},
        Refusal{"volume\t4294967297\t4096\n",
                "line 1: a volume of 4294967297 clusters is larger than the file system allows "
                "(at most 4294967296 clusters)"},
        // Paths that no file below the root can have: opened, each becomes another path.
        Refusal{"volume\t10\t4096\nresident\t..\\..\\outside.dat\n",
                "line 2: bad path \"..\\..\\outside.dat\" (it steps through"},
        Refusal{"volume\t10\t4096\nresident\tC:\\windows\\a.dat\n",
                "line 2: bad path \"C:\\windows\\a.dat\" (it names a drive or a stream"},
        Refusal{"volume\t10\t4096\nresident\t/a.dat\n",
                "line 2: bad path \"/a.dat\" (it starts at the root of a drive"},
        Refusal{"volume\t10\t4096\nresident\t.\\a.dat\n", "line 2: bad path \".\\a.dat\" (it steps"},
        Refusal{"volume\t10\t4096\nfile\tsub\\..\\a.dat\t0:1:2\n",
                "line 2: bad path \"sub\\..\\a.dat\" (it steps through"},
        Refusal{"volume\t10\t4096\nresident\tsub\\\\a.dat\n", "(it holds an empty name"},
        Refusal{"volume\t10\t4096\nresident\tsub\\\n", "(it holds an empty name"},
        Refusal{"volume\t10\t4096\nresident\ta.dat.\n", "ends with a dot or a blank"},
        Refusal{"volume\t10\t4096\nresident\ta\x01.dat\n",
                "bad path \"a\\x01.dat\" (it holds a control character"},
        Refusal{"volume\t10\t4096\nfile\tA.txt\t0:1:1\nresident\ta.TXT\n",
                "line 3: \"a.TXT\" is already listed on line 2"},
        Refusal{"volume\t10\t4096\nfile\ta\t0:1:3\n\nfile\tb\t0:3:1\n",
                "line 4: clusters 3:1 of \"b\" and clusters 1:3 of \"a\" on line 2 overlap"},
        Refusal{"volume\t10\t4096\nfile\ta\t0:4:2\nused\t0:5\n",
                "line 3: the used run 0:5 and clusters 4:2 of \"a\" on line 2 overlap"},
        Refusal{"volume\t10\t4096\nfile\ta\t0:1:3 3:2:1\n", "line 2: clusters"},
        Refusal{"volume\t10\t4096\nused\t0:5\nused\t4:1\n",
                "line 3: the used run 4:1 and the used run 0:5 on line 2 overlap"}));

TEST(LayoutPointers, PagesFromTheExtentHoldingTheVcn) {
  const VolumeLayout layout = VolumeLayout::Parse(
      LayoutBuilder(1000)
          .File("f", {{0, 100, 2}, {2, -1, 3}, {5, 200, 1}, {6, 300, 4}, {10, 50, 1}})
          .Text());
  constexpr size_t kTwoExtents = 16 + 2 * 16 + 15;  // room for two, not three
  auto page = Pointers(layout, "f", 0, kTwoExtents);
  EXPECT_EQ(page.Status, kStatusBufferOverflow);
  EXPECT_EQ(page.Written, 48u);
  EXPECT_EQ(ExtentText(page.StartingVcn, page.Extents), "0:100:2 2:-1:3");
  page = Pointers(layout, "f", page.Extents.back().NextVcn, kTwoExtents);
  EXPECT_EQ(page.Status, kStatusBufferOverflow);
  EXPECT_EQ(ExtentText(page.StartingVcn, page.Extents), "5:200:1 6:300:4");
  page = Pointers(layout, "f", page.Extents.back().NextVcn, kTwoExtents);
  EXPECT_EQ(page.Status, kStatusSuccess);
  EXPECT_EQ(page.Written, 32u);
  EXPECT_EQ(ExtentText(page.StartingVcn, page.Extents), "10:50:1");

  page = Pointers(layout, "f", 8);  // inside 6:300:4
  EXPECT_EQ(page.Status, kStatusSuccess);
  EXPECT_EQ(ExtentText(page.StartingVcn, page.Extents), "6:300:4 10:50:1");
  // Exactly enough room for the rest is no overflow.
  EXPECT_EQ(Pointers(layout, "f", 6, 16 + 2 * 16).Status, kStatusSuccess);
}

TEST(LayoutPointers, RefusesWhatHasNoAnswer) {
  const VolumeLayout layout =
      VolumeLayout::Parse(LayoutBuilder(1000).File("f", 10, 5).Resident("r").Text());
  EXPECT_EQ(Pointers(layout, "f", 5).Status, kStatusEndOfFile);
  EXPECT_EQ(Pointers(layout, "f", 4).Status, kStatusSuccess);
  EXPECT_EQ(Pointers(layout, "r", 0).Status, kStatusEndOfFile);
  EXPECT_EQ(Pointers(layout, "unlisted", 0).Status, kStatusEndOfFile);
  EXPECT_EQ(Pointers(layout, "f", -1).Status, kStatusInvalidParameter);
  EXPECT_EQ(Pointers(layout, "f", 0, 31).Status, kStatusBufferTooSmall);
  EXPECT_EQ(Pointers(layout, "f", 0, 31).Written, 0u);
  EXPECT_EQ(Pointers(layout, "f", 0, 32).Status, kStatusSuccess);
}

TEST(LayoutBitmap, StartsOnAByteAndSetsTheBitsPastTheEnd) {
  const VolumeLayout layout = VolumeLayout::Parse(LayoutBuilder(20).Used(9, 2).Text());
  const auto answer = Bitmap(layout, 13, 64);
  ASSERT_EQ(answer.Status, kStatusSuccess);
  EXPECT_EQ(answer.Header.StartingLcn, 8);
  EXPECT_EQ(answer.Header.BitmapSize, 12);
  EXPECT_EQ(answer.Written, 16u + 2);
  EXPECT_EQ(answer.Bits[0], 0b00000110);
  EXPECT_EQ(answer.Bits[1], 0b11110000);  // clusters 20..23 do not exist
  const auto whole = Bitmap(layout, 0, 64);
  EXPECT_EQ(whole.Header.BitmapSize, 20);
  EXPECT_EQ(whole.Bits, (std::vector<uint8_t>{0b00000000, 0b00000110, 0b11110000}));
}

TEST(LayoutBitmap, OverflowsWhenTheRestDoesNotFit) {
  const VolumeLayout layout =
      VolumeLayout::Parse(LayoutBuilder(100).Used(15, 3).File("f", 60, 30).Text());
  const auto first = Bitmap(layout, 0, 16 + 2);
  EXPECT_EQ(first.Status, kStatusBufferOverflow);
  EXPECT_EQ(first.Written, 18u);
  EXPECT_EQ(first.Header.BitmapSize, 100);  // what remains of the volume, not what fitted
  EXPECT_EQ(first.Bits, (std::vector<uint8_t>{0x00, 0b10000000}));
  const auto second = Bitmap(layout, 16, 16 + 2);
  EXPECT_EQ(second.Status, kStatusBufferOverflow);
  EXPECT_EQ(second.Bits, (std::vector<uint8_t>{0b00000011, 0x00}));
  const auto tail = Bitmap(layout, 96, 16 + 2);
  EXPECT_EQ(tail.Status, kStatusSuccess);
  EXPECT_EQ(tail.Bits, (std::vector<uint8_t>{0b11110000}));
  const auto full = Bitmap(layout, 56, 16 + 6);
  EXPECT_EQ(full.Status, kStatusSuccess);
  EXPECT_EQ(full.Bits, (std::vector<uint8_t>{0xF0, 0xFF, 0xFF, 0xFF, 0x03, 0xF0}));
}

TEST(LayoutBitmap, RefusesAStartPastTheEndAndATinyBuffer) {
  const VolumeLayout layout = VolumeLayout::Parse(LayoutBuilder(20).Text());
  EXPECT_EQ(Bitmap(layout, 20, 64).Status, kStatusInvalidParameter);
  EXPECT_EQ(Bitmap(layout, -8, 64).Status, kStatusInvalidParameter);
  EXPECT_EQ(Bitmap(layout, 19, 64).Status, kStatusSuccess);
  EXPECT_EQ(Bitmap(layout, 0, 16).Status, kStatusBufferTooSmall);
}

TEST(LayoutBitmap, AnswersTheEndOfTheLargestVolume) {
  const int64_t total = int64_t{1} << 32;
  const VolumeLayout layout =
      VolumeLayout::Parse(LayoutBuilder(total).Used(total - kChunk - 3, kChunk).Text());
  const auto answer = Bitmap(layout, total - kChunk, 16 + kChunk / 8);
  ASSERT_EQ(answer.Status, kStatusSuccess);
  EXPECT_EQ(answer.Header.BitmapSize, kChunk);
  EXPECT_TRUE(answer.Used(kChunk - 4));
  EXPECT_FALSE(answer.Used(kChunk - 3));
  EXPECT_FALSE(answer.Used(kChunk - 1));
}

class LayoutMove : public ::testing::Test {
 protected:
  VolumeLayout layout = VolumeLayout::Parse(LayoutBuilder(4 * kChunk)
                                                .Used(0, 16)
                                                .File("a", {{0, 100, 10}, {10, 300, 10}})
                                                .File("h", {{0, 500, 4}, {4, -1, 4}, {8, 600, 4}})
                                                .Resident("r")
                                                .Text());
};

TEST_F(LayoutMove, MovesPiecesAndUpdatesTheBitmapWithThem) {
  ASSERT_EQ(layout.Move("a", 10, 110, 10), kStatusSuccess);
  EXPECT_EQ(MapOf(layout, "a"), "0:100:20");  // pieces that now touch are one extent
  EXPECT_TRUE(layout.IsFree(300, 10));
  EXPECT_FALSE(layout.IsFree(110, 1));
  EXPECT_FALSE(layout.IsFree(119, 1));

  ASSERT_EQ(layout.Move("a", 5, 2000, 3), kStatusSuccess);  // from the middle of an extent
  EXPECT_EQ(MapOf(layout, "a"), "0:100:5 5:2000:3 8:108:12");
  EXPECT_TRUE(layout.IsFree(105, 3));
  EXPECT_FALSE(layout.IsFree(2000, 3));
  EXPECT_EQ(layout.Serialize(), std::string("volume\t4194304\t4096\nused\t0:16\n") +
                                    "file\ta\t0:100:5 5:2000:3 8:108:12\n" +
                                    "file\th\t0:500:4 4:-1:4 8:600:4\nresident\tr\n");
}

TEST_F(LayoutMove, RefusesATakenTargetAndChangesNothing) {
  const std::string before = layout.Serialize();
  EXPECT_EQ(layout.Move("a", 0, 10, 10), kStatusAlreadyCommitted);   // over the used run
  EXPECT_EQ(layout.Move("a", 0, 95, 10), kStatusAlreadyCommitted);   // over its own clusters
  EXPECT_EQ(layout.Move("a", 0, 290, 20), kStatusAlreadyCommitted);  // last cluster taken
  EXPECT_EQ(layout.Serialize(), before);
  EXPECT_TRUE(layout.IsFree(16, 84));
}

TEST_F(LayoutMove, RefusesRangesOutsideTheFileOrTheVolume) {
  const std::string before = layout.Serialize();
  EXPECT_EQ(layout.Move("a", 15, 5000, 6), kStatusInvalidParameter);
  EXPECT_EQ(layout.Move("a", -1, 5000, 2), kStatusInvalidParameter);
  EXPECT_EQ(layout.Move("a", 0, 5000, 0), kStatusInvalidParameter);
  EXPECT_EQ(layout.Move("a", 0, 4 * kChunk - 5, 6), kStatusInvalidParameter);
  EXPECT_EQ(layout.Move("a", 0, -1, 1), kStatusInvalidParameter);
  EXPECT_EQ(layout.Move("a", INT64_MAX, 5000, 1), kStatusInvalidParameter);
  EXPECT_EQ(layout.Move("a", 0, INT64_MAX, 1), kStatusInvalidParameter);
  EXPECT_EQ(layout.Move("r", 0, 5000, 1), kStatusInvalidParameter);
  EXPECT_EQ(layout.Move("unlisted", 0, 5000, 1), kStatusInvalidParameter);
  EXPECT_EQ(layout.Serialize(), before);
  EXPECT_EQ(layout.Move("a", 0, 4 * kChunk - 5, 5), kStatusSuccess);  // up to the last cluster
}

TEST_F(LayoutMove, LeavesHolesWhereTheyAre) {
  layout.Take(1004, 4);  // under the hole's place in the target: no data goes there
  ASSERT_EQ(layout.Move("h", 0, 1000, 12), kStatusSuccess);
  EXPECT_EQ(MapOf(layout, "h"), "0:1000:4 4:-1:4 8:1008:4");
  EXPECT_TRUE(layout.IsFree(500, 4));
  EXPECT_TRUE(layout.IsFree(600, 4));
  EXPECT_EQ(layout.Move("h", 4, 3000, 4), kStatusSuccess);  // nothing but a hole
  EXPECT_EQ(MapOf(layout, "h"), "0:1000:4 4:-1:4 8:1008:4");
  EXPECT_TRUE(layout.IsFree(3000, 4));
}

TEST_F(LayoutMove, CrossesTheBoundaryOfOneBitmapAnswer) {
  ASSERT_EQ(layout.Move("a", 0, kChunk - 6, 20), kStatusSuccess);
  EXPECT_EQ(MapOf(layout, "a"), "0:" + std::to_string(kChunk - 6) + ":20");
  const auto first = Bitmap(layout, 0, 16 + kChunk / 8);
  ASSERT_EQ(first.Status, kStatusBufferOverflow);
  EXPECT_FALSE(first.Used(kChunk - 7));
  EXPECT_TRUE(first.Used(kChunk - 6));
  EXPECT_TRUE(first.Used(kChunk - 1));
  EXPECT_FALSE(first.Used(100));
  const auto second = Bitmap(layout, kChunk, 16 + kChunk / 8);
  EXPECT_EQ(second.Header.StartingLcn, kChunk);
  EXPECT_TRUE(second.Used(13));
  EXPECT_FALSE(second.Used(14));
}

TEST(LayoutTake, MarksOnlyFreeClustersAsNewUsedRecords) {
  VolumeLayout layout = VolumeLayout::Parse(LayoutBuilder(100).File("f", 10, 5).Text());
  layout.Take(8, 10);
  layout.Take(95, 10);  // clipped at the end of the volume
  EXPECT_EQ(layout.Serialize(),
            "volume\t100\t4096\nused\t8:2\nused\t15:3\nused\t95:5\nfile\tf\t0:10:5\n");
  EXPECT_EQ(layout.UsedRunCount(), 2u);
  EXPECT_NO_THROW(VolumeLayout::Parse(layout.Serialize()));
}

TEST(LayoutSize, LoadsOneHundredThousandFiles) {
  std::string text = "volume\t4294967296\t4096\n";
  for (int i = 0; i < 100000; ++i) {
    const int64_t lcn = int64_t{i} * 40;
    text += "file\tdir" + std::to_string(i % 100) + "\\file" + std::to_string(i) +
            ".dat\t0:" + std::to_string(lcn) + ":10 10:" + std::to_string(lcn + 20) + ":10\n";
  }
  const VolumeLayout layout = VolumeLayout::Parse(text);
  EXPECT_EQ(layout.UsedRunCount(), 200000u);
  EXPECT_EQ(MapOf(layout, "DIR99\\FILE99999.DAT"), "0:3999960:10 10:3999980:10");
  EXPECT_EQ(layout.Serialize(), text);
  const auto bits = Bitmap(layout, 3999960, 16 + 8);
  EXPECT_EQ(bits.Bits, (std::vector<uint8_t>{0xFF, 0x03, 0xF0, 0x3F, 0x00, 0x00, 0x00, 0x00}));
}

}  // namespace
}  // namespace movra::platform
