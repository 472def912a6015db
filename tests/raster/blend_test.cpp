// The blend core, its pixel and run rules, and the run forms against a per-channel reference.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "raster/blend.h"

namespace mirelane {
namespace {

// The core written out channel by channel, as the arithmetic is stated.
TColor32 ReferenceCore(TColor32 f, TColor32 b, uint32_t w) {
  TColor32 out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t fc = (f >> shift) & 0xFF, bc = (b >> shift) & 0xFF;
    out |= ((fc * w + bc * (256 - w) + 128) >> 8) << shift;
  }
  return out;
}

TColor32 ReferenceBlendPixel(TColor32 f, TColor32 b) {
  const uint32_t fa = f >> 24;
  if (fa == 0) return b;
  if (fa == 255) return f;
  return ReferenceCore(f, b, fa);
}

TColor32 ReferenceBlendRunMasterPixel(TColor32 f, TColor32 b, uint32_t m) {
  const uint32_t fa = f >> 24;
  if (fa == 0) return b;
  const uint32_t w = ((fa + 1) * m) >> 8;
  if (w == 0) return b;
  return ReferenceCore(f, b, w);
}

TEST(BlendCore, WorkedExamples) {
  struct Case {
    TColor32 f, b;
    uint32_t w;
    TColor32 expected;
  };
  const Case cases[] = {
      {0x80FF0000u, 0xFF0000FFu, 128, 0xC0800080u},
      {0xFFFFFFFFu, 0xFF000000u, 255, 0xFFFEFEFEu},
      {0x12345678u, 0x9ABCDEF0u, 0, 0x9ABCDEF0u},
      // The alpha byte is blended like a colour: half of 0x80 over 0 is 0x40, not the "over" alpha.
      {0x80FFFFFFu, 0x00000000u, 128, 0x40808080u},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CombinePixels(c.f, c.b, c.w), c.expected) << std::hex << c.f << " over " << c.b;
    EXPECT_EQ(ReferenceCore(c.f, c.b, c.w), c.expected) << std::hex << c.f << " over " << c.b;
  }
}

TEST(BlendCore, InPlaceFormShortCuts) {
  TColor32 y = 0x11223344u;
  CombineMem(0xFFFFFFFFu, y, 0);
  EXPECT_EQ(y, 0x11223344u);
  CombineMem(0x80FFFFFFu, y, 255);
  EXPECT_EQ(y, 0x80FFFFFFu);
  CombineMem(0x80FF0000u, y = 0xFF0000FFu, 128);
  EXPECT_EQ(y, 0xC0800080u);
}

TEST(BlendPixel, AlphaZeroKeepsAndAlphaFullReplaces) {
  struct Case {
    TColor32 f, b, expected;
  };
  const Case cases[] = {
      {0x00FFFFFFu, 0x12345678u, 0x12345678u},
      {0xFF010203u, 0x12345678u, 0xFF010203u},
      {0x80FFFFFFu, 0x00000000u, 0x40808080u},
  };
  for (const auto& c : cases) EXPECT_EQ(BlendPixel(c.f, c.b), c.expected) << std::hex << c.f;
}

TEST(BlendRun, HalfAlphaOverTransparentHalvesAlpha) {
  const TColor32 src[3] = {0x80FFFFFFu, 0x00FFFFFFu, 0xFF123456u};
  TColor32 dst[3] = {0, 0xFF00FF00u, 0xFF000000u};
  BlendRun(src, dst, 3);
  EXPECT_EQ(dst[0], 0x40808080u);
  EXPECT_EQ(dst[1], 0xFF00FF00u);
  EXPECT_EQ(dst[2], 0xFF123456u);
}

TEST(BlendRun, NonPositiveLengthChangesNothing) {
  const TColor32 src[1] = {0xFFFFFFFFu};
  for (int n : {0, -1, -100}) {
    TColor32 a = 0x01020304u, b = 0x01020304u;
    BlendRun(src, &a, n);
    BlendRunMaster(src, &b, n, 128);
    EXPECT_EQ(a, 0x01020304u);
    EXPECT_EQ(b, 0x01020304u);
  }
}

TEST(BlendMaster, TheTwoRulesWeighDifferently) {
  // Fa = 10, M = 50: weight 2 in the run rule, 1 in the pixel rule.
  const TColor32 f = 0x0AFFFFFFu, b = 0xFF000000u;
  TColor32 run = b;
  BlendRunMaster(&f, &run, 1, 50);
  EXPECT_EQ(run, ReferenceCore(f, b, 2));
  EXPECT_EQ(BlendPixelMaster(f, b, 50), ReferenceCore(f, b, 1));
  EXPECT_NE(ReferenceCore(f, b, 2), ReferenceCore(f, b, 1));
}

TEST(BlendMaster, PixelRuleHasNoCopyShortCut) {
  EXPECT_EQ(BlendPixelMaster(0xFFFFFFFFu, 0xFF000000u, 255), 0xFFFEFEFEu);
  // Weight 0 leaves the background, also for an opaque source.
  EXPECT_EQ(BlendPixelMaster(0xFFFFFFFFu, 0xFF000000u, 0), 0xFF000000u);
  EXPECT_EQ(BlendPixelMaster(0x00FFFFFFu, 0xFF000000u, 255), 0xFF000000u);
}

// The run forms are written for the vectoriser; they must agree bit for bit with the plain
// per-channel rules on every kind of pixel, over lengths that leave vector tails.
TEST(BlendRun, MatchesPerChannelReferenceOnRandomData) {
  std::mt19937 rng(20261209);
  for (int n : {1, 3, 7, 8, 15, 16, 17, 31, 64, 257, 1000}) {
    std::vector<TColor32> src(n), dst(n);
    for (int i = 0; i < n; ++i) {
      src[i] = rng();
      dst[i] = rng();
      // Force the short cuts to occur often.
      if (i % 5 == 1) src[i] &= 0x00FFFFFFu;
      if (i % 5 == 2) src[i] |= 0xFF000000u;
    }
    std::vector<TColor32> expected(dst);
    for (int i = 0; i < n; ++i) expected[i] = ReferenceBlendPixel(src[i], expected[i]);
    std::vector<TColor32> actual(dst);
    BlendRun(src.data(), actual.data(), n);
    ASSERT_EQ(actual, expected) << "n = " << n;

    for (uint32_t m : {0u, 1u, 50u, 127u, 128u, 200u, 254u, 255u}) {
      std::vector<TColor32> expectedMaster(dst);
      for (int i = 0; i < n; ++i)
        expectedMaster[i] = ReferenceBlendRunMasterPixel(src[i], expectedMaster[i], m);
      std::vector<TColor32> actualMaster(dst);
      BlendRunMaster(src.data(), actualMaster.data(), n, m);
      ASSERT_EQ(actualMaster, expectedMaster) << "n = " << n << ", M = " << m;
    }
  }
}

TEST(BlendPixelMaster, MatchesPerChannelReferenceOnRandomData) {
  std::mt19937 rng(7);
  for (int i = 0; i < 20000; ++i) {
    const TColor32 f = rng(), b = rng();
    const uint32_t m = rng() & 0xFF;
    const uint32_t fa = f >> 24;
    const uint32_t w = ((m + 1) * fa) >> 8;
    const TColor32 expected = (fa == 0 || w == 0) ? b : ReferenceCore(f, b, w);
    ASSERT_EQ(BlendPixelMaster(f, b, m), expected) << std::hex << f << " " << b << " " << m;
  }
}

// ---- Merge: straight-alpha "over" -----------------------------------------------------------

// "Over" in real numbers, the foreground covering w / 256: alpha out of 255 and the colours.
struct ExactOver {
  double alpha;
  double channel[3];
};
ExactOver ReferenceOver(TColor32 f, TColor32 b, uint32_t w) {
  const double c = w / 256.0, ba = (b >> 24) / 255.0;
  const double a = c + ba * (1 - c);
  ExactOver out{a * 255, {}};
  for (int k = 0; k < 3; ++k) {
    const double fc = (f >> (8 * k)) & 0xFF, bc = (b >> (8 * k)) & 0xFF;
    out.channel[k] = (c * fc + (1 - c) * ba * bc) / a;
  }
  return out;
}

TEST(MergeCore, WorkedExamples) {
  struct Case {
    TColor32 f, b;
    uint32_t w;
    TColor32 expected;
  };
  const Case cases[] = {
      // Over nothing the foreground keeps its colour and takes the weight as alpha.
      {0x80FFFFFFu, 0x00000000u, 128, 0x80FFFFFFu},
      {0xFF123456u, 0x00ABCDEFu, 255, 0xFF123456u},
      // Over an opaque background: the core's colour, always opaque.
      {0x80FF0000u, 0xFF0000FFu, 128, 0xFF800080u},
      {0xFFFFFFFFu, 0xFF000000u, 255, 0xFFFEFEFEu},
      // Half white over half black: alpha 191.5 (a half rounds up), white's share about 2/3.
      {0x80FFFFFFu, 0x80000000u, 128, 0xC0A9A9A9u},
      // Weight 0 keeps the background.
      {0xFFFFFFFFu, 0x40102030u, 0, 0x40102030u},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MergeCore(c.f, c.b, c.w), c.expected) << std::hex << c.f << " over " << c.b;
}

TEST(MergeCore, StaysWithinOneLevelOfExactOver) {
  std::mt19937 rng(99);
  for (int i = 0; i < 200000; ++i) {
    const TColor32 f = rng(), b = rng();
    const uint32_t w = 1 + rng() % 255;
    const TColor32 got = MergeCore(f, b, w);
    const ExactOver exact = ReferenceOver(f, b, w);
    // Rounded; over a clear pixel w itself, which may lie up to one level above.
    ASSERT_NEAR(static_cast<double>(got >> 24), exact.alpha, (b >> 24) == 0 ? 1.0 : 0.5 + 1e-9)
        << std::hex << f << " " << b << " " << w;
    for (int k = 0; k < 3; ++k)
      ASSERT_NEAR(static_cast<double>((got >> (8 * k)) & 0xFF), exact.channel[k], 1.0)
          << std::hex << f << " " << b << " " << w << " channel " << k;
  }
}

TEST(MergeCore, OverOpaqueGivesTheCoreColourAndFullAlpha) {
  std::mt19937 rng(5);
  for (int i = 0; i < 50000; ++i) {
    const TColor32 f = rng(), b = rng() | 0xFF000000u;
    const uint32_t w = 1 + rng() % 255;
    ASSERT_EQ(MergeCore(f, b, w), ReferenceCore(f, b, w) | 0xFF000000u)
        << std::hex << f << " " << b << " " << w;
  }
}

// The vector forms take short cuts for clear and opaque backgrounds; they must give the pixel
// rules' bits for every mix of backgrounds, master alphas and tail lengths.
TEST(MergeRun, MatchesPixelRulesOnRandomData) {
  std::mt19937 rng(4242);
  for (int n : {1, 3, 4, 7, 8, 17, 64, 257, 1000}) {
    std::vector<TColor32> src(n), dst(n);
    for (int i = 0; i < n; ++i) {
      src[i] = rng();
      dst[i] = rng();
      if (rng() % 3 == 0) src[i] &= 0x00FFFFFFu;
      if (rng() % 3 == 0) src[i] |= 0xFF000000u;
      const uint32_t kind = rng() % 4;  // clear, opaque or partly transparent backgrounds
      if (kind == 0) dst[i] &= 0x00FFFFFFu;
      if (kind == 1) dst[i] |= 0xFF000000u;
    }
    std::vector<TColor32> expected(dst), actual(dst);
    for (int i = 0; i < n; ++i) expected[i] = MergePixel(src[i], expected[i]);
    MergeRun(src.data(), actual.data(), n);
    ASSERT_EQ(actual, expected) << "n = " << n;
    for (uint32_t m : {0u, 1u, 77u, 128u, 254u, 255u}) {
      std::vector<TColor32> expectedMaster(dst), actualMaster(dst);
      for (int i = 0; i < n; ++i)
        expectedMaster[i] = MergeCore(src[i], expectedMaster[i], ((AlphaOf(src[i]) + 1) * m) >> 8);
      MergeRunMaster(src.data(), actualMaster.data(), n, m);
      ASSERT_EQ(actualMaster, expectedMaster) << "n = " << n << ", M = " << m;
    }
  }
}

TEST(MergeRun, OpaqueSourceIsCopiedAndClearSourceSkipped) {
  const TColor32 src[5] = {0xFF123456u, 0x00FFFFFFu, 0xFF000000u, 0x00000000u, 0xFFFFFFFFu};
  TColor32 dst[5] = {0x40FFFFFFu, 0x40FFFFFFu, 0x00000000u, 0x12345678u, 0xFF000000u};
  MergeRun(src, dst, 5);
  const TColor32 expected[5] = {0xFF123456u, 0x40FFFFFFu, 0xFF000000u, 0x12345678u, 0xFFFFFFFFu};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(dst[i], expected[i]) << i;
}

}  // namespace
}  // namespace mirelane
