// The recursive blur: weights, the worked row examples, what it must leave alone, and the
// row-order column pass against the straightforward column walk.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "raster/blur.h"

namespace mirelane {
namespace {

TColor32 Grey4(uint32_t v) {
  return v * 0x01010101u;
}  // the same value in all four channels

std::vector<TColor32> Pixels(const TBitmap32& b) {
  return std::vector<TColor32>(b.Bits(), b.Bits() + b.PixelCount());
}

void FillRandom(TBitmap32& b, uint32_t seed) {
  std::mt19937 rng(seed);
  for (size_t i = 0; i < b.PixelCount(); ++i) b.Bits()[i] = rng();
}

// The straightforward filter, one pixel at a time through BlurStep.
void ReferenceLine(TBitmap32& b, bool column, int32_t index, int32_t a) {
  const int32_t n = column ? b.Height() : b.Width();
  auto at = [&](int32_t i) -> TColor32& { return column ? b.PixelAt(index, i) : b.PixelAt(i, index); };
  BlurState state;
  for (int c = 0; c < 4; ++c) state.z[c] = static_cast<int32_t>((at(0) >> (8 * c)) & 0xFF) * 128;
  for (int32_t i = 1; i < n; ++i) BlurStep(at(i), state, a);
  for (int32_t i = n - 2; i >= 0; --i) BlurStep(at(i), state, a);
}

TEST(BlurWeight, TellingValues) {
  const std::pair<int32_t, int32_t> cases[] = {{1, 44785}, {2, 35091}, {5, 20868}, {10, 12365},
                                               {15, 8775}, {25, 5548}, {50, 2890}, {100, 1476}};
  for (auto [radius, weight] : cases) EXPECT_EQ(BlurWeight(radius), weight) << radius;
}

TEST(BlurBitmap, WorkedRowExamples) {
  struct Case {
    int32_t radius;
    std::vector<uint32_t> in, out;
  };
  const Case cases[] = {
      {1, {0, 0, 0, 255, 0, 0, 0}, {4, 13, 41, 132, 41, 13, 5}},
      {5, {0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0}, {4, 7, 10, 15, 22, 32, 48, 32, 22, 15, 11, 9, 8}},
  };
  for (const Case& c : cases) {
    const auto n = static_cast<int32_t>(c.in.size());
    // One pixel high: only the row pass changes it. One pixel wide: only the column pass.
    TBitmap32 row(n, 1), column(1, n);
    for (int32_t i = 0; i < n; ++i) row.PixelAt(i, 0) = column.PixelAt(0, i) = Grey4(c.in[i]);
    BlurBitmap(row, c.radius);
    BlurBitmap(column, c.radius);
    for (int32_t i = 0; i < n; ++i) {
      EXPECT_EQ(row.PixelAt(i, 0), Grey4(c.out[i])) << "radius " << c.radius << " x " << i;
      EXPECT_EQ(column.PixelAt(0, i), Grey4(c.out[i])) << "radius " << c.radius << " y " << i;
    }
  }
}

TEST(BlurBitmap, LeavesAloneWhatItMust) {
  struct Case {
    const char* what;
    int32_t w, h, radius;
    bool uniform;
  };
  const Case cases[] = {
      {"radius 0", 17, 9, 0, false},         {"negative radius", 17, 9, -5, false},
      {"uniform, radius 1", 17, 9, 1, true}, {"uniform, radius 100", 64, 33, 100, true},
      {"single pixel", 1, 1, 50, false},     {"uniform, one pixel wide", 1, 40, 15, true},
  };
  for (const Case& c : cases) {
    TBitmap32 b(c.w, c.h);
    if (c.uniform)
      b.Clear(0x80C01040u);
    else
      FillRandom(b, 7);
    const auto before = Pixels(b);
    BlurBitmap(b, c.radius);
    EXPECT_EQ(Pixels(b), before) << c.what;
  }
  TBitmap32 empty, noRows(5, 0);
  BlurBitmap(empty, 10);
  BlurBitmap(noRows, 10);
  BlurRow(empty, 0, 1000);
  BlurColumn(noRows, 0, 1000);
  BlurColumns(noRows, 1000);
  EXPECT_TRUE(empty.Empty());
  EXPECT_TRUE(noRows.Empty());
}

TEST(BlurBitmap, OnePixelHighIsChangedOnlyByRows) {
  TBitmap32 a(31, 1), b(31, 1);
  FillRandom(a, 11);
  FillRandom(b, 11);
  BlurBitmap(a, 9);
  BlurRow(b, 0, BlurWeight(9));
  EXPECT_EQ(Pixels(a), Pixels(b));
  TBitmap32 c(1, 31), d(1, 31);
  FillRandom(c, 12);
  FillRandom(d, 12);
  BlurBitmap(c, 9);
  BlurColumn(d, 0, BlurWeight(9));
  EXPECT_EQ(Pixels(c), Pixels(d));
}

TEST(BlurBitmap, OpaqueEdgeFadesAndDarkensTowardsTransparentBlack) {
  TBitmap32 b(20, 3);
  b.FillRectClipped(0, 0, 10, 3, 0xFFFFFFFFu);  // opaque white left, transparent black right
  BlurBitmap(b, 3);
  const TColor32 nearEdge = b.PixelAt(9, 1), across = b.PixelAt(10, 1);
  EXPECT_LT(AlphaOf(nearEdge), 255u);
  EXPECT_LT(RedOf(nearEdge), 255u);  // colour bleeds in from the transparent side
  EXPECT_GT(AlphaOf(across), 0u);
  EXPECT_GT(RedOf(across), 0u);
  EXPECT_EQ(AlphaOf(b.PixelAt(19, 1)), RedOf(b.PixelAt(19, 1)));  // all channels filtered alike
}

TEST(BlurRow, MatchesTheStepByStepFilter) {
  for (const int32_t a : {0, 1, 1476, 8775, 44785, 65535, 65536}) {
    TBitmap32 fast(37, 5), slow(37, 5);
    FillRandom(fast, static_cast<uint32_t>(a));
    FillRandom(slow, static_cast<uint32_t>(a));
    for (int32_t y = 0; y < 5; ++y) {
      BlurRow(fast, y, a);
      ReferenceLine(slow, false, y, a);
    }
    EXPECT_EQ(Pixels(fast), Pixels(slow)) << "a " << a;
  }
}

TEST(BlurColumns, BitIdenticalToTheColumnWalkOnRandomData) {
  struct Case {
    int32_t w, h, a;
  };
  const Case cases[] = {{1, 1, 44785},   {1, 50, 20868},  {50, 1, 20868}, {3, 17, 1476},
                        {257, 33, 8775}, {64, 64, 65536}, {19, 23, 0},    {128, 200, 5548}};
  for (const Case& c : cases) {
    TBitmap32 fast(c.w, c.h), slow(c.w, c.h);
    FillRandom(fast, static_cast<uint32_t>(c.w * 1000 + c.h));
    FillRandom(slow, static_cast<uint32_t>(c.w * 1000 + c.h));
    BlurColumns(fast, c.a);
    for (int32_t x = 0; x < c.w; ++x) BlurColumn(slow, x, c.a);
    EXPECT_EQ(Pixels(fast), Pixels(slow)) << c.w << " x " << c.h << " a " << c.a;
    // And BlurColumn itself against the plain BlurStep walk.
    TBitmap32 ref(c.w, c.h);
    FillRandom(ref, static_cast<uint32_t>(c.w * 1000 + c.h));
    for (int32_t x = 0; x < c.w; ++x) ReferenceLine(ref, true, x, c.a);
    EXPECT_EQ(Pixels(ref), Pixels(slow)) << c.w << " x " << c.h << " a " << c.a;
  }
}

TEST(BlurBitmap, RowsThenColumnsOnRandomData) {
  TBitmap32 b(70, 45), ref(70, 45);
  FillRandom(b, 99);
  FillRandom(ref, 99);
  BlurBitmap(b, 25);
  const int32_t a = BlurWeight(25);
  for (int32_t y = 0; y < 45; ++y) ReferenceLine(ref, false, y, a);
  for (int32_t x = 0; x < 70; ++x) ReferenceLine(ref, true, x, a);
  EXPECT_EQ(Pixels(b), Pixels(ref));
}

TEST(BlurStep, WeightsOutsideTheFilterRangeAreClamped) {
  // A weight above 65536 would overshoot and carry into the next channel.
  TColor32 p = 0xFF00FF00u, q = p;
  BlurState s{{0, 0, 0, 0}}, t{{0, 0, 0, 0}};
  BlurStep(p, s, 1 << 30);
  BlurStep(q, t, 65536);
  EXPECT_EQ(p, q);
  EXPECT_EQ(p, 0xFF00FF00u);
}

}  // namespace
}  // namespace mirelane
