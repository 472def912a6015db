// Resamplers, kernels and their registries: sampling arithmetic, dispatch and ownership.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "raster/bitmap32.h"
#include "raster/blend.h"
#include "raster/kernels.h"
#include "raster/resampler.h"

namespace mirelane {
namespace {

std::vector<TColor32> PixelsOf(const TBitmap32& b) {
  return std::vector<TColor32>(b.Bits(), b.Bits() + b.PixelCount());
}

// A grey of value v in every channel, alpha included.
constexpr TColor32 Grey(uint32_t v) {
  return v * 0x01010101u;
}

void FillRandom(TBitmap32& b, uint32_t seed) {
  std::mt19937 rng(seed);
  for (size_t i = 0; i < b.PixelCount(); ++i) b.Bits()[i] = rng();
}

// ---- Registries ----------------------------------------------------------------------------

TEST(Registries, EveryNameThatSamplesMakesItsOwnClass) {
  TBitmap32 b;
  std::vector<std::string> sampling;
  for (const std::string& name : ResamplerClassNames()) {
    if (const auto resampler = CreateResampler(name, b)) {
      EXPECT_EQ(resampler->ClassName(), name);
      sampling.push_back(name);
    }
  }
  EXPECT_EQ(sampling, (std::vector<std::string>{"TNearestResampler", "TLinearResampler"}));
  EXPECT_EQ(CreateResampler("tlinearresampler", b), nullptr);
}

TEST(ResamplerClassName, ExactNamesOnlyAndSameNameKeepsTheObject) {
  TBitmap32 b(2, 2);
  int changes = 0;
  b.OnChange = [&](TNotifiablePersistent&) { ++changes; };
  const TCustomResampler* first = b.Resampler();
  b.SetResamplerClassName("tlinearresampler");
  b.SetResamplerClassName("TLinear");
  b.SetResamplerClassName("TNearestResampler");
  EXPECT_EQ(b.Resampler(), first);
  EXPECT_EQ(changes, 0);
  b.SetResamplerClassName("TLinearResampler");
  EXPECT_EQ(b.ResamplerClassName(), "TLinearResampler");
  EXPECT_EQ(changes, 1);
  const TCustomResampler* linear = b.Resampler();
  b.SetResamplerClassName("TLinearResampler");
  EXPECT_EQ(b.Resampler(), linear);
  b.SetResamplerClassName("tlinearresampler");
  EXPECT_EQ(b.Resampler(), linear);
  b.SetResamplerClassName("TDraftResampler");  // a name without sampling code here
  EXPECT_EQ(b.Resampler(), linear);
  EXPECT_EQ(changes, 1);
}

// ---- Kernels -------------------------------------------------------------------------------

TEST(Kernels, TheTent) {
  const std::pair<float, float> cases[] = {
      {-1.0f, 0.0f}, {1.0f, 0.0f}, {-0.25f, 0.75f}, {0.25f, 0.75f}, {0, 1}};
  for (const auto& [x, expected] : cases) EXPECT_FLOAT_EQ(TLinearKernel().KernelAt(x), expected) << x;
}

// ---- BilinearStretch -----------------------------------------------------------------------

TEST(BilinearStretch, RowZero255EnlargedToFour) {
  const auto table = BilinearTable(0, 4, 0, 4, 0, 2, 2);
  ASSERT_EQ(table.size(), 4u);
  const int32_t expected[4][2] = {{0, 256}, {0, 192}, {0, 64}, {0, 0}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(table[i].Pos, expected[i][0]) << i;
    EXPECT_EQ(table[i].Weight, expected[i][1]) << i;
  }
  TBitmap32 src(2, 2), dst(4, 2);
  src.PixelAt(0, 0) = src.PixelAt(0, 1) = Grey(0);
  src.PixelAt(1, 0) = src.PixelAt(1, 1) = Grey(255);
  BilinearStretch(dst, dst.BoundsRect(), dst.BoundsRect(), src, src.BoundsRect());
  EXPECT_EQ(PixelsOf(dst), (std::vector<TColor32>{Grey(0), Grey(63), Grey(191), Grey(255), Grey(0), Grey(63),
                                                  Grey(191), Grey(255)}));
}

TEST(BilinearMix, MatchesThePerChannelFormulas) {
  std::mt19937 rng(3);
  for (int i = 0; i < 20000; ++i) {
    const TColor32 p00 = rng(), p10 = rng(), p01 = rng(), p11 = rng();
    const auto wx = static_cast<int32_t>(rng() % 257), wy = static_cast<int32_t>(rng() % 257);
    TColor32 expected = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const int32_t a = (p00 >> shift) & 0xFF, b = (p10 >> shift) & 0xFF, c = (p01 >> shift) & 0xFF,
                    d = (p11 >> shift) & 0xFF;
      const int32_t top = (b * 256 + (a - b) * wx) >> 8;
      const int32_t bottom = (d * 256 + (c - d) * wx) >> 8;
      expected |= static_cast<TColor32>((bottom * 256 + (top - bottom) * wy) >> 8) << shift;
    }
    ASSERT_EQ(BilinearMix(p00, p10, p01, p11, wx, wy), expected);
  }
}

TEST(LinearResampler, TwoByTwoToFourByFour) {
  TBitmap32 src(2, 2), dst(4, 4);
  const TColor32 a = 0xFF102030u, b = 0x80F0E0D0u, c = 0x40FF0000u, d = 0x00000000u;
  src.PixelAt(0, 0) = a;
  src.PixelAt(1, 0) = b;
  src.PixelAt(0, 1) = c;
  src.PixelAt(1, 1) = d;
  src.SetResamplerClassName("TLinearResampler");
  dst.Draw(dst.BoundsRect(), src.BoundsRect(), &src);
  EXPECT_EQ(dst.PixelAt(0, 0), a);
  EXPECT_EQ(dst.PixelAt(3, 0), b);
  EXPECT_EQ(dst.PixelAt(0, 3), c);
  EXPECT_EQ(dst.PixelAt(3, 3), d);
  const int32_t weights[4] = {256, 192, 64, 0};
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 4; ++x)
      EXPECT_EQ(dst.PixelAt(x, y), BilinearMix(a, b, c, d, weights[x], weights[y])) << x << "," << y;
  // Column 1 in the top row: 192 parts of a and 64 of b.
  EXPECT_EQ(dst.PixelAt(1, 0), BilinearMix(a, b, a, b, 192, 256));
}

// ---- ContributionTable and KernelResample --------------------------------------------------

TEST(ContributionTable, FourToTwoWithTent) {
  const auto table = ContributionTable(0, 2, 0, 2, 0, 4, TLinearKernel());
  ASSERT_EQ(table.size(), 2u);
  const TContributionList expected[2] = {{{0, 32}, {0, 96}, {1, 96}, {2, 32}},
                                         {{1, 32}, {2, 96}, {3, 96}, {3, 32}}};
  for (size_t i = 0; i < 2; ++i) {
    ASSERT_EQ(table[i].size(), expected[i].size()) << i;
    for (size_t k = 0; k < expected[i].size(); ++k) {
      EXPECT_EQ(table[i][k].Index, expected[i][k].Index) << i << "/" << k;
      EXPECT_EQ(table[i][k].Weight, expected[i][k].Weight) << i << "/" << k;
    }
  }
  // A clip that starts at column 1 gives that column's list unchanged.
  const auto clipped = ContributionTable(0, 2, 1, 2, 0, 4, TLinearKernel());
  ASSERT_EQ(clipped.size(), 1u);
  EXPECT_EQ(clipped[0].size(), 4u);
  EXPECT_EQ(clipped[0][1].Weight, 96);
  EXPECT_TRUE(ContributionTable(0, 2, 0, 2, 3, 3, TLinearKernel()).empty());
}

TEST(ContributionTable, EveryListSumsTo256AndStaysInside) {
  const std::pair<int32_t, int32_t> sizes[] = {{4, 2}, {7, 3}, {2048, 297}, {3, 7},
                                               {2, 5}, {5, 5}, {640, 2048}, {9, 1}};
  {
    for (const auto& [srcN, dstN] : sizes) {
      const auto table = ContributionTable(10, 10 + dstN, 10, 10 + dstN, 5, 5 + srcN, TLinearKernel());
      ASSERT_EQ(table.size(), static_cast<size_t>(dstN));
      for (const auto& list : table) {
        ASSERT_FALSE(list.empty());
        int32_t sum = 0;
        for (const auto& p : list) {
          sum += p.Weight;
          EXPECT_GE(p.Index, 5);
          EXPECT_LT(p.Index, 5 + srcN);
        }
        EXPECT_EQ(sum, 256) << srcN << "->" << dstN;
      }
    }
  }
}

TEST(ContributionTable, ErrorGoesToTheMiddlePair) {
  // Reducing 3 to 2 with the tent: s = 2/3 gives weights that do not sum to 256 before the fix.
  const auto table = ContributionTable(0, 2, 0, 2, 0, 3, TLinearKernel());
  const float s = 2.0f / 3.0f, r = 1.0f / s;
  for (size_t i = 0; i < table.size(); ++i) {
    const auto c = static_cast<float>(-0.5 + (static_cast<double>(i) + 0.5) * r);
    std::vector<int32_t> raw;
    const float reach = 1.0f * r;
    for (int64_t j = static_cast<int64_t>(std::floor(c - reach));
         j <= static_cast<int64_t>(std::ceil(c + reach)); ++j) {
      const float k = TLinearKernel().KernelAt(static_cast<float>((c - j) * static_cast<double>(s)));
      const auto w = static_cast<int32_t>(std::nearbyint(static_cast<double>(s) * (256.0 * k)));
      if (w != 0) raw.push_back(w);
    }
    ASSERT_EQ(raw.size(), table[i].size());
    int32_t sum = 0;
    for (int32_t w : raw) sum += w;
    const size_t middle = (raw.size() - 1) / 2;
    raw[middle] -= sum - 256;
    for (size_t k = 0; k < raw.size(); ++k) EXPECT_EQ(table[i][k].Weight, raw[k]) << i << "/" << k;
  }
}

TEST(KernelResample, OneRowZeroZero255255ToTwoColumns) {
  TBitmap32 src(4, 1), dst(2, 1);
  src.PixelAt(2, 0) = src.PixelAt(3, 0) = Grey(255);
  src.SetResamplerClassName("TLinearResampler");
  dst.Draw(dst.BoundsRect(), src.BoundsRect(), &src);
  EXPECT_EQ(PixelsOf(dst), (std::vector<TColor32>{Grey(31), Grey(223)}));
}

TEST(KernelResample, OnePixelWideSourceGivesTheSourceColumn) {
  TBitmap32 src(1, 3), viaResampler(5, 6), direct(5, 6);
  src.PixelAt(0, 0) = 0xFF0000FFu;
  src.PixelAt(0, 1) = 0x80FFFFFFu;
  src.PixelAt(0, 2) = 0x00FF0000u;
  src.SetResamplerClassName("TLinearResampler");
  viaResampler.Draw(viaResampler.BoundsRect(), src.BoundsRect(), &src);
  KernelResample(direct, direct.BoundsRect(), direct.BoundsRect(), src, src.BoundsRect(), TLinearKernel());
  EXPECT_EQ(PixelsOf(viaResampler), PixelsOf(direct));
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 1; x < 5; ++x) EXPECT_EQ(direct.PixelAt(x, y), direct.PixelAt(0, y)) << x << "," << y;
  const auto columns = ContributionTable(0, 5, 0, 5, 0, 1, TLinearKernel());
  for (const auto& list : columns) {
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].Index, 0);
    EXPECT_EQ(list[0].Weight, 256);
  }
}

TEST(KernelResample, WhiteReducedStaysWhite) {
  const std::pair<int32_t, int32_t> sizes[] = {{7, 3}, {100, 33}, {64, 63}, {10, 1}};
  for (const auto& [srcN, dstN] : sizes) {
    TBitmap32 src(srcN, srcN + 1), dst(dstN, dstN);
    src.Clear(0xFFFFFFFFu);
    KernelResample(dst, dst.BoundsRect(), dst.BoundsRect(), src, src.BoundsRect(), TLinearKernel());
    for (TColor32 p : PixelsOf(dst)) ASSERT_EQ(p, 0xFFFFFFFFu) << srcN << "->" << dstN;
  }
}

TEST(KernelResample, OpaqueStaysOpaque) {
  TBitmap32 src(8, 8), dst(5, 5), enlarged(20, 20);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) src.PixelAt(x, y) = ((x + y) % 2) ? 0xFFFFFFFFu : 0xFF000000u;
  dst.Clear(0x12345678u);
  enlarged.Clear(0x12345678u);
  KernelResample(dst, dst.BoundsRect(), dst.BoundsRect(), src, src.BoundsRect(), TLinearKernel());
  KernelResample(enlarged, enlarged.BoundsRect(), enlarged.BoundsRect(), src, src.BoundsRect(),
                 TLinearKernel());
  // Opaque in, opaque out: alpha sums are 255 * 256 * 256 exactly.
  for (TColor32 p : PixelsOf(dst)) EXPECT_EQ(AlphaOf(p), 255u);
  for (TColor32 p : PixelsOf(enlarged)) EXPECT_EQ(AlphaOf(p), 255u);
}

// ---- Dispatch ------------------------------------------------------------------------------

TEST(LinearResampler, MixedDirectionsGoThroughKernelResample) {
  TBitmap32 src(6, 4);
  FillRandom(src, 42);
  src.SetResamplerClassName("TLinearResampler");
  struct Case {
    int32_t w, h;
    bool bilinear;
  };
  const Case cases[] = {{12, 2, false}, {3, 9, false}, {3, 2, false}, {12, 9, true}};
  for (const auto& c : cases) {
    TBitmap32 drawn(c.w, c.h), kernel(c.w, c.h), bilinear(c.w, c.h);
    drawn.Draw(drawn.BoundsRect(), src.BoundsRect(), &src);
    KernelResample(kernel, kernel.BoundsRect(), kernel.BoundsRect(), src, src.BoundsRect(), TLinearKernel());
    BilinearStretch(bilinear, bilinear.BoundsRect(), bilinear.BoundsRect(), src, src.BoundsRect());
    ASSERT_NE(PixelsOf(kernel), PixelsOf(bilinear)) << c.w << "x" << c.h << " cannot tell the routines apart";
    EXPECT_EQ(PixelsOf(drawn), c.bilinear ? PixelsOf(bilinear) : PixelsOf(kernel)) << c.w << "x" << c.h;
  }
}

TEST(NearestStretch, WorkedRowsAndNoAveraging) {
  struct Case {
    std::vector<TColor32> row;
    int32_t width;
    std::vector<TColor32> expected;
  };
  const Case cases[] = {
      {{1, 2, 3, 4}, 2, {1, 3}},
      {{1, 2}, 4, {1, 1, 2, 2}},
      {{1, 2, 3}, 2, {1, 2}},
      {{1, 2, 3, 4}, 1, {2}},
  };
  for (const auto& c : cases) {
    TBitmap32 src(static_cast<int32_t>(c.row.size()), 1), dst(c.width, 1);
    std::copy(c.row.begin(), c.row.end(), src.Bits());
    dst.Draw(dst.BoundsRect(), src.BoundsRect(), &src);
    EXPECT_EQ(PixelsOf(dst), c.expected);
  }
}

// ---- Clip independence ---------------------------------------------------------------------

// A destination clip that cuts the stretched rectangle must give exactly the pixels of the whole.
TEST(Resamplers, ClipCutsGiveTheSamePixelsAsTheWhole) {
  struct Case {
    const char* resampler;
    int32_t srcW, srcH;
    TRect dstRect;
  };
  const Case cases[] = {
      {"TNearestResampler", 7, 5, MakeRect(-3, 2, 17, 13)},
      {"TNearestResampler", 9, 9, MakeRect(1, 1, 6, 5)},
      {"TLinearResampler", 7, 5, MakeRect(-3, 2, 17, 13)},
      {"TLinearResampler", 13, 11, MakeRect(1, -2, 6, 5)},
      {"TLinearResampler", 5, 11, MakeRect(0, 0, 14, 4)},
  };
  for (const auto& c : cases) {
    TBitmap32 src(c.srcW, c.srcH);
    FillRandom(src, static_cast<uint32_t>(c.srcW * 100 + c.srcH));
    src.SetDrawMode(dmBlend);
    src.SetMasterAlpha(200);
    src.SetResamplerClassName(c.resampler);
    TBitmap32 whole(16, 12);
    FillRandom(whole, 9);
    TBitmap32 background(16, 12);
    background.Assign(&whole);
    whole.Draw(c.dstRect, src.BoundsRect(), &src);
    // The same draw split into four clipped pieces through DstClip.
    TBitmap32 pieces(16, 12);
    pieces.Assign(&background);
    const TRect parts[] = {MakeRect(0, 0, 5, 7), MakeRect(5, 0, 16, 7), MakeRect(0, 7, 9, 12),
                           MakeRect(9, 7, 16, 12)};
    for (const TRect& part : parts) TransferRect(&pieces, c.dstRect, part, &src, src.BoundsRect());
    EXPECT_EQ(PixelsOf(pieces), PixelsOf(whole)) << c.resampler << " " << c.srcW << "x" << c.srcH;
    EXPECT_NE(PixelsOf(whole), PixelsOf(background)) << c.resampler;
  }
}

// ---- Combining by the source's draw mode ---------------------------------------------------

TEST(Resamplers, StretchedPixelsCombineByDrawMode) {
  TBitmap32 src(2, 2);
  src.Clear(0x80FFFFFFu);
  src.PixelAt(1, 1) = 0x00000000u;
  src.SetResamplerClassName("TLinearResampler");
  TBitmap32 produced(4, 4);
  produced.Draw(produced.BoundsRect(), src.BoundsRect(), &src);  // dmOpaque: the raw samples

  struct Case {
    TDrawMode mode;
    uint32_t master;
  };
  for (const Case c : {Case{dmBlend, 255}, Case{dmBlend, 90}, Case{dmTransparent, 255}}) {
    src.SetDrawMode(c.mode);
    src.SetMasterAlpha(c.master);
    src.SetOuterColor(produced.PixelAt(3, 3));
    TBitmap32 dst(4, 4);
    dst.Clear(0xFF336699u);
    dst.Draw(dst.BoundsRect(), src.BoundsRect(), &src);
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t x = 0; x < 4; ++x) {
        const TColor32 p = produced.PixelAt(x, y);
        const TColor32 expected = c.mode == dmBlend ? BlendPixelMaster(p, 0xFF336699u, c.master)
                                                    : (p == src.OuterColor() ? 0xFF336699u : p);
        EXPECT_EQ(dst.PixelAt(x, y), expected) << c.mode << " " << x << "," << y;
      }
  }
}

TEST(Resamplers, NearestBlendsWholeRowsWithTheRunRule) {
  // Fa = 10, M = 50: the run rule's weight 2 differs from the pixel rule's weight 1.
  TBitmap32 src(1, 1), dst(3, 1);
  src.Clear(0x0AFFFFFFu);
  src.SetDrawMode(dmBlend);
  src.SetMasterAlpha(50);
  dst.Clear(0xFF000000u);
  dst.Draw(dst.BoundsRect(), src.BoundsRect(), &src);
  for (TColor32 p : PixelsOf(dst)) EXPECT_EQ(p, CombinePixels(0x0AFFFFFFu, 0xFF000000u, 2));
  src.SetResamplerClassName("TLinearResampler");
  dst.Clear(0xFF000000u);
  dst.Draw(dst.BoundsRect(), src.BoundsRect(), &src);
  for (TColor32 p : PixelsOf(dst)) EXPECT_EQ(p, CombinePixels(0x0AFFFFFFu, 0xFF000000u, 1));
}

}  // namespace
}  // namespace mirelane

namespace mirelane {
namespace {

// The vector form of the vertical pass must equal the plain loop bit for bit, for negative
// weights, weights beyond 16 bits (which take the plain path) and lengths with tails.
TEST(KernelResample, RowPairAccumulationMatchesPlainLoop) {
  std::mt19937 rng(11);
  const std::pair<int32_t, int32_t> weights[] = {{256, 0},   {32, 96}, {-40, 300}, {32767, -32768},
                                                 {70000, 5}, {-1, -1}, {0, 0},     {12345, -23456}};
  for (size_t n : {0u, 1u, 15u, 16u, 17u, 64u, 333u}) {
    std::vector<uint8_t> a(n), b(n);
    std::vector<uint32_t> start(n);
    for (size_t i = 0; i < n; ++i) {
      a[i] = static_cast<uint8_t>(rng());
      b[i] = static_cast<uint8_t>(rng());
      start[i] = rng();
    }
    for (const auto& [wa, wb] : weights) {
      std::vector<uint32_t> plain(start), fast(start);
      AccumulateRowPairPlain(plain.data(), a.data(), wa, b.data(), wb, n);
      AccumulateRowPair(fast.data(), a.data(), wa, b.data(), wb, n);
      ASSERT_EQ(fast, plain) << "n = " << n << ", weights " << wa << ", " << wb;
    }
  }
}

// KernelResample against the convolution written out per pixel and channel from the two tables.
TEST(KernelResample, MatchesStraightforwardConvolution) {
  struct Case {
    int32_t srcW, srcH;
    TRect dstRect, clip;
  };
  const Case cases[] = {
      {37, 23, MakeRect(0, 0, 11, 7), MakeRect(0, 0, 11, 7)},
      {9, 40, MakeRect(-2, 1, 30, 9), MakeRect(0, 2, 20, 9)},
      {30, 30, MakeRect(0, 0, 13, 47), MakeRect(1, 3, 13, 40)},
      {5, 6, MakeRect(0, 0, 17, 3), MakeRect(0, 0, 17, 3)},
      {64, 3, MakeRect(0, 0, 19, 8), MakeRect(0, 0, 19, 8)},
  };
  for (const auto& c : cases) {
    TBitmap32 src(c.srcW, c.srcH), dst(40, 50);
    FillRandom(src, static_cast<uint32_t>(c.srcW));
    const TLinearKernel kernel;
    KernelResample(dst, c.dstRect, c.clip, src, src.BoundsRect(), kernel);
    const auto cx =
        ContributionTable(c.dstRect.Left, c.dstRect.Right, c.clip.Left, c.clip.Right, 0, c.srcW, kernel);
    const auto cy =
        ContributionTable(c.dstRect.Top, c.dstRect.Bottom, c.clip.Top, c.clip.Bottom, 0, c.srcH, kernel);
    for (int32_t y = c.clip.Top; y < c.clip.Bottom; ++y) {
      for (int32_t x = c.clip.Left; x < c.clip.Right; ++x) {
        TColor32 expected = 0;
        for (int shift = 0; shift < 32; shift += 8) {
          int64_t total = 0;
          for (const auto& col : cx[static_cast<size_t>(x - c.clip.Left)]) {
            int64_t sum = 0;
            for (const auto& row : cy[static_cast<size_t>(y - c.clip.Top)])
              sum += row.Weight * static_cast<int64_t>((src.PixelAt(col.Index, row.Index) >> shift) & 0xFF);
            total += col.Weight * sum;
          }
          expected |= static_cast<TColor32>((total & 0xFF0000) >> 16) << shift;
        }
        ASSERT_EQ(dst.PixelAt(x, y), expected) << c.srcW << "x" << c.srcH << " at " << x << "," << y;
      }
    }
  }
}

}  // namespace
}  // namespace mirelane
