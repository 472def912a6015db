// The tonal effects: the reflection fade, the brightness offset and intensity to alpha.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "raster/shade_maps.h"
#include "raster/tonal.h"

namespace mirelane {
namespace {

std::unique_ptr<TBitmap32> Filled(int32_t w, int32_t h, TColor32 c) {
  auto b = std::make_unique<TBitmap32>(w, h);
  b->Clear(c);
  return b;
}

TEST(FadeRampLength, ExtendedPrecisionDecidesTheHalves) {
  struct Case {
    uint8_t percent;
    int32_t height, length;
  };
  const Case cases[] = {{15, 190, 29},     {50, 300, 150}, {50, 1100, 550}, {50, 200, 100},
                        {1, 50, 0},        {1, 49, 0},     {2, 25, 0},      {1, 51, 1},
                        {100, 2048, 2048}, {0, 2048, 0},   {5, 10, 0},      {3, 50, 2}};
  for (const Case& c : cases)
    EXPECT_EQ(FadeRampLength(c.percent, c.height), c.length) << int(c.percent) << " of " << c.height;
}

TEST(FadeReflection, FiftyPercentOf300) {
  // L = 150, step 2: the top row keeps alpha x 253 / 255, row 126 factor 1, row 127 on alpha 0.
  auto bOwned = Filled(3, 300, 0xFF336699u);
  TBitmap32& b = *bOwned;
  b.PixelAt(1, 0) = 0x80336699u;
  b.PixelAt(1, 126) = 0x80336699u;
  FadeReflection(b, 50);
  EXPECT_EQ(b.PixelAt(0, 0), 0xFD336699u);
  EXPECT_EQ(b.PixelAt(1, 0), WithAlpha(0x336699, static_cast<int>(std::nearbyint(128 * (253 / 255.0)))));
  EXPECT_EQ(b.PixelAt(0, 1), 0xFB336699u);
  EXPECT_EQ(b.PixelAt(0, 126), 0x01336699u);
  EXPECT_EQ(b.PixelAt(1, 126), 0x01336699u);  // 128 x 1 / 255 = 0.502 rounds to 1
  EXPECT_EQ(b.PixelAt(0, 127), 0x00336699u);
  EXPECT_EQ(b.PixelAt(2, 299), 0x00336699u);
}

TEST(FadeReflection, EmptyRampsLeaveThePicture) {
  struct Case {
    uint8_t percent;
    int32_t height;
  };
  const Case cases[] = {{1, 50}, {2, 25}, {0, 100}};
  for (const Case& c : cases) {
    TBitmap32 b(4, c.height);
    std::mt19937 rng(c.height);
    for (size_t i = 0; i < b.PixelCount(); ++i) b.Bits()[i] = rng();
    const std::vector<TColor32> before(b.Bits(), b.Bits() + b.PixelCount());
    FadeReflection(b, c.percent);
    EXPECT_EQ(std::vector<TColor32>(b.Bits(), b.Bits() + b.PixelCount()), before)
        << int(c.percent) << " of " << c.height;
  }
}

// The fade as it always was, with its whole-number step: ramps below 512 rows must keep it.
void WholeStepFade(TBitmap32& b, uint8_t percent) {
  const int32_t length = FadeRampLength(percent, b.Height());
  if (length <= 0) return;
  const int step = static_cast<int>(std::nearbyint(256.0 / length));
  int f = 255;
  for (int32_t y = 0; y < b.Height(); ++y) {
    f -= step;
    for (int32_t x = 0; x < b.Width(); ++x) {
      const TColor32 p = b.PixelAt(x, y);
      b.PixelAt(x, y) = WithAlpha(p, static_cast<int>(std::nearbyint(AlphaOf(p) * (f / 255.0))));
    }
  }
}

TEST(FadeReflection, RampsBelow512RowsAreBitIdenticalToTheWholeStep) {
  struct Case {
    uint8_t percent;
    int32_t height;
  };
  // Ramp lengths 1, 29, 100, 150, 170, 171, 300, 511 and a short picture with a long percent.
  const Case cases[] = {{1, 100},  {15, 190},  {50, 200}, {50, 300},  {34, 500},
                        {57, 300}, {100, 300}, {73, 700}, {100, 511}, {100, 40}};
  for (const Case& c : cases) {
    ASSERT_LT(FadeRampLength(c.percent, c.height), 512);
    TBitmap32 b(17, c.height);
    std::mt19937 rng(c.height * 101 + c.percent);
    for (size_t i = 0; i < b.PixelCount(); ++i) b.Bits()[i] = rng();
    TBitmap32 expected;
    expected.Assign(&b);
    WholeStepFade(expected, c.percent);
    FadeReflection(b, c.percent);
    EXPECT_EQ(std::vector<TColor32>(b.Bits(), b.Bits() + b.PixelCount()),
              std::vector<TColor32>(expected.Bits(), expected.Bits() + expected.PixelCount()))
        << int(c.percent) << " of " << c.height;
  }
}

TEST(FadeReflection, LongRampsFadeToZeroNearTheirLength) {
  struct Case {
    uint8_t percent;
    int32_t height;
  };
  // L = 700, 1400, 550, 512, 2048.
  const Case cases[] = {{50, 1400}, {100, 1400}, {50, 1100}, {100, 512}, {100, 2048}};
  for (const Case& c : cases) {
    const int32_t length = FadeRampLength(c.percent, c.height);
    auto b = Filled(2, c.height, 0xFFFFFFFFu);
    FadeReflection(*b, c.percent);
    const std::string where = std::to_string(c.percent) + " % of " + std::to_string(c.height);
    EXPECT_GE(AlphaOf(b->PixelAt(0, 0)), 254u) << where;  // falls by half a level or less at first
    EXPECT_LT(AlphaOf(b->PixelAt(0, length / 2)), 132u) << where;
    EXPECT_GT(AlphaOf(b->PixelAt(0, length / 2)), 124u) << where;
    // The ramp ends a little before row L (within L / 64 rows), and nothing below it shows.
    EXPECT_GT(AlphaOf(b->PixelAt(0, length - length / 64)), 0u) << where;
    for (int32_t y = length; y < c.height; ++y)
      ASSERT_EQ(AlphaOf(b->PixelAt(1, y)), 0u) << where << ", row " << y;
    for (int32_t y = 1; y < c.height; ++y)
      ASSERT_LE(AlphaOf(b->PixelAt(0, y)), AlphaOf(b->PixelAt(0, y - 1))) << where << ", row " << y;
  }
}

TEST(FadeReflection, StepIsRoundedNotStretched) {
  // L = 100 (50 % of 200): step 3, the factor reaches 0 in the 85th row.
  auto bOwned = Filled(1, 200, 0xFFFFFFFFu);
  TBitmap32& b = *bOwned;
  FadeReflection(b, 50);
  EXPECT_EQ(AlphaOf(b.PixelAt(0, 83)), 3u);
  EXPECT_EQ(AlphaOf(b.PixelAt(0, 84)), 0u);
  // 15 % of 190: L = 29, step round(256 / 29) = 9.
  auto cOwned = Filled(1, 190, 0xFFFFFFFFu);
  TBitmap32& c = *cOwned;
  FadeReflection(c, 15);
  EXPECT_EQ(AlphaOf(c.PixelAt(0, 0)), 246u);
  EXPECT_EQ(AlphaOf(c.PixelAt(0, 27)), 3u);
  EXPECT_EQ(AlphaOf(c.PixelAt(0, 28)), 0u);
}

TEST(FadeReflection, EveryAlphaOfEveryRowFollowsTheFormula) {
  TBitmap32 b(256, 120);
  for (int32_t y = 0; y < 120; ++y)
    for (int32_t x = 0; x < 256; ++x) b.PixelAt(x, y) = static_cast<TColor32>(x) << 24 | 0x00ABCDEFu;
  FadeReflection(b, 90);  // L = 108, step 2
  for (int32_t y = 0; y < 120; ++y) {
    const int f = 255 - 2 * (y + 1);
    for (int32_t x = 0; x < 256; ++x) {
      const TColor32 expected = WithAlpha(0x00ABCDEFu, static_cast<int>(std::nearbyint(x * (f / 255.0))));
      ASSERT_EQ(b.PixelAt(x, y), expected) << x << ", " << y;
    }
  }
}

TEST(AdjustBrightness, WorkedExamples) {
  struct Case {
    TColor32 in;
    int32_t amount;
    TColor32 out;
  };
  const Case cases[] = {
      {0x80F0F0F0u, 50, 0x80FFFFFFu},  {0x00F0F0F0u, 50, 0x00F0F0F0u}, {0xFF102030u, -50, 0xFF000000u},
      {0x01102030u, 5, 0x01152535u},   {0xFF102030u, 0, 0xFF102030u},  {0x00000000u, -50, 0x00000000u},
      {0xFFFF0080u, -50, 0xFFCD004Eu},
  };
  for (const Case& c : cases) {
    auto bOwned = Filled(2, 2, c.in);
    TBitmap32& b = *bOwned;
    AdjustBrightness(b, c.amount);
    EXPECT_EQ(b.PixelAt(1, 1), c.out) << std::hex << c.in << std::dec << " " << c.amount;
  }
}

TEST(AdjustBrightness, AgreesWithLightenColorOnRandomPixels) {
  TBitmap32 b(64, 64);
  std::mt19937 rng(5);
  for (size_t i = 0; i < b.PixelCount(); ++i) b.Bits()[i] = rng() & (i % 7 == 0 ? 0x00FFFFFFu : 0xFFFFFFFFu);
  const std::vector<TColor32> before(b.Bits(), b.Bits() + b.PixelCount());
  AdjustBrightness(b, -23);
  for (size_t i = 0; i < before.size(); ++i) {
    const TColor32 expected = AlphaOf(before[i]) == 0 ? before[i] : LightenColor(before[i], -23);
    ASSERT_EQ(b.Bits()[i], expected) << i;
  }
}

TEST(CopyIntensityToAlpha, FromTheUniformMapGivesAlpha169) {
  auto targetOwned = Filled(5, 5, 0xFF112233u);
  TBitmap32& target = *targetOwned;
  int changes = 0;
  target.OnChange = [&changes](TNotifiablePersistent&) { ++changes; };
  CopyIntensityToAlpha(target, ShadeBitmap32List().Bitmap(kShadeMapUniform));
  ASSERT_EQ(target.Width(), 300);
  ASSERT_EQ(target.Height(), 300);
  EXPECT_GE(changes, 1);
  for (size_t i = 0; i < target.PixelCount(); ++i) ASSERT_EQ(AlphaOf(target.Bits()[i]), 169u) << i;
}

TEST(AlphaFromMask, SameSizeTakesIntensityAndKeepsColour) {
  TBitmap32 mask(3, 1);
  auto targetOwned = Filled(3, 1, 0x20FF8000u);
  TBitmap32& target = *targetOwned;
  mask.PixelAt(0, 0) = 0xFFFFFFFFu;
  mask.PixelAt(1, 0) = 0x00000000u;
  mask.PixelAt(2, 0) = 0x00FF0000u;  // red only: (255 x 61) >> 8 = 60, mask alpha plays no part
  AlphaFromMask(mask, target);
  EXPECT_EQ(target.PixelAt(0, 0), 0xFFFF8000u);
  EXPECT_EQ(target.PixelAt(1, 0), 0x00FF8000u);
  EXPECT_EQ(target.PixelAt(2, 0), 0x3CFF8000u);
}

TEST(AlphaFromMask, DifferentSizesChangeNothing) {
  auto maskOwned = Filled(4, 3, 0xFFFFFFFFu);
  TBitmap32& mask = *maskOwned;
  for (auto [w, h] : {std::pair{3, 3}, std::pair{4, 4}, std::pair{0, 0}}) {
    auto targetOwned = Filled(w, h, 0x20FF8000u);
    TBitmap32& target = *targetOwned;
    AlphaFromMask(mask, target);
    EXPECT_EQ(target.Width(), w);
    EXPECT_EQ(target.Height(), h);
    for (size_t i = 0; i < target.PixelCount(); ++i) EXPECT_EQ(target.Bits()[i], 0x20FF8000u);
  }
}

}  // namespace
}  // namespace mirelane
