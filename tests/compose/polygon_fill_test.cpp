// The 32-fold oversampling polygon fill and the outline grower.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "compose/polygon_fill.h"

namespace mirelane {
namespace {

int64_t Fx(double v) {
  return std::llround(v * 65536);
}

TFixedContour Rect(double l, double t, double r, double b) {
  return {{Fx(l), Fx(t)}, {Fx(r), Fx(t)}, {Fx(r), Fx(b)}, {Fx(l), Fx(b)}};
}

TBitmap32* BlackMask(TBitmap32& bmp) {
  bmp.Clear(kColor32Black);
  return &bmp;
}

TEST(FillPolygonAA, CoverageOfWholeAndPartialPixels) {
  struct Case {
    const char* name;
    TFixedContour contour;
    int x, y;
    TColor32 expected;
  };
  // A whole pixel counts 31 x 32 = 992, alpha (65 * 992) >> 8 = 251, white over black gives 250.
  const Case cases[] = {
      {"inside", Rect(2, 2, 6, 6), 3, 3, 0xFBFAFAFAu},
      {"left column starts on the pixel edge", Rect(2, 2, 6, 6), 2, 3, 0xFBFAFAFAu},
      {"outside left", Rect(2, 2, 6, 6), 1, 3, 0xFF000000u},
      {"outside below", Rect(2, 2, 6, 6), 3, 6, 0xFF000000u},
      // Half a pixel wide: 16 per sub-scanline, 512 in all, alpha 130: grey (255*130+128)>>8 = 129,
      // and the alpha byte is blended like a colour, (130*130 + 255*126 + 128) >> 8 = 192.
      {"half pixel wide", Rect(2, 2, 2.5, 6), 2, 3, 0xC0818181u},
      // Half a pixel high: 16 sub-scanlines of 31 = 496, alpha 125, grey 125.
      {"half pixel high", Rect(2, 2, 6, 2.5), 3, 2, 0xC07D7D7Du},
  };
  for (const Case& c : cases) {
    TBitmap32 bmp(10, 10);
    FillPolygonAA(*BlackMask(bmp), {c.contour}, kColor32White, pfEvenOdd);
    EXPECT_EQ(bmp.PixelAt(c.x, c.y), c.expected) << c.name << std::hex << " got " << bmp.PixelAt(c.x, c.y);
  }
}

TEST(FillPolygonAA, FillRules) {
  // Two overlapping squares in the same direction: the overlap is a hole only under even-odd.
  const TFixedPolygon polygon{Rect(1, 1, 6, 6), Rect(3, 3, 8, 8)};
  struct Case {
    TPolyFillMode mode;
    TColor32 overlap;
  };
  for (const Case& c : {Case{pfEvenOdd, 0xFF000000u}, Case{pfNonZero, 0xFBFAFAFAu}}) {
    TBitmap32 bmp(10, 10);
    FillPolygonAA(*BlackMask(bmp), polygon, kColor32White, c.mode);
    EXPECT_EQ(bmp.PixelAt(4, 4), c.overlap) << c.mode;
    EXPECT_EQ(bmp.PixelAt(2, 2), 0xFBFAFAFAu) << c.mode;
    EXPECT_EQ(bmp.PixelAt(7, 7), 0xFBFAFAFAu) << c.mode;
  }
  // Opposite directions cancel under non-zero too.
  TFixedContour inner = Rect(3, 3, 5, 5);
  std::reverse(inner.begin(), inner.end());
  TBitmap32 bmp(10, 10);
  FillPolygonAA(*BlackMask(bmp), {Rect(1, 1, 8, 8), inner}, kColor32White, pfNonZero);
  EXPECT_EQ(bmp.PixelAt(4, 4), 0xFF000000u);
  EXPECT_EQ(bmp.PixelAt(2, 2), 0xFBFAFAFAu);
}

TEST(FillPolygonAA, TransparentColourAndEmptyInputsChangeNothing) {
  TBitmap32 bmp(10, 10);
  BlackMask(bmp);
  FillPolygonAA(bmp, {Rect(1, 1, 8, 8)}, 0x00FFFFFFu, pfEvenOdd);
  FillPolygonAA(bmp, {}, kColor32White, pfEvenOdd);
  FillPolygonAA(bmp, {Rect(20, 20, 30, 30)}, kColor32White, pfEvenOdd);
  FillPolygonAA(bmp, {Rect(-30, 2, -20, 5)}, kColor32White, pfEvenOdd);
  for (size_t i = 0; i < bmp.PixelCount(); ++i) ASSERT_EQ(bmp.Bits()[i], kColor32Black);
  TBitmap32 empty;
  FillPolygonAA(empty, {Rect(1, 1, 8, 8)}, kColor32White, pfEvenOdd);
}

TEST(FillPolygonAA, ClipsToTheSurface) {
  TBitmap32 bmp(10, 10);
  FillPolygonAA(*BlackMask(bmp), {Rect(-100000, -5, 100000, 3)}, kColor32White, pfNonZero);
  EXPECT_EQ(bmp.PixelAt(0, 0), 0xFBFAFAFAu);
  EXPECT_EQ(bmp.PixelAt(9, 2), 0xFBFAFAFAu);
  EXPECT_EQ(bmp.PixelAt(5, 3), 0xFF000000u);
}

// A window filled with an origin gets exactly the pixels of the same window of a whole fill.
TEST(FillPolygonAA, WindowWithOriginMatchesTheWholeSurface) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int64_t> coord(-20 * 65536, 80 * 65536);
  for (int round = 0; round < 50; ++round) {
    TFixedContour contour;
    for (int i = 0; i < 5; ++i) contour.push_back({coord(rng), coord(rng)});
    const TPolyFillMode mode = round % 2 ? pfNonZero : pfEvenOdd;
    TBitmap32 whole(64, 48);
    FillPolygonAA(*BlackMask(whole), {contour}, kColor32White, mode);
    const int ox = round % 17, oy = round % 13;
    TBitmap32 window(30, 20);
    FillPolygonAA(*BlackMask(window), {contour}, kColor32White, mode, ox, oy);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x)
        ASSERT_EQ(window.PixelAt(x, y), whole.PixelAt(ox + x, oy + y))
            << "round " << round << " at " << x << "," << y;
  }
}

TEST(GrowOutline, SquareGetsMitredContoursOnBothSides) {
  const int64_t d = ToFixed(0.05);
  ASSERT_EQ(d, 3277);
  const TFixedPolygon band = GrowOutline({Rect(10, 10, 20, 20)}, d, 10.5);
  ASSERT_EQ(band.size(), 2u);
  const int64_t lo = 10 * 65536, hi = 20 * 65536;
  // Forwards (clockwise on screen) the left side is outside, backwards it is inside.
  const TFixedContour outer{{lo - d, lo - d}, {hi + d, lo - d}, {hi + d, hi + d}, {lo - d, hi + d}};
  const TFixedContour inner{{lo + d, hi - d}, {hi - d, hi - d}, {hi - d, lo + d}, {lo + d, lo + d}};
  EXPECT_EQ(band[0], outer);
  EXPECT_EQ(band[1], inner);
}

TEST(GrowOutline, SharpnessDecidesMitreOrBevel) {
  const int64_t d = 3277;
  struct Case {
    const char* name;
    TFixedContour contour;
    double sharpness;
    size_t points;  // of the first contour
  };
  const Case cases[] = {
      {"right angles mitred", Rect(0, 0, 10, 10), 10.5, 4},
      {"no sharpness bevels right angles", Rect(0, 0, 10, 10), -1, 8},
      // Turning back by about 179.9 degrees at (10, 0) bevels that corner only (the other two
      // corners are about 90 degrees).
      {"spike bevelled", {{0, 0}, {ToFixed(10.0), 0}, {0, ToFixed(0.01)}}, 0.99, 4},
  };
  for (const Case& c : cases) {
    const TFixedPolygon band = GrowOutline({c.contour}, d, c.sharpness);
    ASSERT_EQ(band.size(), 2u) << c.name;
    EXPECT_EQ(band[0].size(), c.points) << c.name;
  }
}

TEST(GrowOutline, DegenerateContoursStayFinite) {
  const TFixedPolygon band = GrowOutline({{{65536, 65536}, {65536, 65536}, {65536, 65536}}}, 3277, 10.5);
  ASSERT_EQ(band.size(), 2u);
  for (const TFixedPoint& p : band[0]) EXPECT_EQ(p, (TFixedPoint{65536, 65536}));
  TBitmap32 bmp(4, 4);
  FillPolygonAA(*BlackMask(bmp), band, kColor32White, pfNonZero);
  for (size_t i = 0; i < bmp.PixelCount(); ++i) ASSERT_EQ(bmp.Bits()[i], kColor32Black);
  EXPECT_TRUE(GrowOutline({{}}, 3277, 10.5).empty());
}

}  // namespace
}  // namespace mirelane
