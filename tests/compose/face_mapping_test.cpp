// MapFace and its alpha cut: the enlarged corners, what shows of the picture, the cut edges,
// corner orders, translucent sources, degenerate faces, and the intensity mask rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "compose/face_mapping.h"

namespace mirelane {
namespace {

constexpr TFacePoint kA{100, 100}, kB{300, 100}, kC{300, 250}, kD{100, 250};

std::unique_ptr<TBitmap32> Uniform(int w, int h, TColor32 c) {
  auto bmp = std::make_unique<TBitmap32>(w, h);
  bmp->Clear(c);
  return bmp;
}

// Red carries the column and green the row, so a face pixel tells where it was sampled.
std::unique_ptr<TBitmap32> Coordinates(int w, int h) {
  auto bmp = std::make_unique<TBitmap32>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp->PixelAt(x, y) = Color32(x, y, 0);
  return bmp;
}

TEST(FaceDrawCorners, EnlargedAboutTheCentroidInSingleFloats) {
  const std::array<float, 8> c = FaceDrawCorners({kA, kB, kC, kD}, true);
  const std::array<float, 8> expected{91.99999237f, 94.0f,  308.0f,       94.0f,
                                      308.0f,       256.0f, 91.99999237f, 256.0f};
  EXPECT_EQ(c, expected);
  EXPECT_NE(c[0], 92.0f);
  EXPECT_EQ(FaceDrawCorners({kA, kB, kC, kD}, false),
            (std::array<float, 8>{100, 100, 300, 100, 300, 250, 100, 250}));
}

TEST(MapFace, MiddleOfThePictureShows) {
  // 216 x 162 onto the enlarged 216 x 162 quad: one picture pixel per face pixel, shifted by (92, 94).
  const auto source = Coordinates(216, 162);
  TBitmap32 face(400, 300);
  MapFace(*source, source->BoundsRect(), kA, kB, kC, kD, face, true);
  for (int y = 101; y < 249; y += 7)
    for (int x = 101; x < 299; x += 7) {
      const TColor32 p = face.PixelAt(x, y);
      ASSERT_EQ(AlphaOf(p), 255u);
      ASSERT_NEAR(static_cast<int>(RedOf(p)), x - 92, 1) << x << "," << y;
      ASSERT_NEAR(static_cast<int>(GreenOf(p)), y - 94, 1) << x << "," << y;
    }
  // The face's first column shows picture column 8, not 0: the margin is cut away.
  EXPECT_NEAR(static_cast<int>(RedOf(face.PixelAt(100, 150))), 8, 1);
  EXPECT_NEAR(static_cast<int>(RedOf(face.PixelAt(299, 150))), 207, 1);
}

TEST(MapFace, OpaquePictureIsOpaqueInsideAndTransparentOutside) {
  const auto source = Uniform(50, 40, 0xFF336699u);
  TBitmap32 face(400, 300);
  face.Clear(0xFFFFFFFFu);  // nothing of the previous content may survive
  MapFace(*source, source->BoundsRect(), kA, kB, kC, kD, face, true);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x) {
      const TColor32 p = face.PixelAt(x, y);
      const bool inside = x >= 101 && x <= 298 && y >= 101 && y <= 248;
      const bool outside = x <= 98 || x >= 301 || y <= 98 || y >= 251;
      if (inside) {
        ASSERT_EQ(p, 0xFF336699u) << x << "," << y;
      }
      if (outside) {
        ASSERT_EQ(AlphaOf(p), 0u) << x << "," << y;
      }
    }
  // The pixels on the edge lines are whole pixels of the face and keep their alpha too.
  EXPECT_EQ(AlphaOf(face.PixelAt(100, 150)), 255u);
  EXPECT_EQ(AlphaOf(face.PixelAt(299, 150)), 255u);
  // Just outside, the edge band lifts the mask a little: a faint trace, well below visible.
  EXPECT_LE(AlphaOf(face.PixelAt(300, 150)), 16u);
  EXPECT_LE(AlphaOf(face.PixelAt(200, 99)), 16u);
}

TEST(MapFace, CornerOrderMirrorsAndFlips) {
  // Left half red, right half blue, top quarter... quadrants tell both axes apart.
  TBitmap32 source(40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      source.PixelAt(x, y) =
          y < 20 ? (x < 20 ? 0xFFFF0000u : 0xFF00FF00u) : (x < 20 ? 0xFFFFFFFFu : 0xFF0000FFu);
  struct Case {
    const char* name;
    TFacePoint a, b, c, d;
    TColor32 topLeft, topRight, bottomLeft;
  };
  const Case cases[] = {
      {"A, B, C, D", kA, kB, kC, kD, 0xFFFF0000u, 0xFF00FF00u, 0xFFFFFFFFu},
      {"B, A, D, C mirrors", kB, kA, kD, kC, 0xFF00FF00u, 0xFFFF0000u, 0xFF0000FFu},
      {"D, C, B, A flips", kD, kC, kB, kA, 0xFFFFFFFFu, 0xFF0000FFu, 0xFFFF0000u},
  };
  for (const Case& c : cases) {
    TBitmap32 face(400, 300);
    MapFace(source, source.BoundsRect(), c.a, c.b, c.c, c.d, face, true);
    EXPECT_EQ(face.PixelAt(120, 120), c.topLeft) << c.name;
    EXPECT_EQ(face.PixelAt(280, 120), c.topRight) << c.name;
    EXPECT_EQ(face.PixelAt(120, 230), c.bottomLeft) << c.name;
    EXPECT_EQ(AlphaOf(face.PixelAt(90, 120)), 0u) << c.name;
  }
}

TEST(MapFace, UniformSourceAlphaIsStoredAsInstalledAggRoundsIt) {
  // The design's arithmetic stores 170 for 169; the installed AGG rounds exactly and keeps 169.
  struct Case {
    TColor32 source;
    TColor32 inside;
  };
  for (const Case& c :
       {Case{0xA9FFFFFFu, 0xA9A9A9A9u}, Case{0x80000000u, 0x80000000u}, Case{0x01FFFFFFu, 0x01010101u}}) {
    const auto source = Uniform(60, 60, c.source);
    TBitmap32 face(400, 300);
    MapFace(*source, source->BoundsRect(), kA, kB, kC, kD, face, true);
    EXPECT_EQ(face.PixelAt(200, 175), c.inside) << std::hex << c.source;
    EXPECT_EQ(face.PixelAt(150, 120), c.inside) << std::hex << c.source;
  }
}

TEST(MapFace, DegenerateQuadLeavesTheFaceTransparent) {
  const auto source = Uniform(30, 30, 0xFFFFFFFFu);
  struct Case {
    const char* name;
    TFacePoint a, b, c, d;
  };
  const Case cases[] = {
      {"on one line", {10, 10}, {50, 50}, {90, 90}, {130, 130}},
      {"all equal", {70, 70}, {70, 70}, {70, 70}, {70, 70}},
      {"horizontal line", {10, 50}, {200, 50}, {300, 50}, {20, 50}},
  };
  for (const Case& c : cases) {
    TBitmap32 face(400, 300);
    face.Clear(0xFF123456u);
    MapFace(*source, source->BoundsRect(), c.a, c.b, c.c, c.d, face, true);
    for (size_t i = 0; i < face.PixelCount(); ++i) ASSERT_EQ(AlphaOf(face.Bits()[i]), 0u) << c.name;
  }
}

TEST(MapFace, TakesTheSourcesMasterAlphaAndNothingElseChanges) {
  const auto source = Uniform(30, 30, 0xFFFFFFFFu);
  source->SetMasterAlpha(77);
  TBitmap32 face(400, 300);
  face.SetMasterAlpha(10);
  face.SetDrawMode(dmTransparent);
  face.SetOuterColor(0x12345678u);
  MapFace(*source, source->BoundsRect(), kA, kB, kC, kD, face, true);
  EXPECT_EQ(face.MasterAlpha(), 77u);
  EXPECT_EQ(face.DrawMode(), dmTransparent);
  EXPECT_EQ(face.OuterColor(), 0x12345678u);
  EXPECT_EQ(face.Width(), 400);
  EXPECT_EQ(source->PixelAt(0, 0), 0xFFFFFFFFu);
}

TEST(MapFace, CornersOutsideTheCanvasAreClipped) {
  const auto source = Uniform(30, 30, 0xFF00FF00u);
  TBitmap32 face(100, 80);
  MapFace(*source, source->BoundsRect(), {-5000, -4000}, {60000, -3000}, {50, 70000}, {-100000, 60}, face,
          true);
  EXPECT_EQ(face.PixelAt(50, 40), 0xFF00FF00u);
  MapFace(*source, source->BoundsRect(), {-2000000000, -2000000000}, {2000000000, -2000000000},
          {2000000000, 2000000000}, {-2000000000, 2000000000}, face, true);
  EXPECT_EQ(face.PixelAt(50, 40), 0xFF00FF00u);
  MapFace(*source, source->BoundsRect(), {500, 500}, {600, 500}, {600, 600}, {500, 600}, face, true);
  for (size_t i = 0; i < face.PixelCount(); ++i) ASSERT_EQ(face.Bits()[i], 0u);
}

// MapFace cuts only the window where the picture or the mask can be non-zero; the canvas-sized
// path built from the same stages must give the same bytes.
TEST(MapFace, WindowedCutMatchesTheCanvasSizedCut) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> coord(-40, 240);
  std::uniform_int_distribution<int> size(1, 50);
  std::uniform_int_distribution<uint32_t> pixel;
  for (int round = 0; round < 40; ++round) {
    TBitmap32 source(size(rng), size(rng));
    for (size_t i = 0; i < source.PixelCount(); ++i)
      source.Bits()[i] = round % 3 ? pixel(rng) : pixel(rng) | 0xFF000000u;
    const TFaceQuad quad{TFacePoint{coord(rng), coord(rng)}, TFacePoint{coord(rng), coord(rng)},
                         TFacePoint{coord(rng), coord(rng)}, TFacePoint{coord(rng), coord(rng)}};
    const bool enlarge = round % 4 != 0;
    TBitmap32 fast(200, 160);
    MapFace(source, source.BoundsRect(), quad[0], quad[1], quad[2], quad[3], fast, enlarge);
    TBitmap32 reference(200, 160);
    DrawFacePicture(source, source.BoundsRect(), FaceDrawCorners(quad, enlarge), reference);
    TBitmap32 mask(200, 160);
    BuildFaceMask(mask, quad);
    ModulateAlphaByMask(mask, reference);
    for (size_t i = 0; i < fast.PixelCount(); ++i)
      ASSERT_EQ(fast.Bits()[i], reference.Bits()[i]) << "round " << round;
  }
}

TEST(FaceMask, WholePixelsAreGrey250OnOpaqueBlack) {
  TBitmap32 mask(400, 300);
  BuildFaceMask(mask, {kA, kB, kC, kD});
  EXPECT_EQ(mask.PixelAt(200, 175), 0xFBFAFAFAu);
  EXPECT_EQ(mask.PixelAt(50, 50), 0xFF000000u);
  EXPECT_EQ(MaxIntensity(mask), 250);
  EXPECT_EQ(mask.DrawMode(), dmBlend);
  // The corner pixels get the edge band twice, yet count as no more than a whole pixel.
  EXPECT_EQ(mask.PixelAt(100, 100), 0xFBFAFAFAu);
  EXPECT_EQ(IntensityOf(mask.PixelAt(299, 249)), 250u);
  // Just outside an edge, the band alone: a little grey.
  EXPECT_GT(IntensityOf(mask.PixelAt(300, 175)), 0u);
  EXPECT_LT(IntensityOf(mask.PixelAt(300, 175)), 20u);
}

TEST(IntensityMask, CutRules) {
  struct Case {
    const char* name;
    TColor32 maskPixel, maxPixel, target, expected;
  };
  const TColor32 grey200 = 0xFFC8C8C8u, grey100 = 0xFF646464u;
  const Case cases[] = {
      {"at the brightest value: left alone", grey200, grey200, 0xFF112233u, 0xFF112233u},
      {"opaque takes the intensity", grey100, grey200, 0xFF112233u, 0x64112233u},
      {"translucent is scaled: 100 * 254 / 200 = 127", grey100, grey200, 0xFE112233u, 0x7F112233u},
      {"transparent stays transparent", grey100, grey200, 0x00112233u, 0x00112233u},
      {"black mask pixel clears", 0xFF000000u, grey200, 0x80FFFFFFu, 0x00FFFFFFu},
  };
  for (const Case& c : cases) {
    TBitmap32 mask(2, 1), target(2, 1);
    mask.PixelAt(0, 0) = c.maskPixel;
    mask.PixelAt(1, 0) = c.maxPixel;
    target.PixelAt(0, 0) = c.target;
    target.PixelAt(1, 0) = 0xFF000000u;
    ApplyIntensityMask(target, mask);
    EXPECT_EQ(target.PixelAt(0, 0), c.expected) << c.name << std::hex << " got " << target.PixelAt(0, 0);
    EXPECT_EQ(target.PixelAt(1, 0), 0xFF000000u) << c.name;
  }
}

TEST(IntensityMask, UniformMaskChangesNothing) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<uint32_t> pixel;
  for (TColor32 m : {0xFF000000u, 0xFF808080u, 0x00FFFFFFu}) {
    TBitmap32 mask(16, 9), target(16, 9), before(16, 9);
    mask.Clear(m);
    for (size_t i = 0; i < target.PixelCount(); ++i) before.Bits()[i] = target.Bits()[i] = pixel(rng);
    ApplyIntensityMask(target, mask);
    for (size_t i = 0; i < target.PixelCount(); ++i) ASSERT_EQ(target.Bits()[i], before.Bits()[i]);
  }
}

TEST(IntensityMask, ModulateNeedsEqualSizes) {
  TBitmap32 mask(4, 4), target(4, 5);
  target.Clear(0xFFFFFFFFu);
  ModulateAlphaByMask(mask, target);
  for (size_t i = 0; i < target.PixelCount(); ++i) ASSERT_EQ(target.Bits()[i], 0xFFFFFFFFu);
  TBitmap32 emptyMask, emptyTarget;
  ModulateAlphaByMask(emptyMask, emptyTarget);
  EXPECT_EQ(MaxIntensity(emptyMask), 0);
}

TEST(IntensityMask, MaskedAlphaRoundsHalfToEven) {
  struct Case {
    TColor32 pixel, mask;
    int32_t max, expected;
  };
  // Intensities: grey g gives g. 1 * 1 / 2 = 0.5 -> 0; 3 * 1 / 2 = 1.5 -> 2; 100 * 254 / 200 = 127.
  const Case cases[] = {{0x01000000u, 0xFF010101u, 2, 0},
                        {0x01000000u, 0xFF030303u, 2, 2},
                        {0xFE000000u, 0xFF646464u, 200, 127},
                        {0x80000000u, 0xFF000000u, 0, 128}};
  for (const Case& c : cases)
    EXPECT_EQ(MaskedAlpha(c.pixel, c.mask, c.max), c.expected) << std::hex << c.pixel << " " << c.mask;
}

}  // namespace
}  // namespace mirelane
