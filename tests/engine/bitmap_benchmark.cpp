// Benchmark, not a timed test: prints how fast the free-run scan goes against a plain
// bit-by-bit loop over the same bitmap, and asserts only that both find the same runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "engine/bitmap_scan.h"
#include "engine/defrag.h"
#include "engine_fixture.h"

namespace movra::testing {
namespace {

constexpr int64_t kClusters = int64_t{1} << 29;  // 2 TiB at 4 KiB
constexpr int64_t kChunk = 1048576;

struct RunTotals {
  int64_t runs = 0;
  int64_t clusters = 0;
  int64_t longest = 0;
  bool operator==(const RunTotals&) const = default;
};

struct Stretch {
  int64_t lcn;
  int64_t length;
};

// Used stretches of 1..4096 clusters between free runs of 1..32: free space in small pieces,
// with the last `freeTail` clusters free.
std::vector<Stretch> UsedStretches(int64_t freeTail) {
  std::vector<Stretch> used;
  std::mt19937_64 random(20261208);
  int64_t lcn = 0;
  const int64_t end = kClusters - freeTail;
  while (lcn < end) {
    const int64_t length = std::min<int64_t>(1 + static_cast<int64_t>(random() % 4096), end - lcn);
    used.push_back({lcn, length});
    lcn += length + 1 + static_cast<int64_t>(random() % 32);
  }
  return used;
}

std::vector<uint8_t> BitmapOf(const std::vector<Stretch>& used) {
  std::vector<uint8_t> bitmap(kClusters / 8, 0);
  for (const Stretch& s : used) {
    for (int64_t i = s.lcn; i < s.lcn + s.length; ++i) bitmap[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
  }
  return bitmap;
}

RunTotals ScanByWords(const std::vector<uint8_t>& bitmap) {
  RunTotals totals;
  TFreeRunScanner scanner;
  auto onRun = [&](int64_t, int64_t length) {
    ++totals.runs;
    totals.clusters += length;
    totals.longest = std::max(totals.longest, length);
    return false;
  };
  for (int64_t first = 0; first < kClusters; first += kChunk) {
    scanner.Scan(bitmap.data() + first / 8, kChunk, first, onRun);
  }
  scanner.Finish(onRun);
  return totals;
}

RunTotals ScanByBits(const std::vector<uint8_t>& bitmap) {
  RunTotals totals;
  int64_t length = 0;
  for (int64_t i = 0; i < kClusters; ++i) {
    if ((bitmap[i / 8] >> (i % 8)) & 1) {
      if (length > 0) {
        ++totals.runs;
        totals.clusters += length;
        totals.longest = std::max(totals.longest, length);
      }
      length = 0;
    } else {
      ++length;
    }
  }
  if (length > 0) {
    ++totals.runs;
    totals.clusters += length;
    totals.longest = std::max(totals.longest, length);
  }
  return totals;
}

template <typename F>
double Seconds(F&& f) {
  auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(Benchmark, FreeRunScanAgainstBitByBitLoop) {
  std::vector<uint8_t> bitmap = BitmapOf(UsedStretches(0));
  RunTotals words, bits;
  double wordSeconds = Seconds([&] { words = ScanByWords(bitmap); });
  double bitSeconds = Seconds([&] { bits = ScanByBits(bitmap); });
  EXPECT_EQ(words, bits);
  std::printf("bitmap scan: %lld clusters, %lld free runs\n", static_cast<long long>(kClusters),
              static_cast<long long>(words.runs));
  std::printf("  word scan:  %.0f Mclusters/s\n", kClusters / wordSeconds / 1e6);
  std::printf("  bit loop:   %.0f Mclusters/s\n", kClusters / bitSeconds / 1e6);
  std::printf("  ratio:      %.1fx\n", bitSeconds / wordSeconds);
}

TEST_F(EngineTest, BenchmarkDefragmentFileOnALargeFragmentedVolume) {
  // The file is made of the first 16 used stretches; only the free tail can hold it whole.
  std::vector<Stretch> used = UsedStretches(1 << 20);
  std::string layout = "volume\t" + std::to_string(kClusters) + "\t4096\n";
  std::string file = "file\tbig.bin\t";
  int64_t vcn = 0;
  for (size_t i = 0; i < used.size(); ++i) {
    const std::string run = std::to_string(used[i].lcn) + ":" + std::to_string(used[i].length);
    if (i < 16) {
      file += (i ? " " : "") + std::to_string(vcn) + ":" + run;
      vcn += used[i].length;
    } else {
      layout += "used\t" + run + "\n";
    }
  }
  Mount('B', layout + file + "\n");

  HANDLE volume = INVALID_HANDLE_VALUE;
  ASSERT_EQ(OpenVolumeHandle("B:\\", volume), 0);
  TFreeRunList runs;
  double collectSeconds = Seconds([&] { CollectFreeRuns(volume, runs, 1); });
  platform::CloseHandle(volume);
  EXPECT_GT(runs.size(), 100000u);

  int32_t status = -1;
  double defragSeconds = Seconds([&] { status = DefragmentFile("B:\\big.bin"); });
  EXPECT_EQ(status, 0);
  TExtentList map = MapOf("B:\\big.bin");
  ASSERT_EQ(map.size(), 1u);
  EXPECT_EQ(map[0].Lcn, kClusters - (1 << 20));
  EXPECT_EQ(map[0].Length, vcn);

  std::printf("volume of %lld clusters in %zu used stretches, through the volume layer:\n",
              static_cast<long long>(kClusters), used.size());
  std::printf("  collect all free runs: %.0f Mclusters/s, %zu runs\n",
              kClusters / collectSeconds / 1e6, runs.size());
  std::printf("  DefragmentFile of %lld clusters in 16 pieces: %.3f s\n",
              static_cast<long long>(vcn), defragSeconds);
}

}  // namespace
}  // namespace movra::testing
