// The vector canvas: state after Attach, clearing, transforms, blend modes on fully covered
// pixels, ellipses and strokes, the two image operations and the coverage gamma.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <random>

#include "raster/agg2d.h"
#include "raster/error.h"

namespace mirelane {
namespace {

int Channel(TColor32 p, int shift) {
  return static_cast<int>((p >> shift) & 0xFF);
}

void ExpectNearColor(TColor32 actual, TColor32 expected, int tolerance, const char* what) {
  for (int shift : {24, 16, 8, 0})
    EXPECT_NEAR(Channel(actual, shift), Channel(expected, shift), tolerance)
        << what << ": got " << std::hex << actual << " expected " << expected;
}

TEST(Agg2D, AttachResetsEveryStateItem) {
  TBitmap32 a(10, 10), b(20, 5);
  TAgg2D canvas;
  canvas.Attach(a);
  canvas.Scale(3, 4);
  canvas.Translate(5, 6);
  canvas.FillColor(1, 2, 3, 4);
  canvas.LineColor(5, 6, 7, 8);
  canvas.LineWidth(9);
  canvas.BlendMode(kAggBlendDarken);
  canvas.AntiAliasGamma(3.0);
  ASSERT_NE(canvas.State(), TAggState{});
  canvas.Attach(b);
  const TAggState& s = canvas.State();
  EXPECT_EQ(s.Transform, TAggAffine{});
  EXPECT_EQ(s.FillColor, (TAggRgba{255, 255, 255, 255}));
  EXPECT_EQ(s.LineColor, (TAggRgba{0, 0, 0, 255}));
  EXPECT_EQ(s.LineWidth, 1.0);
  EXPECT_EQ(s.BlendMode, kAggBlendAlpha);
  EXPECT_EQ(s.AntiAliasGamma, 1.0);
  EXPECT_EQ(canvas.CoverageAfterGamma(128), 128u);  // the rasterizer's table is linear again
}

TEST(Agg2D, ClearAllSetsEveryPixelWithoutBlending) {
  TBitmap32 bmp(7, 3);
  bmp.Clear(0xFF123456u);
  TAgg2D canvas;
  canvas.Attach(bmp);
  canvas.ClearAll(0, 0, 0, 0);
  for (size_t i = 0; i < bmp.PixelCount(); ++i) ASSERT_EQ(bmp.Bits()[i], 0u);
  canvas.ClearAll(0x11, 0x22, 0x33, 0x44);  // r, g, b, a: bytes in memory B, G, R, A
  for (size_t i = 0; i < bmp.PixelCount(); ++i) ASSERT_EQ(bmp.Bits()[i], 0x44112233u);
}

TEST(Agg2D, ScaleThenTranslateInBufferPixels) {
  TBitmap32 bmp(40, 40);
  TAgg2D canvas;
  canvas.Attach(bmp);
  canvas.ClearAll(0, 0, 0, 0);
  canvas.Scale(0.5, 0.25);
  EXPECT_DOUBLE_EQ(canvas.State().ApproximationScale, 2.0 * std::hypot(0.5, 0.25) * 0.7071068);
  canvas.Translate(4, 4);
  EXPECT_EQ(canvas.State().Transform, (TAggAffine{0.5, 0, 0, 0.25, 4, 4}));
  canvas.NoLine();
  canvas.FillColor(255, 0, 0, 255);
  canvas.Ellipse(40, 80, 20, 40);  // lands centred (24, 24) with radii 10 and 10
  EXPECT_EQ(bmp.PixelAt(24, 24), 0xFFFF0000u);
  EXPECT_EQ(bmp.PixelAt(24, 16), 0xFFFF0000u);
  EXPECT_EQ(bmp.PixelAt(24, 12), 0u);
  EXPECT_EQ(bmp.PixelAt(36, 24), 0u);
}

TEST(Agg2D, UnknownBlendModeFails) {
  TAgg2D canvas;
  EXPECT_THROW(canvas.BlendMode(16), Error);
  EXPECT_THROW(canvas.BlendMode(3), Error);
  EXPECT_EQ(canvas.State().BlendMode, kAggBlendAlpha);
}

// One pixel well inside a filled ellipse, per blend mode. The expected values are the operators'
// formulas on premultiplied colours; the installed AGG rounds its products exactly, so the
// results must match to the unit.
TEST(Agg2D, BlendModesOnFullyCoveredPixels) {
  struct Case {
    const char* name;
    int mode;
    TAggRgba fill;
    TColor32 before;
    TColor32 expected;
  };
  const Case cases[] = {
      {"alpha: opaque black", kAggBlendAlpha, {0, 0, 0, 255}, 0x00000000u, 0xFF000000u},
      {"alpha: half red over blue", kAggBlendAlpha, {255, 0, 0, 128}, 0xFF0000FFu, 0xFF80007Fu},
      {"alpha: half red over nothing", kAggBlendAlpha, {255, 0, 0, 128}, 0x00000000u, 0x80800000u},
      {"src-in: takes the buffer's alpha", kAggBlendSrcIn, {255, 0, 0, 255}, 0x800000FFu, 0x80800000u},
      {"src-in: nothing where the buffer is empty",
       kAggBlendSrcIn,
       {255, 0, 0, 255},
       0x00000000u,
       0x00000000u},
      {"src-out: clears an opaque buffer", kAggBlendSrcOut, {0, 0, 0, 255}, 0xFF336699u, 0x00000000u},
      {"src-out: paints an empty buffer", kAggBlendSrcOut, {0, 0, 0, 255}, 0x00000000u, 0xFF000000u},
      {"dst-out: opaque shape erases", kAggBlendDstOut, {0, 0, 0, 255}, 0xFF336699u, 0x00000000u},
      {"dst-out: half shape halves", kAggBlendDstOut, {0, 0, 0, 128}, 0xFF6496C8u, 0x7F324B64u},
      {"darken: per-channel minimum", kAggBlendDarken, {200, 100, 50, 255}, 0xFF649632u, 0xFF646432u},
      {"darken: translucent black", kAggBlendDarken, {0, 0, 0, 50}, 0xFF649632u, 0xFF507928u},
  };
  for (const Case& c : cases) {
    TBitmap32 bmp(30, 30);
    bmp.Clear(c.before);
    TAgg2D canvas;
    canvas.Attach(bmp);
    canvas.BlendMode(c.mode);
    canvas.NoLine();
    canvas.FillColor(c.fill.R, c.fill.G, c.fill.B, c.fill.A);
    canvas.Ellipse(15, 15, 12, 12);
    ExpectNearColor(bmp.PixelAt(15, 15), c.expected, 0, c.name);
    EXPECT_EQ(bmp.PixelAt(0, 0), c.before) << c.name << ": outside the shape nothing changes";
  }
}

TEST(Agg2D, EllipseFillsThenStrokes) {
  struct Case {
    const char* name;
    TAggRgba fill, line;
    double width;
    TColor32 centre, rim;
  };
  const Case cases[] = {
      {"fill and line", {255, 0, 0, 255}, {0, 0, 255, 255}, 4, 0xFFFF0000u, 0xFF0000FFu},
      {"no fill", {0, 0, 0, 0}, {0, 0, 255, 255}, 4, 0x00000000u, 0xFF0000FFu},
      {"no line", {255, 0, 0, 255}, {0, 0, 0, 0}, 4, 0xFFFF0000u, 0x00000000u},
      {"zero width", {255, 0, 0, 255}, {0, 0, 255, 255}, 0, 0xFFFF0000u, 0x00000000u},
  };
  for (const Case& c : cases) {
    TBitmap32 bmp(60, 60);
    TAgg2D canvas;
    canvas.Attach(bmp);
    canvas.FillColor(c.fill.R, c.fill.G, c.fill.B, c.fill.A);
    canvas.LineColor(c.line.R, c.line.G, c.line.B, c.line.A);
    canvas.LineWidth(c.width);
    canvas.Ellipse(30, 30, 20, 20);
    EXPECT_EQ(bmp.PixelAt(30, 30), c.centre) << c.name;
    // Pixel (50, 30) straddles the circle, which the stroke covers from radius 18 to 22.
    EXPECT_EQ(bmp.PixelAt(50, 30), c.rim) << c.name;
    EXPECT_EQ(bmp.PixelAt(55, 30), 0u) << c.name;
  }
}

TEST(Agg2D, InnerCircleKeepsTheStrokeInsideAndScalesItsWidth) {
  for (double scale : {1.0, 2.0}) {
    TBitmap32 bmp(200, 200);
    TAgg2D canvas;
    canvas.Attach(bmp);
    canvas.Scale(scale, scale);
    canvas.NoFill();
    canvas.LineColor(0, 0, 0, 255);
    canvas.LineWidth(4);
    canvas.InnerCircle(50, 50, 40);  // stroke from radius 36 to 40 in world units
    int covered = 0;
    // Near-full pixels: the flattened circle leaves the outermost ones a unit or so short.
    for (int x = 0; x < 200; ++x) covered += AlphaOf(bmp.PixelAt(x, static_cast<int>(50 * scale))) >= 250;
    EXPECT_EQ(covered, static_cast<int>(2 * 4 * scale)) << "scale " << scale;
    const int outside = static_cast<int>(90 * scale) + 1;
    EXPECT_EQ(bmp.PixelAt(outside, static_cast<int>(50 * scale)), 0u) << "scale " << scale;
    EXPECT_GE(AlphaOf(bmp.PixelAt(static_cast<int>(89 * scale), static_cast<int>(50 * scale))), 250u);
  }
}

TEST(Agg2D, TransformImageStretchesBilinearTransparentOutside) {
  TBitmap32 picture(4, 4);
  picture.Clear(0xFFFF0000u);
  TBitmap32 bmp(50, 50);
  TAgg2D canvas;
  canvas.Attach(bmp);
  canvas.TransformImage(picture, 5, 5, 45, 45);
  EXPECT_EQ(bmp.PixelAt(25, 25), 0xFFFF0000u);
  EXPECT_EQ(bmp.PixelAt(2, 2), 0u);
  EXPECT_EQ(bmp.PixelAt(47, 25), 0u);
  // The first covered pixel samples half beyond the picture, where it is transparent.
  EXPECT_LT(AlphaOf(bmp.PixelAt(5, 25)), 255u);
  EXPECT_GT(AlphaOf(bmp.PixelAt(5, 25)), 0u);

  // The picture's alpha takes part.
  TBitmap32 translucent(4, 4);
  translucent.Clear(0x80FF0000u);
  bmp.Clear(0);
  canvas.TransformImage(translucent, 5, 5, 45, 45);
  EXPECT_EQ(bmp.PixelAt(25, 25), 0x80800000u);
}

TEST(Agg2D, TransformImageOfAnEmptyPictureSamplesTransparent) {
  TBitmap32 empty;
  TBitmap32 bmp(20, 20);
  bmp.Clear(0xFF00FF00u);
  TAgg2D canvas;
  canvas.Attach(bmp);
  canvas.BlendMode(kAggBlendSrcIn);
  canvas.TransformImage(empty, 0, 0, 20, 20);
  EXPECT_EQ(AlphaOf(bmp.PixelAt(10, 10)), 0u);
}

TEST(Agg2D, GammaTableHasTheRoundedPowerCurve) {
  TBitmap32 bmp(1, 1);
  TAgg2D canvas;
  canvas.Attach(bmp);
  for (double g : {1.0, 3.0, 0.5}) {
    canvas.AntiAliasGamma(g);
    for (unsigned i = 0; i < 256; ++i)
      ASSERT_EQ(canvas.CoverageAfterGamma(i),
                static_cast<unsigned>(std::lround(255 * std::pow(i / 255.0, g))))
          << "gamma " << g << " entry " << i;
  }
}

// A white picture drawn onto a quad whose right edge halves pixel column 20.
TColor32 HalfCoveredPixel(double gamma) {
  TBitmap32 picture(100, 100);
  picture.Clear(0xFFFFFFFFu);
  TBitmap32 bmp(40, 40);
  TAgg2D canvas;
  canvas.Attach(bmp);
  canvas.AntiAliasGamma(gamma);
  // The picture's inner rectangle, so that samples near the edge still read white pixels.
  canvas.TransformImageQuad(picture, 10, 10, 90, 90, {10, 10, 20.5, 10, 20.5, 30, 10, 30});
  return bmp.PixelAt(20, 20);
}

TEST(Agg2D, CoverageGammaOnAHalfCoveredPixel) {
  struct Case {
    double gamma;
    uint32_t expected;  // of 255: one half, one eighth
  };
  for (const Case& c : {Case{1.0, 128}, Case{3.0, 32}}) {
    const TColor32 p = HalfCoveredPixel(c.gamma);
    EXPECT_NEAR(AlphaOf(p), c.expected, 1) << "gamma " << c.gamma;
    EXPECT_EQ(RedOf(p), AlphaOf(p)) << "premultiplied white: colour equals alpha";
  }
}

TEST(Agg2D, TransformImageQuadMapsCornersInOrder) {
  // Quadrants: top-left red, top-right green, bottom-right blue, bottom-left white.
  TBitmap32 picture(40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      picture.PixelAt(x, y) =
          y < 20 ? (x < 20 ? 0xFFFF0000u : 0xFF00FF00u) : (x < 20 ? 0xFFFFFFFFu : 0xFF0000FFu);
  struct Case {
    const char* name;
    std::array<double, 8> quad;
    TColor32 atTopLeft, atBottomRight;
  };
  const Case cases[] = {
      {"as given", {10, 10, 90, 10, 90, 90, 10, 90}, 0xFFFF0000u, 0xFF0000FFu},
      {"mirrored", {90, 10, 10, 10, 10, 90, 90, 90}, 0xFF00FF00u, 0xFFFFFFFFu},
      {"flipped", {10, 90, 90, 90, 90, 10, 10, 10}, 0xFFFFFFFFu, 0xFF00FF00u},
      // An exact quarter turn: AGG's own validity test would refuse it.
      {"quarter turn", {90, 10, 90, 90, 10, 90, 10, 10}, 0xFFFFFFFFu, 0xFF00FF00u},
  };
  for (const Case& c : cases) {
    TBitmap32 bmp(100, 100);
    TAgg2D canvas;
    canvas.Attach(bmp);
    canvas.BlendMode(kAggBlendDstOut);  // the quad draws premultiplied whatever the mode
    ASSERT_TRUE(canvas.TransformImageQuad(picture, 0, 0, 40, 40, c.quad)) << c.name;
    EXPECT_EQ(bmp.PixelAt(25, 25), c.atTopLeft) << c.name;
    EXPECT_EQ(bmp.PixelAt(75, 75), c.atBottomRight) << c.name;
  }
}

// The picture continued past its edges over a larger area: inside the quad (away from its edges) the
// pixels of TransformImageQuad, outside it the nearest edge colour at full strength; an area that
// reaches the transform's horizon is refused.
TEST(Agg2D, TransformImageQuadContinuedRepeatsTheEdgesBeyondTheQuad) {
  // Left half red, right half blue, a green bottom row.
  TBitmap32 picture(40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      picture.PixelAt(x, y) = y == 39 ? 0xFF00FF00u : x < 20 ? 0xFFFF0000u : 0xFF0000FFu;
  const std::array<double, 8> quad{20, 20, 80, 20, 80, 80, 20, 80};
  TBitmap32 plain(100, 100), continued(100, 100);
  TAgg2D canvas;
  canvas.Attach(plain);
  ASSERT_TRUE(canvas.TransformImageQuad(picture, 0, 0, 40, 40, quad));
  canvas.Attach(continued);
  ASSERT_TRUE(
      canvas.TransformImageQuadContinued(picture, 0, 0, 40, 40, quad, {{10, 10, 90, 10, 90, 90, 10, 90}}));
  for (int y = 24; y < 76; ++y)
    for (int x = 24; x < 76; ++x) ASSERT_EQ(continued.PixelAt(x, y), plain.PixelAt(x, y)) << x << "," << y;
  struct Case {
    int x, y;
    TColor32 expected;
  };
  const Case cases[] = {
      {12, 40, 0xFFFF0000u},  // left of the quad: the red left column
      {87, 40, 0xFF0000FFu},  // right of it: the blue right column
      {40, 12, 0xFFFF0000u},  // above it, left half: the red top row
      {60, 87, 0xFF00FF00u},  // below it: the green bottom row
      {5, 40, 0u},            // outside the area: nothing drawn
  };
  for (const Case& c : cases) EXPECT_EQ(continued.PixelAt(c.x, c.y), c.expected) << c.x << "," << c.y;

  // A quad narrowing strongly to the right: its horizon lies 7 pixels beyond the right edge. An area
  // reaching past it is refused; one hugging the quad is drawn.
  const std::array<double, 8> steep{10, 10, 60, 45, 60, 55, 10, 90};
  TBitmap32 far(200, 100);
  canvas.Attach(far);
  EXPECT_FALSE(
      canvas.TransformImageQuadContinued(picture, 0, 0, 40, 40, steep, {{10, 10, 190, 10, 190, 90, 10, 90}}));
  for (size_t i = 0; i < far.PixelCount(); ++i) ASSERT_EQ(far.Bits()[i], 0u);
  EXPECT_TRUE(
      canvas.TransformImageQuadContinued(picture, 0, 0, 40, 40, steep, {{9, 9, 61, 44, 61, 56, 9, 91}}));
}

TEST(Agg2D, TransformImageQuadStoresUniformAlphaAsInstalledAggRoundsIt) {
  struct Case {
    TColor32 source;
    TColor32 stored;
  };
  // Colour channels are clamped to the alpha; a rounding product would give 170 for 169, the
  // installed AGG rounds its products exactly and keeps 169.
  const Case cases[] = {{0xA9FFFFFFu, 0xA9A9A9A9u}, {0xA9102030u, 0xA9102030u}, {0xFF336699u, 0xFF336699u}};
  for (const Case& c : cases) {
    TBitmap32 picture(50, 50);
    picture.Clear(c.source);
    TBitmap32 bmp(60, 60);
    TAgg2D canvas;
    canvas.Attach(bmp);
    canvas.TransformImageQuad(picture, 0, 0, 50, 50, {5, 5, 55, 5, 55, 55, 5, 55});
    EXPECT_EQ(bmp.PixelAt(30, 30), c.stored) << std::hex << c.source;
  }
}

// A window of the target at an origin gets the very pixels the whole target gets there, and nothing
// falls outside it: random pictures (colours above the alpha too) onto random convex quads from
// strong reduction to strong enlargement, partly off the target, sometimes over a part of the
// picture's rectangle; and a uniform picture drawn as its colour alone gives what the picture gives.
TEST(Agg2D, WindowAndColourDrawingMatchTheWholePicture) {
  std::mt19937 rng(12);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 120; ++round) {
    SCOPED_TRACE(round);
    TBitmap32 picture(pick(1, 400), pick(1, 400));
    for (size_t i = 0; i < picture.PixelCount(); ++i) picture.Bits()[i] = static_cast<TColor32>(rng());
    const bool uniform = pick(0, 3) == 0;
    const TColor32 colour = Color32(pick(0, 255), pick(0, 255), pick(0, 255), pick(0, 255));
    if (uniform) picture.Clear(colour);
    // A rectangle of size 2w x 2h around a centre, its corners moved a little: convex, either winding.
    const double cx = pick(-10, 90), cy = pick(-10, 90), w = pick(1, 60), h = pick(1, 60);
    std::array<double, 8> quad = {cx - w, cy - h, cx + w, cy - h, cx + w, cy + h, cx - w, cy + h};
    for (double& q : quad) q += pick(-100, 100) / 400.0 * std::min(w, h);
    if (pick(0, 1) == 1) {
      std::swap(quad[2], quad[6]);
      std::swap(quad[3], quad[7]);
    }
    const bool part = !uniform && pick(0, 3) == 0;
    const double x2 = part ? picture.Width() / 2.0 + 0.5 : picture.Width();
    const double y2 = part ? picture.Height() / 3.0 : picture.Height();

    TBitmap32 reference(80, 80);
    TAgg2D canvas;
    canvas.Attach(reference);
    const bool drawn = canvas.TransformImageQuad(picture, 0, 0, x2, y2, quad);
    // A window holding all the quad may cover (and some margin), within the target: the drawing is
    // cut only where the target itself ends.
    double minX = quad[0], maxX = quad[0], minY = quad[1], maxY = quad[1];
    for (int i = 1; i < 4; ++i) {
      minX = std::min(minX, quad[2 * i]);
      maxX = std::max(maxX, quad[2 * i]);
      minY = std::min(minY, quad[2 * i + 1]);
      maxY = std::max(maxY, quad[2 * i + 1]);
    }
    const int margin = pick(1, 6);
    const auto ox = std::clamp(static_cast<int32_t>(std::floor(minX)) - margin, 0, 79);
    const auto oy = std::clamp(static_cast<int32_t>(std::floor(minY)) - margin, 0, 79);
    const auto right = std::clamp(static_cast<int32_t>(std::ceil(maxX)) + margin, ox + 1, 80);
    const auto bottom = std::clamp(static_cast<int32_t>(std::ceil(maxY)) + margin, oy + 1, 80);
    TBitmap32 window(right - ox, bottom - oy);
    canvas.Attach(window, ox, oy);
    if (uniform)
      EXPECT_EQ(canvas.TransformColourQuad(colour, picture.Width(), picture.Height(), quad), drawn);
    else
      EXPECT_EQ(canvas.TransformImageQuad(picture, 0, 0, x2, y2, quad), drawn);
    size_t wrong = 0;
    for (int32_t y = 0; y < window.Height(); ++y)
      for (int32_t x = 0; x < window.Width(); ++x)
        wrong += window.PixelAt(x, y) != reference.PixelAt(ox + x, oy + y);
    EXPECT_EQ(wrong, 0u) << (uniform ? "colour" : "picture") << " " << picture.Width() << "x"
                         << picture.Height();
  }
}

// Random pictures onto random quads, from strong reduction to strong enlargement: the colour
// never exceeds the alpha, and (under the sanitizers) no read leaves the picture.
TEST(Agg2D, TransformImageQuadKeepsColourWithinAlphaAtAnyScale) {
  // Reductions up to several hundred times also exercise the resampler's accumulator, which
  // overflows under the sanitizers if the scale limit lets too many samples in.
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> side(1, 600);
  std::uniform_real_distribution<double> coord(-20, 80);
  std::uniform_int_distribution<uint32_t> pixel;
  for (int round = 0; round < 150; ++round) {
    TBitmap32 picture(side(rng), side(rng));
    for (size_t i = 0; i < picture.PixelCount(); ++i) picture.Bits()[i] = pixel(rng);
    TBitmap32 bmp(64, 64);
    TAgg2D canvas;
    canvas.Attach(bmp);
    std::array<double, 8> quad{};
    for (double& q : quad) q = coord(rng);
    canvas.TransformImageQuad(picture, 0, 0, picture.Width(), picture.Height(), quad);
    for (size_t i = 0; i < bmp.PixelCount(); ++i) {
      const TColor32 p = bmp.Bits()[i];
      ASSERT_LE(std::max({RedOf(p), GreenOf(p), BlueOf(p)}), AlphaOf(p)) << "round " << round;
    }
  }
}

TEST(Agg2D, TransformImageQuadDrawsNothingWhenTheTransformCannotBeBuilt) {
  TBitmap32 picture(10, 10);
  picture.Clear(0xFFFFFFFFu);
  struct Case {
    const char* name;
    std::array<double, 4> rect;
    std::array<double, 8> quad;
  };
  const Case cases[] = {
      {"corners on one line", {0, 0, 10, 10}, {0, 0, 10, 10, 20, 20, 30, 30}},
      {"all corners equal", {0, 0, 10, 10}, {5, 5, 5, 5, 5, 5, 5, 5}},
      {"flat parallelogram", {0, 0, 10, 10}, {0, 5, 30, 5, 30, 5, 0, 5}},
      {"empty rectangle", {0, 0, 0, 10}, {0, 0, 30, 0, 30, 30, 0, 30}},
      // No rectangle looks like these in perspective; AGG would map part of it through infinity.
      {"crossed (bow tie)", {0, 0, 10, 10}, {0, 0, 30, 30, 30, 0, 0, 30}},
      {"concave", {0, 0, 10, 10}, {0, 0, 30, 0, 10, 10, 0, 30}},
      {"three corners on a line", {0, 0, 10, 10}, {0, 0, 15, 0, 30, 0, 0, 30}},
  };
  for (const Case& c : cases) {
    TBitmap32 bmp(40, 40);
    TAgg2D canvas;
    canvas.Attach(bmp);
    EXPECT_FALSE(canvas.TransformImageQuad(picture, c.rect[0], c.rect[1], c.rect[2], c.rect[3], c.quad))
        << c.name;
    for (size_t i = 0; i < bmp.PixelCount(); ++i) ASSERT_EQ(bmp.Bits()[i], 0u) << c.name;
  }
}

}  // namespace
}  // namespace mirelane

namespace mirelane {
namespace {

// The picture is read in place: next to its right and bottom edges the resampling filter must see
// transparent pixels, never the start of the next row. The same picture inside a larger transparent
// one (its own pixels outside the mapped rectangle) must give the same face, bit for bit.
TEST(Agg2D, TransformImageQuadReadsNothingPastTheRowEnd) {
  std::mt19937 random(7);
  const int w = 257, h = 131;
  TBitmap32 picture(w, h), embedded(w + 40, h + 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      embedded.PixelAt(x, y) = picture.PixelAt(x, y) = 0xFF000000u | (random() >> 8);
  struct Case {
    const char* name;
    std::array<double, 8> quad;
  };
  const Case cases[] = {
      {"reduced 12 times", {3, 4, 24.4, 5, 23, 15.5, 2, 14}},
      {"reduced 3 times", {10, 8, 95, 12, 90, 52, 12, 50}},
      {"mirrored, reduced", {90, 50, 5, 48, 8, 6, 92, 3}},
      {"enlarged", {0, 0, 400, 30, 380, 200, 10, 190}},
  };
  for (const Case& c : cases) {
    TBitmap32 plain(400, 220), padded(400, 220);
    for (TBitmap32* face : {&plain, &padded}) {
      TAgg2D canvas;
      canvas.Attach(*face);
      canvas.ClearAll(0, 0, 0, 0);
      ASSERT_TRUE(canvas.TransformImageQuad(face == &plain ? picture : embedded, 0, 0, w, h, c.quad))
          << c.name;
    }
    size_t differing = 0;
    for (size_t i = 0; i < plain.PixelCount(); ++i) differing += plain.Bits()[i] != padded.Bits()[i];
    EXPECT_EQ(differing, 0u) << c.name;
  }
}

}  // namespace
}  // namespace mirelane
