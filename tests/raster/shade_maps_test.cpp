// The built-in shade maps: sizes and the intensities that shading depends on.
#include <gtest/gtest.h>

#include <cstdlib>

#include "raster/shade_maps.h"

namespace mirelane {
namespace {

int Level(const TBitmap32& b, int32_t x, int32_t y) {
  return static_cast<int>(IntensityOf(b.PixelAt(x, y)));
}

TEST(ShadeMaps, SizesAndOpacity) {
  const int sizes[][2] = {{300, 300}, {300, 300}, {300, 300}, {400, 400}, {326, 257}, {400, 400}};
  const TBitmap32List& list = ShadeBitmap32List();
  ASSERT_EQ(list.Count(), kShadeMapCount);
  for (int i = 0; i < kShadeMapCount; ++i) {
    const TBitmap32& map = list.Bitmap(i);
    EXPECT_EQ(map.Width(), sizes[i][0]) << i;
    EXPECT_EQ(map.Height(), sizes[i][1]) << i;
    for (size_t p = 0; p < map.PixelCount(); ++p) ASSERT_EQ(AlphaOf(map.Bits()[p]), 255u) << i;
  }
}

TEST(ShadeMaps, GeneratedOnceAndDeterministically) {
  EXPECT_EQ(&ShadeBitmap32List(), &ShadeBitmap32List());
  for (int i = 0; i < kShadeMapCount; ++i) {
    const auto fresh = MakeShadeMap(i);
    const TBitmap32& kept = ShadeBitmap32List().Bitmap(i);
    ASSERT_EQ(fresh->PixelCount(), kept.PixelCount());
    EXPECT_TRUE(std::equal(kept.Bits(), kept.Bits() + kept.PixelCount(), fresh->Bits())) << i;
  }
}

TEST(ShadeMaps, UniformMapIs169Everywhere) {
  const TBitmap32& map = ShadeBitmap32List().Bitmap(kShadeMapUniform);
  for (size_t p = 0; p < map.PixelCount(); ++p) ASSERT_EQ(map.Bits()[p], 0xFFADA9A8u);
  EXPECT_EQ(IntensityOf(0xFFADA9A8u), 169u);
}

TEST(ShadeMaps, CornerMapRunsFromTopRightToBottomLeft) {
  const TBitmap32& map = ShadeBitmap32List().Bitmap(kShadeMapCorner);
  EXPECT_EQ(Level(map, 299, 0), 0);
  EXPECT_EQ(Level(map, 0, 299), 255);
  for (int32_t i = 0; i < 300; ++i) {
    EXPECT_GE(Level(map, i, i), 127);
    EXPECT_LE(Level(map, i, i), 128);
  }
  for (int32_t y = 0; y < 300; y += 13)
    for (int32_t x = 0; x < 300; x += 17)
      EXPECT_LE(std::abs(Level(map, x, y) - (127.5 + 127.5 * (y - x) / 299.0)), 1.0) << x << ", " << y;
}

TEST(ShadeMaps, SideMapRampsDownwards) {
  const TBitmap32& map = ShadeBitmap32List().Bitmap(kShadeMapSide);
  EXPECT_EQ(map.PixelAt(0, 0) & 0x00FFFFFFu, 0x1F1B1Au);
  EXPECT_EQ(map.PixelAt(150, 299), 0xFFFFFFFFu);
  for (int32_t y = 0; y < 300; ++y)
    for (int32_t x : {0, 150, 299}) EXPECT_LE(std::abs(Level(map, x, y) - (27 + 228.0 * y / 299)), 2.0) << y;
}

TEST(ShadeMaps, RoundRectHasItsSoftEdgeProfile) {
  const TBitmap32& map = ShadeBitmap32List().Bitmap(kShadeMapRoundRect);
  const int profile[] = {0, 1, 6, 20, 50, 99, 155, 204, 234, 248, 253, 254, 255};  // from column 7 inwards
  for (int i = 0; i < 13; ++i) {
    EXPECT_LE(std::abs(Level(map, 7 + i, 128) - profile[i]), 2) << "left " << i;
    EXPECT_LE(std::abs(Level(map, 318 - i, 128) - profile[i]), 2) << "right " << i;
  }
  // Half intensity 9.5 rows below the top and 10.5 above the bottom.
  EXPECT_LT(Level(map, 163, 9), 128);
  EXPECT_GT(Level(map, 163, 10), 128);
  EXPECT_GT(Level(map, 163, 245), 128);
  EXPECT_LT(Level(map, 163, 246), 128);
  EXPECT_EQ(Level(map, 163, 128), 255);
  EXPECT_EQ(Level(map, 0, 0), 0);
  // Rounded corners: the outline's corner point lies outside the shape.
  EXPECT_LT(Level(map, 13, 10), 128);
  EXPECT_GT(Level(map, 21, 18), 200);
}

TEST(ShadeMaps, RingAndDiscEdges) {
  const TBitmap32& ring = ShadeBitmap32List().Bitmap(kShadeMapRing);
  EXPECT_LT(Level(ring, 9, 200), 128);
  EXPECT_GT(Level(ring, 11, 200), 128);
  EXPECT_GT(Level(ring, 121, 200), 128);
  EXPECT_LT(Level(ring, 123, 200), 128);
  EXPECT_EQ(Level(ring, 200, 200), 0);
  const TBitmap32& disc = ShadeBitmap32List().Bitmap(kShadeMapDisc);
  EXPECT_EQ(Level(disc, 200, 200), 0);
  EXPECT_EQ(Level(disc, 200, 100), 255);
  EXPECT_EQ(Level(disc, 0, 0), 0);
}

}  // namespace
}  // namespace mirelane
