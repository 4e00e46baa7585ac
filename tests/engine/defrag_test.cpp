#include <gtest/gtest.h>

#include <windows.h>

#include "engine/defrag.h"
#include "engine_fixture.h"
#include "engine_log.h"
#include "platform/simulation_hooks.h"
#include "platform/volume_access.h"

namespace movra::testing {
namespace {

namespace hooks = platform::testing;

std::string FileRecord(const std::string& path, const std::string& extents) {
  return "file\t" + path + "\t" + extents + "\n";
}

constexpr char kSmallVolume[] = "volume\t100000\t4096\nused\t0:100\n";

class PlacementTest : public EngineTest {};

TEST_F(PlacementTest, FileMovesToFirstFreeRunThatHoldsIt) {
  // Free: 100-199 (100), 300-999 (700); file of 150 clusters in three pieces further up.
  Mount('M', std::string(kSmallVolume) + "used\t200:100\n" +
                 FileRecord("data\\a.bin", "0:5000:50 50:6000:50 100:7000:50"));
  EXPECT_EQ(DefragmentFile("M:\\data\\a.bin"), 0);
  TExtentList map = MapOf("M:\\data\\a.bin");
  ASSERT_EQ(map.size(), 1u);
  EXPECT_EQ(map[0].Lcn, 300);
  EXPECT_EQ(map[0].Length, 150);
}

TEST_F(PlacementTest, ContiguousFileMovesOnlyWhenTheRunLiesBelowIt) {
  Mount('M', std::string(kSmallVolume) + FileRecord("low.bin", "0:100:10 10:110:10") +
                 FileRecord("high.bin", "0:5000:20"));
  // "low.bin" is two touching pieces: one extent after merging, already below every free run.
  EXPECT_EQ(DefragmentFile("M:\\low.bin"), 0);
  TExtentList low = MapOf("M:\\low.bin");
  ASSERT_EQ(low.size(), 1u);
  EXPECT_EQ(low[0].Lcn, 100);
  // "high.bin" is one piece, but a fitting run starts below it.
  EXPECT_EQ(DefragmentFile("M:\\high.bin"), 0);
  TExtentList high = MapOf("M:\\high.bin");
  ASSERT_EQ(high.size(), 1u);
  EXPECT_EQ(high[0].Lcn, 120);
}

TEST_F(PlacementTest, TailPlacementEndsAtTheEndOfTheLastRun) {
  Mount('M', std::string(kSmallVolume) + "used\t99000:1000\n" +
                 FileRecord("t.bin", "0:500:10 10:700:10"));
  EXPECT_EQ(DefragmentFileToTail("M:\\t.bin"), 0);
  TExtentList map = MapOf("M:\\t.bin");
  ASSERT_EQ(map.size(), 1u);
  EXPECT_EQ(map[0].Lcn, 99000 - 20);
  // A second run finds it in place and leaves it.
  EXPECT_EQ(DefragmentFileToTail("M:\\t.bin"), 0);
  EXPECT_EQ(LcnOf("M:\\t.bin"), 99000 - 20);
}

TEST_F(PlacementTest, RunReachingTheLastClusterIsUsed) {
  // The only free space is the very end of the volume.
  Mount('M', "volume\t4096\t4096\nused\t0:10\nused\t15:5\nused\t25:3975\n" +
                 FileRecord("f", "0:10:5 5:20:5"));
  EXPECT_EQ(DefragmentFile("M:\\f"), 0);
  EXPECT_EQ(LcnOf("M:\\f"), 4000);
  EXPECT_EQ(DefragmentFileToTail("M:\\f"), 0);
  EXPECT_EQ(LcnOf("M:\\f"), 4096 - 10);
}

TEST_F(PlacementTest, FileWithoutClustersReportsEndOfFile) {
  Mount('M', std::string(kSmallVolume) + "resident\tsmall.txt\n");
  EngineLog log;
  EXPECT_EQ(DefragmentFile("M:\\small.txt"), platform::kStatusEndOfFile);
  EXPECT_EQ(DefragmentFileToTail("M:\\small.txt"), platform::kStatusEndOfFile);
  int64_t target = 500;
  EXPECT_EQ(DefragmentFileToOffset("M:\\small.txt", target), platform::kStatusEndOfFile);
  EXPECT_EQ(target, 500);
  EXPECT_TRUE(log.Has("    File \"M:\\small.txt\" alredy MFT placed. Just exitting."));
  EXPECT_TRUE(log.Has(">>>> \"Defragment file\" finished normally."));
}

TEST_F(PlacementTest, RefusedDriveTypesOpenNothing) {
  Mount('M', std::string(kSmallVolume) + FileRecord("f", "0:500:1 1:700:1"));
  for (int type : {DRIVE_REMOTE, DRIVE_UNKNOWN}) {
    hooks::SetDriveType('M', type);
    HANDLE file = nullptr, volume = nullptr;
    EXPECT_EQ(OpenFileAndVolume("M:\\f", file, volume), DEFRAG_E_DRIVE_TYPE);
    EXPECT_EQ(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(volume, INVALID_HANDLE_VALUE);
    EXPECT_EQ(DefragmentFile("M:\\f"), DEFRAG_E_DRIVE_TYPE);
  }
  // Removable, CD and RAM drives are accepted.
  for (int type : {DRIVE_REMOVABLE, DRIVE_CDROM, DRIVE_RAMDISK}) {
    hooks::SetDriveType('M', type);
    EXPECT_EQ(DefragmentFile("M:\\f"), 0) << type;
  }
}

TEST_F(PlacementTest, BadPathsFailWithAStatus) {
  Mount('M', kSmallVolume);
  EXPECT_EQ(DefragmentFile(""), ERROR_INVALID_NAME);
  EXPECT_EQ(DefragmentFile("M:\\missing.bin"), ERROR_FILE_NOT_FOUND);
  int64_t target = 0;
  EXPECT_EQ(DefragmentFileToOffset("", target), ERROR_INVALID_NAME);
  HANDLE file = nullptr;
  EXPECT_EQ(OpenFileHandle("", file), ERROR_INVALID_NAME);
  EXPECT_EQ(file, INVALID_HANDLE_VALUE);
  // A network path is refused by its drive type before anything is opened.
  hooks::SetRootDriveType("\\\\server\\share\\", DRIVE_REMOTE);
  EXPECT_EQ(DefragmentFile("\\\\server\\share\\f.bin"), DEFRAG_E_DRIVE_TYPE);
}

TEST_F(PlacementTest, NoRegionMovesNothingAndSaysWhy) {
  // Free: only 595-599, too small for 25 clusters.
  Mount('M', "volume\t1000\t4096\nused\t0:500\nused\t505:90\nused\t620:380\n" +
                 FileRecord("big", "0:500:5 5:600:20"));
  EngineLog log;
  EXPECT_EQ(DefragmentFile("M:\\big"), 0);
  EXPECT_EQ(MapOf("M:\\big").size(), 2u);
  EXPECT_TRUE(log.Has("    No region to place file \"M:\\big\"!"));
  EXPECT_TRUE(log.Has("    Need as minimum as 25 clusters to complete!"));
  EXPECT_TRUE(log.Has("    Defragmentation will not performed."));
}

TEST_F(PlacementTest, FailedMoveIsReportedAndLogged) {
  Mount('M', std::string(kSmallVolume) + FileRecord("f", "0:5000:10 10:6000:10 20:7000:10"));
  hooks::FailMove(2, platform::kStatusInvalidParameter);
  EngineLog log;
  EXPECT_EQ(DefragmentFile("M:\\f"), platform::kStatusInvalidParameter);
  // The first piece moved, the rest stayed.
  TExtentList map = MapOf("M:\\f");
  ASSERT_EQ(map.size(), 3u);
  EXPECT_EQ(map[0].Lcn, 100);
  EXPECT_EQ(map[1].Lcn, 6000);
  EXPECT_TRUE(log.Has("    Cannot move FILE region to the new location \"M:\\f\"! Exit with:"));
  EXPECT_TRUE(log.Has(">>>> Escaped from \"Defragment file\"."));
  EXPECT_FALSE(log.Has(">>>> \"Defragment file\" finished normally."));

  hooks::FailMove(1, platform::kStatusAlreadyCommitted);
  EXPECT_EQ(DefragmentFileToTail("M:\\f"), platform::kStatusAlreadyCommitted);
  EXPECT_TRUE(log.Has("    Possibly disk state has changed."));
  EXPECT_TRUE(log.Has(">>>> Escaped from \"Defragment file to tail\"."));
}

TEST_F(PlacementTest, TargetTakenBetweenScanAndMoveChangesNothing) {
  Mount('M', std::string(kSmallVolume) + FileRecord("f", "0:5000:10 10:6000:10"));
  hooks::SetBeforeMove([](char letter) { hooks::TakeClusters(letter, 105, 1); });
  int64_t target = 100;
  EXPECT_EQ(DefragmentFileToOffset("M:\\f", target), platform::kStatusAlreadyCommitted);
  TExtentList map = MapOf("M:\\f");
  ASSERT_EQ(map.size(), 2u);
  EXPECT_EQ(map[0].Lcn, 5000);
}

TEST_F(PlacementTest, PendingAnswersAreWaitedFor) {
  Mount('M', std::string(kSmallVolume) + FileRecord("f", "0:5000:10 10:6000:10"));
  hooks::SetPendingAnswers(true);
  EXPECT_EQ(DefragmentFile("M:\\f"), 0);
  hooks::SetPendingAnswers(false);
  TExtentList map = MapOf("M:\\f");
  ASSERT_EQ(map.size(), 1u);
  EXPECT_EQ(map[0].Lcn, 100);
  // A pending request that ends in failure still fails.
  hooks::SetPendingAnswers(true);
  hooks::FailMove(1, platform::kStatusInvalidParameter);
  EXPECT_EQ(DefragmentFileToTail("M:\\f"), platform::kStatusInvalidParameter);
}

TEST_F(PlacementTest, OffsetPlacementAdvancesTheTarget) {
  Mount('M', std::string(kSmallVolume) + FileRecord("a", "0:5000:10 10:6000:5") +
                 FileRecord("b", "0:7000:7"));
  int64_t target = 200;
  EXPECT_EQ(DefragmentFileToOffset("M:\\a", target), 0);
  EXPECT_EQ(target, 215);
  EXPECT_EQ(DefragmentFileToOffset("M:\\b", target), 0);
  EXPECT_EQ(target, 222);
  EXPECT_EQ(LcnOf("M:\\a"), 200);
  EXPECT_EQ(LcnOf("M:\\b"), 215);
}

TEST_F(PlacementTest, ExtentsLongerThanAMoveRequestGoInPieces) {
  // One extent of 2^32 + 10 clusters: a single request cannot carry its length.
  const int64_t huge = (int64_t{1} << 32) + 10;
  Mount('M', "volume\t" + std::to_string(int64_t{1} << 34) + "\t4096\nused\t0:50\n" +
                 FileRecord("huge", "0:" + std::to_string((int64_t{1} << 33) + 1000) + ":" +
                                        std::to_string(huge) + " " + std::to_string(huge) +
                                        ":50:5"));
  EXPECT_EQ(DefragmentFile("M:\\huge"), 0);
  TExtentList map = MapOf("M:\\huge");
  ASSERT_EQ(map.size(), 1u);
  EXPECT_EQ(map[0].Lcn, 55);
  EXPECT_EQ(map[0].Length, huge + 5);
}

TEST_F(PlacementTest, BracesInFileNamesAreLoggedAsTheyStand) {
  Mount('M', std::string(kSmallVolume) + FileRecord("{dte}{*9999999999*}\\x{", "0:5000:1"));
  EngineLog log;
  EXPECT_EQ(DefragmentFile("M:\\{dte}{*9999999999*}\\x{"), 0);
  EXPECT_TRUE(log.Has("<<<< \"Defragment file\" started. File: \"M:\\{dte}{*9999999999*}\\x{\""));
  EXPECT_TRUE(log.Has(">>>> \"Defragment file\" finished normally."));
}

TEST_F(PlacementTest, LogLevelsFilterLines) {
  Mount('M', std::string(kSmallVolume) + FileRecord("f", "0:5000:1"));
  {
    EngineLog log(1);
    int64_t target = 300;
    DefragmentFileToOffset("M:\\f", target);
    EXPECT_TRUE(log.Has("<<<< \"Defragment file to offset\" started. File: \"M:\\f\""));
    EXPECT_FALSE(log.HasPrefix("     \"Starting cluster for file: "));
  }
  {
    EngineLog log(2);
    int64_t target = 400;
    DefragmentFileToOffset("M:\\f", target);
    EXPECT_TRUE(log.Has("     \"Starting cluster for file: \"M:\\f\" is 400"));
  }
}

class ListTest : public EngineTest {};

TEST_F(ListTest, FilesAreLaidOutOneAfterAnotherInOneBlock) {
  Mount('M', std::string(kSmallVolume) + "used\t150:50\n" +
                 FileRecord("a", "0:5000:30 30:6000:30") + FileRecord("b", "0:7000:40") +
                 "resident\tc\n" + FileRecord("d", "0:8000:10"));
  TStringList paths{"M:\\a", "M:\\b", "M:\\c", "M:\\missing", "M:\\d"};
  EngineLog log;
  EXPECT_EQ(DefragmentList(paths, false), 0);
  // 110 clusters in all: 100-149 is too small, 200 on holds them.
  EXPECT_EQ(LcnOf("M:\\a"), 200);
  EXPECT_EQ(LcnOf("M:\\b"), 260);
  EXPECT_EQ(LcnOf("M:\\d"), 300);
  EXPECT_TRUE(log.Has("    Cannot open file handle for \"M:\\missing\"! Exit with:"));
  EXPECT_TRUE(log.Has(">>>> \"Defragment list\" finished normally."));
}

TEST_F(ListTest, ToEndLaysTheBlockAtTheEndOfTheLastRun) {
  Mount('M', std::string(kSmallVolume) + "used\t90000:10000\n" + FileRecord("a", "0:5000:30") +
                 FileRecord("b", "0:7000:20 20:7100:20"));
  EXPECT_EQ(DefragmentList({"M:\\a", "M:\\b"}, true), 0);
  EXPECT_EQ(LcnOf("M:\\a"), 90000 - 70);
  TExtentList b = MapOf("M:\\b");
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0].Lcn, 90000 - 40);
}

TEST_F(ListTest, NoRoomMovesNothing) {
  // Free: only 940-999, too small for 120 clusters.
  Mount('M', "volume\t1000\t4096\nused\t60:40\nused\t160:780\n" +
                 FileRecord("a", "0:0:60 60:100:60"));
  EngineLog log;
  EXPECT_EQ(DefragmentList({"M:\\a"}, false), 0);
  EXPECT_EQ(MapOf("M:\\a").size(), 2u);
  EXPECT_TRUE(log.Has("    No region to place file \"M:\\a\"!"));
  EXPECT_TRUE(log.Has(">>>> \"Defragment list\" finished normally."));
}

TEST_F(ListTest, EachVolumeGetsItsOwnBlock) {
  Mount('M', std::string(kSmallVolume) + FileRecord("a", "0:5000:10 10:6000:10"));
  Mount('N', "volume\t50000\t4096\nused\t0:3000\n" + FileRecord("b", "0:9000:5 5:9100:5"));
  EXPECT_EQ(DefragmentList({"M:\\a", "N:\\b"}, false), 0);
  EXPECT_EQ(LcnOf("M:\\a"), 100);
  TExtentList b = MapOf("N:\\b");
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0].Lcn, 3000);
}

TEST_F(ListTest, AVolumeThatCannotBeOpenedLeavesTheOthersInListOrder) {
  Mount('M', std::string(kSmallVolume) + FileRecord("a", "0:5000:10") + FileRecord("c", "0:6000:10"));
  Mount('N', std::string(kSmallVolume) + FileRecord("b", "0:5000:10"));
  hooks::SetDriveType('N', DRIVE_REMOTE);
  EngineLog log;
  EXPECT_EQ(DefragmentList({"M:\\a", "N:\\b", "M:\\c"}, false), DEFRAG_E_LIST_VOLUME);
  EXPECT_EQ(LcnOf("M:\\a"), 100);
  EXPECT_EQ(LcnOf("M:\\c"), 110);
  EXPECT_EQ(LcnOf("N:\\b"), 5000);
  std::vector<std::string> lines = log.Lines();
  auto at = [&](const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) - lines.begin();
  };
  const auto a = at("<<<< \"Defragment file to offset\" started. File: \"M:\\a\"");
  const auto b = at("    File \"N:\\b\" is skipped: its volume cannot be opened.");
  const auto c = at("<<<< \"Defragment file to offset\" started. File: \"M:\\c\"");
  ASSERT_LT(c, static_cast<long>(lines.size()));
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
  EXPECT_EQ(lines.back(), ">>>> Escaped from \"Defragment list\".");
  EXPECT_FALSE(log.Has(">>>> \"Defragment list\" finished normally."));
}

TEST_F(ListTest, ListWithoutClustersNeedsNoRegion) {
  Mount('M', "volume\t1000\t4096\nused\t0:1000\nresident\tr1\nresident\tr2\n");
  EngineLog log;
  EXPECT_EQ(DefragmentList({"M:\\r1", "M:\\r2"}, false), 0);
  EXPECT_FALSE(log.HasPrefix("    No region"));
  EXPECT_TRUE(log.Has("    File \"M:\\r2\" alredy MFT placed. Just exitting."));
}

TEST_F(ListTest, EmptyListAndUnopenableVolume) {
  EXPECT_EQ(DefragmentList({}, false), DEFRAG_E_EMPTY_LIST);
  Mount('M', std::string(kSmallVolume) + FileRecord("a", "0:5000:10"));
  hooks::SetDriveType('M', DRIVE_REMOTE);
  EngineLog log;
  EXPECT_EQ(DefragmentList({"M:\\a"}, false), DEFRAG_E_LIST_VOLUME);
  EXPECT_TRUE(log.Has("    Cannot open volume for \"M:\\a\"! Exit with:"));
  EXPECT_TRUE(log.Has(">>>> Escaped from \"Defragment list\"."));
}


// A bitmap that cannot be read says nothing about free space: every placement ends with its
// escape line and the failure's status, never with "no region".
class BitmapFailureTest : public EngineTest {
 protected:
  static void ExpectFailureLogged(const EngineLog& log, const std::string& path,
                                  const std::string& escape) {
    EXPECT_TRUE(log.Has("    Cannot read the volume bitmap for \"" + path + "\"! Exit with:"));
    EXPECT_TRUE(log.Has(escape));
    EXPECT_FALSE(log.HasPrefix("    No region to place file"));
    EXPECT_FALSE(log.HasPrefix("    Need as minimum as"));
  }
};

TEST_F(BitmapFailureTest, SingleFilePlacementsReturnTheStatus) {
  Mount('M', std::string(kSmallVolume) + FileRecord("f", "0:5000:10 10:6000:10"));
  {
    EngineLog log;
    hooks::FailBitmap(1, platform::kStatusInvalidDeviceRequest);
    EXPECT_EQ(DefragmentFile("M:\\f"), platform::kStatusInvalidDeviceRequest);
    ExpectFailureLogged(log, "M:\\f", ">>>> Escaped from \"Defragment file\".");
    EXPECT_FALSE(log.Has(">>>> \"Defragment file\" finished normally."));
  }
  {
    EngineLog log;
    hooks::FailBitmap(1, platform::kStatusNotSupported);
    EXPECT_EQ(DefragmentFileToTail("M:\\f"), platform::kStatusNotSupported);
    ExpectFailureLogged(log, "M:\\f", ">>>> Escaped from \"Defragment file to tail\".");
    EXPECT_FALSE(log.Has(">>>> \"Defragment file to tail\" finished normally."));
  }
  // Pending requests that end in failure, and answers that start elsewhere than asked.
  hooks::SetPendingAnswers(true);
  hooks::FailBitmap(1, platform::kStatusUnexpectedIoError);
  EXPECT_EQ(DefragmentFile("M:\\f"), platform::kStatusUnexpectedIoError);
  hooks::SetPendingAnswers(false);
  hooks::FailBitmap(1, platform::kStatusSuccess);
  EXPECT_EQ(DefragmentFileToTail("M:\\f"), DEFRAG_E_BITMAP_ANSWER);
  hooks::FailBitmap(1, platform::kStatusSuccess);
  EXPECT_EQ(DefragmentFile("M:\\f"), DEFRAG_E_BITMAP_ANSWER);
  // Nothing moved through any of it; with the bitmap back, the file moves.
  EXPECT_EQ(MapOf("M:\\f").size(), 2u);
  EXPECT_EQ(DefragmentFile("M:\\f"), 0);
  EXPECT_EQ(LcnOf("M:\\f"), 100);
}

TEST_F(BitmapFailureTest, ALaterChunkFailingIsAFailureToo) {
  // Two requests are needed for this volume; the second one fails.
  Mount('M', "volume\t2000000\t4096\nused\t0:1048576\n" + FileRecord("f", "0:1900000:5 5:1950000:5"));
  hooks::FailBitmap(2, platform::kStatusInvalidParameter);
  EXPECT_EQ(DefragmentFile("M:\\f"), platform::kStatusInvalidParameter);
  // The public scans keep their own answers: -1 from first fit, the status from collect-all.
  HANDLE volume = INVALID_HANDLE_VALUE;
  ASSERT_EQ(OpenVolumeHandle("M:\\f", volume), 0);
  int64_t start = 7, length = 7;
  hooks::FailBitmap(2, platform::kStatusInvalidParameter);
  EXPECT_EQ(FindFirstFreeRun(volume, start, length, 5), -1);
  EXPECT_EQ(start, 7);
  TFreeRunList runs;
  hooks::FailBitmap(1, platform::kStatusInvalidParameter);
  EXPECT_EQ(CollectFreeRuns(volume, runs, 5),
            static_cast<int64_t>(static_cast<uint32_t>(platform::kStatusInvalidParameter)));
  hooks::FailBitmap(1, platform::kStatusSuccess);
  EXPECT_EQ(CollectFreeRuns(volume, runs, 5), -1);
  CloseEngineHandle(volume);
}

TEST_F(BitmapFailureTest, ListSkipsThatVolumesFilesAndEscapes) {
  Mount('M', std::string(kSmallVolume) + FileRecord("a", "0:5000:10 10:5100:10"));
  Mount('N', std::string(kSmallVolume) + FileRecord("b", "0:5000:10 10:5100:10"));
  EngineLog log;
  // M's bitmap is asked for first and fails; N's is read.
  hooks::FailBitmap(1, platform::kStatusInvalidDeviceRequest);
  EXPECT_EQ(DefragmentList({"M:\\a", "N:\\b"}, false), platform::kStatusInvalidDeviceRequest);
  EXPECT_EQ(MapOf("M:\\a").size(), 2u);
  EXPECT_EQ(LcnOf("N:\\b"), 100);
  EXPECT_TRUE(log.Has("    Cannot read the volume bitmap for \"M:\\a\"! Exit with:"));
  EXPECT_TRUE(
      log.Has("    File \"M:\\a\" is skipped: the bitmap of its volume cannot be read."));
  std::vector<std::string> lines = log.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), ">>>> Escaped from \"Defragment list\".");
  EXPECT_FALSE(log.HasPrefix("    No region to place file"));
}

TEST_F(PlacementTest, LongPathsKeepTheirFormAndAreLoggedAsGiven) {
  std::string relative;
  while (relative.size() < 300) relative += "a-rather-long-folder-name\\";
  relative += "f.bin";
  Mount('M', std::string(kSmallVolume) + FileRecord(relative, "0:5000:10 10:6000:10"));
  const std::string given = "\\\\?\\M:\\" + relative;
  EngineLog log;
  EXPECT_EQ(DefragmentFile(given), 0);
  EXPECT_EQ(LcnOf(given), 100);
  EXPECT_TRUE(log.Has("<<<< \"Defragment file\" started. File: \"" + given + "\""));
}

}  // namespace
}  // namespace movra::testing
