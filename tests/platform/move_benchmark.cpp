// Benchmark, not a timed test: moves per second on a simulated folder drive whose layout lists
// 1,000 and 200,000 files, with the volume held open, and what folding the moves into the
// layout file costs once the volume is let go. It asserts only that the moves arrived.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "platform/layout.h"
#include "tests/platform/volume_test_support.h"
#include "tests/support/support.h"

namespace movra::platform::testing {
namespace {

using movra::testing::LayoutBuilder;
using movra::testing::MappedDrive;
using movra::testing::TempDir;
using movra::testing::WriteTextFile;

constexpr int kMoves = 400;

template <typename F>
double Seconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Figures {
  size_t layoutBytes = 0;
  double movesPerSecond = 0;
  double fold = 0;
};

class MoveBenchmark : public SimulationTest {
 protected:
  Figures Measure(int files) {
    TempDir dir;
    LayoutBuilder layout(int64_t{1} << 30);
    for (int n = 0; n < files; ++n) layout.File("dir\\file" + std::to_string(n), 16 * n, 16);
    layout.File("moved.bin", 16 * files, 16);
    WriteTextFile(dir.Path() + "moved.bin", "data");
    WriteTextFile(dir.Path() + "volume.layout", layout.Text());
    MappedDrive drive(dir.Path());
    Figures figures;
    figures.layoutBytes = layout.Text().size();
    const int64_t target = int64_t{1} << 29;
    auto volume = std::make_unique<Handle>(OpenVolumeOf(drive.Letter()));
    Handle file(OpenFileAt(drive.Root() + "moved.bin"));
    EXPECT_EQ(MapText(file.get()), "0:" + std::to_string(16 * files) + ":16");
    const double moving = Seconds([&] {
      for (int i = 0; i < kMoves; ++i) {
        EXPECT_EQ(MoveClusters(volume->get(), file.get(), 0, target + (i % 2) * 64, 16),
                  kStatusSuccess);
      }
    });
    figures.movesPerSecond = kMoves / moving;
    figures.fold = Seconds([&] { volume.reset(); });
    const VolumeLayout written =
        VolumeLayout::Parse(movra::testing::ReadTextFile(dir.Path() + "volume.layout"));
    EXPECT_EQ(written.FindFile("moved.bin")->Extents[0].Lcn, target + ((kMoves - 1) % 2) * 64);
    return figures;
  }
};

TEST_F(MoveBenchmark, MovesPerSecondOnSmallAndLargeLayouts) {
  if (!movra::testing::RunningUnderWine()) GTEST_SKIP() << "folder drives are simulated under Wine";
  const Figures small = Measure(1000);
  const Figures large = Measure(200000);
  std::printf("%d moves with the volume held open, then the volume let go:\n", kMoves);
  std::printf("  layout of   1,000 files (%8zu bytes): %8.0f moves/s, fold %.3f s\n",
              small.layoutBytes, small.movesPerSecond, small.fold);
  std::printf("  layout of 200,000 files (%8zu bytes): %8.0f moves/s, fold %.3f s\n",
              large.layoutBytes, large.movesPerSecond, large.fold);
  std::printf("  moves/s ratio, small to large layout: %.2fx (1x: independent of its size)\n",
              small.movesPerSecond / large.movesPerSecond);
  // A fold is one whole rewrite of the layout, which every move cost before the journal.
  std::printf("  a move on the large layout against one rewrite of it: %.1fx faster\n",
              large.fold * large.movesPerSecond);
}

}  // namespace
}  // namespace movra::platform::testing
