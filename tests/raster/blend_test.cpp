// The blend core and its rules against the worked examples.
#include <gtest/gtest.h>

#include "raster/blend.h"

namespace mirelane {
namespace {

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
  };
  for (const auto& c : cases) EXPECT_EQ(CombinePixels(c.f, c.b, c.w), c.expected) << std::hex << c.f;
}

TEST(BlendRun, HalfAlphaOverTransparentHalvesAlpha) {
  const TColor32 src[3] = {0x80FFFFFFu, 0x00FFFFFFu, 0xFF123456u};
  TColor32 dst[3] = {0, 0xFF00FF00u, 0xFF000000u};
  BlendRun(src, dst, 3);
  EXPECT_EQ(dst[0], 0x40808080u);
  EXPECT_EQ(dst[1], 0xFF00FF00u);
  EXPECT_EQ(dst[2], 0xFF123456u);
}

TEST(BlendMaster, TheTwoRulesWeighDifferently) {
  // Fa = 10, M = 50: weight 2 in the run rule, 1 in the pixel rule.
  const TColor32 f = 0x0AFFFFFFu, b = 0xFF000000u;
  TColor32 run = b;
  BlendRunMaster(&f, &run, 1, 50);
  EXPECT_EQ(run, CombinePixels(f, b, 2));
  EXPECT_EQ(BlendPixelMaster(f, b, 50), CombinePixels(f, b, 1));
  EXPECT_EQ(BlendPixelMaster(0xFFFFFFFFu, 0xFF000000u, 255), 0xFFFEFEFEu);
}

}  // namespace
}  // namespace mirelane
