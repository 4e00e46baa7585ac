#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/bitmap_scan.h"
#include "engine/defrag.h"
#include "engine_fixture.h"
#include "platform/simulation_hooks.h"

namespace movra::testing {
namespace {

namespace hooks = platform::testing;

// Reference: the free runs of a bitmap, bit by bit.
std::vector<FreeRun> RunsBitByBit(const std::vector<uint8_t>& bitmap, int64_t bits) {
  std::vector<FreeRun> runs;
  for (int64_t i = 0; i < bits; ++i) {
    bool used = (bitmap[i / 8] >> (i % 8)) & 1;
    if (!used) {
      if (runs.empty() || runs.back().Start + runs.back().Length != i) {
        runs.push_back({i, 0});
      }
      ++runs.back().Length;
    }
  }
  return runs;
}

TEST(FreeRunScanner, GivesExactlyTheRunsOfTheBitByBitRuleForAnyChunking) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    const int64_t bits = 1 + random() % 3000;
    std::vector<uint8_t> bitmap(static_cast<size_t>((bits + 7) / 8 + 8), 0);
    // Runs of varying lengths, so that whole words of both kinds occur.
    int64_t i = 0;
    bool used = random() % 2;
    while (i < bits) {
      int64_t len = 1 + random() % (random() % 4 == 0 ? 200 : 9);
      for (int64_t k = i; k < std::min(bits, i + len); ++k) {
        if (used) bitmap[k / 8] |= static_cast<uint8_t>(1u << (k % 8));
      }
      i += len;
      used = !used;
    }
    // Bytes past the end hold garbage that must be ignored.
    for (size_t b = static_cast<size_t>(bits / 8) + 1; b < bitmap.size(); ++b) bitmap[b] = 0xA5;
    if (bits % 8) bitmap[bits / 8] |= static_cast<uint8_t>(0xFF << (bits % 8)) & 0x5A;

    std::vector<FreeRun> expected = RunsBitByBit(bitmap, bits);
    // Chunks must start on byte boundaries, as bitmap answers do.
    std::vector<FreeRun> found;
    TFreeRunScanner scanner;
    auto onRun = [&](int64_t s, int64_t l) {
      found.push_back({s, l});
      return false;
    };
    int64_t first = 0;
    while (first < bits) {
      int64_t chunk = std::min<int64_t>(bits - first, 8 * (1 + random() % 40));
      std::vector<uint8_t> piece(bitmap.begin() + first / 8, bitmap.end());
      scanner.Scan(piece.data(), chunk, first, onRun);
      first += chunk;
    }
    scanner.Finish(onRun);
    ASSERT_EQ(found.size(), expected.size()) << "round " << round;
    for (size_t r = 0; r < found.size(); ++r) {
      EXPECT_EQ(found[r].Start, expected[r].Start);
      EXPECT_EQ(found[r].Length, expected[r].Length);
    }
  }
}

TEST(MergeAdjacentExtents, JoinsOnlyPhysicalNeighboursWithClusters) {
  TExtentList extents{{0, 100, 10}, {10, 110, 5}, {15, 200, 5}, {20, -1, 3}, {23, 2, 4},
                      {27, 6, 2}};
  int64_t count = 6;
  MergeAdjacentExtents(count, extents);
  ASSERT_EQ(count, 4);
  ASSERT_EQ(extents.size(), 4u);
  EXPECT_EQ(extents[0].Length, 15);
  EXPECT_EQ(extents[1].Lcn, 200);
  // -1 + 3 == 2 must not join the hole with the extent at 2.
  EXPECT_EQ(extents[2].Lcn, -1);
  EXPECT_EQ(extents[3].Lcn, 2);
  EXPECT_EQ(extents[3].Length, 6);
}

class MapTest : public EngineTest {};

TEST_F(MapTest, LongMapsArriveInPagesOf4096Extents) {
  std::string file = "file\tmany\t";
  const int kExtents = 10000;
  for (int i = 0; i < kExtents; ++i) {
    file += (i ? " " : "") + std::to_string(i * 2) + ":" + std::to_string(1000 + i * 4) + ":2";
  }
  Mount('M', "volume\t100000\t4096\n" + file + "\n");
  for (bool pending : {false, true}) {
    hooks::SetPendingAnswers(pending);
    HANDLE h = INVALID_HANDLE_VALUE;
    ASSERT_EQ(OpenFileHandle("M:\\many", h), 0);
    TExtentList extents;
    int64_t count = 0, total = 0;
    EXPECT_EQ(GetFileMap(h, count, total, extents), 0);
    EXPECT_EQ(count, kExtents);
    EXPECT_EQ(total, 2 * kExtents);
    ASSERT_EQ(extents.size(), static_cast<size_t>(kExtents));
    EXPECT_EQ(extents[4096].Vcn, 8192);
    EXPECT_EQ(extents[4096].Lcn, 1000 + 4096 * 4);
    EXPECT_EQ(GetFragmentCount(h), kExtents);
    int64_t clusters = -1;
    EXPECT_EQ(GetFileClusters(h, clusters), 0);
    EXPECT_EQ(clusters, 2 * kExtents);
    platform::CloseHandle(h);
  }
}

TEST_F(MapTest, FileWithoutClusters) {
  Mount('M', "volume\t1000\t4096\nresident\tr.txt\n");
  HANDLE h = INVALID_HANDLE_VALUE;
  ASSERT_EQ(OpenFileHandle("M:\\r.txt", h), 0);
  TExtentList extents;
  int64_t count = 0, total = 0;
  EXPECT_EQ(GetFileMap(h, count, total, extents), platform::kStatusEndOfFile);
  EXPECT_TRUE(extents.empty());
  EXPECT_EQ(GetFragmentCount(h), 0);
  int64_t clusters = -1;
  EXPECT_EQ(GetFileClusters(h, clusters), static_cast<int64_t>(static_cast<uint32_t>(platform::kStatusEndOfFile)));
  EXPECT_EQ(clusters, 0);
  platform::CloseHandle(h);
}

class BitmapTest : public EngineTest {
 protected:
  HANDLE Volume(char letter) {
    HANDLE v = INVALID_HANDLE_VALUE;
    EXPECT_EQ(OpenVolumeHandle(std::string(1, letter) + ":\\", v), 0);
    return v;
  }
};

TEST_F(BitmapTest, RunAcrossTheRequestBoundaryIsOneRun) {
  // Free from 1,048,000 to 1,049,999: it straddles the first answer's end.
  Mount('M', "volume\t3000000\t4096\nused\t0:1048000\nused\t1050000:1950000\n");
  HANDLE v = Volume('M');
  int64_t start = 0, length = 0;
  EXPECT_EQ(FindFirstFreeRun(v, start, length, 1500), 2000);
  EXPECT_EQ(start, 1048000);
  TFreeRunList runs;
  EXPECT_EQ(CollectFreeRuns(v, runs, 1), 0);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].Start, 1048000);
  EXPECT_EQ(runs[0].Length, 2000);
  platform::CloseHandle(v);
}

TEST_F(BitmapTest, FirstFitAndCollectAllObeyTheNeed) {
  Mount('M', "volume\t10000\t4096\nused\t0:10\nused\t20:80\nused\t150:9000\n");
  // Free: 10-19 (10), 100-149 (50), 9150-9999 (850, reaching the last cluster).
  HANDLE v = Volume('M');
  int64_t start = -5, length = -5;
  EXPECT_EQ(FindFirstFreeRun(v, start, length, 10), 10);
  EXPECT_EQ(start, 10);
  EXPECT_EQ(FindFirstFreeRun(v, start, length, 11), 50);
  EXPECT_EQ(start, 100);
  EXPECT_EQ(FindFirstFreeRun(v, start, length, 851), -1);
  EXPECT_EQ(start, 100);  // untouched when nothing fits
  EXPECT_EQ(FindFirstFreeRun(v, start, length, 850), 850);
  EXPECT_EQ(start, 9150);
  TFreeRunList runs;
  EXPECT_EQ(CollectFreeRuns(v, runs, 50), 0);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].Start, 100);
  EXPECT_EQ(runs[1].Start, 9150);
  EXPECT_EQ(runs[1].Length, 850);
  // Pending answers give the same runs.
  hooks::SetPendingAnswers(true);
  runs.clear();
  EXPECT_EQ(CollectFreeRuns(v, runs, 1), 0);
  EXPECT_EQ(runs.size(), 3u);
  platform::CloseHandle(v);
}

}  // namespace
}  // namespace movra::testing
