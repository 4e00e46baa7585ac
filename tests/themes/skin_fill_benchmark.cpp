// Benchmark, not a timed test: prints how long the gradient and brushed-texture fills of a
// screen-sized rectangle take, the first time and from their caches, against a plain FillRect
// of the same rectangle in the same run. It asserts only that every fill painted.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "support.h"
#include "themes/skin_utils.h"

namespace movra::skin {
namespace {

using movra::testing::TestPicture;

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;

double Milliseconds(const std::function<void()>& work, int rounds) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) work();
  GdiFlush();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(end - start).count() / rounds;
}

TEST(SkinFillBenchmark, GradientAndTextureAgainstAPlainFill) {
  TestPicture picture(kWidth, kHeight, RGB(255, 255, 255));
  HDC dc = picture.Dc();
  const RECT all{0, 0, kWidth, kHeight};
  constexpr int kRounds = 10;

  HBRUSH plainBrush = CreateSolidBrush(RGB(10, 20, 30));
  const double plain = Milliseconds([&] { FillRect(dc, &all, plainBrush); }, kRounds);
  DeleteObject(plainBrush);

  const double bound = Milliseconds([&] { GradientFillRect(dc, all, 0x000000, 0xFFFFFF, gdVertical); }, kRounds);
  EXPECT_EQ(picture.Pixel(5, 0), RGB(0, 0, 0));

  const TGradientFillFunc saved = SkinEntryPoints().GradientFill;
  SkinEntryPoints().GradientFill = nullptr;
  int serial = 0;
  // A new pair of colours each round: always a cache miss.
  const double stripesCold = Milliseconds(
      [&] { ++serial; GradientFillRect(dc, all, serial, 0xFFFFFF - serial, gdHorizontal); }, kRounds);
  const double stripesCached =
      Milliseconds([&] { GradientFillRect(dc, all, 0x000000, 0xFFFFFF, gdHorizontal); }, kRounds);
  SkinEntryPoints().GradientFill = saved;
  EXPECT_EQ(picture.Pixel(kWidth - 1, 7), RGB(255, 255, 255));

  const double textureCold = Milliseconds(
      [&] {
        ClearDitherCache();
        DitherTextureRect(dc, nullptr, all, 0xC0C0C0, 8);
      },
      kRounds);
  const double textureCached = Milliseconds([&] { DitherTextureRect(dc, nullptr, all, 0xC0C0C0, 8); }, kRounds);
  EXPECT_LE(GetRValue(picture.Pixel(100, 100)), 239);

  std::printf("fills of %d x %d, ms per fill (ratio to FillRect %.3f ms):\n", kWidth, kHeight, plain);
  const struct {
    const char* name;
    double ms;
  } rows[] = {{"GradientFill entry point", bound},
              {"gradient stripes, new table", stripesCold},
              {"gradient stripes, cached table", stripesCached},
              {"brushed texture, new bitmaps", textureCold},
              {"brushed texture, cached bitmaps", textureCached}};
  for (const auto& row : rows)
    std::printf("  %-34s %9.3f ms  x%.1f\n", row.name, row.ms, plain > 0 ? row.ms / plain : 0.0);
  picture.Save("skin_fill_benchmark");
}

}  // namespace
}  // namespace movra::skin
