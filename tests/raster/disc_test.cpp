// The disc faces: picture size, the transparent border and holes, the translucent centre with its
// rings, the picture on the ring, ellipses for unequal sides, and degenerate sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "raster/disc.h"

namespace mirelane {
namespace {

using DiscFn = std::unique_ptr<TBitmap32> (*)(const TBitmap32&, int, int);

std::unique_ptr<TBitmap32> Uniform(TColor32 c, int size = 64) {
  auto bmp = std::make_unique<TBitmap32>(size, size);
  bmp->Clear(c);
  return bmp;
}

// Calls f for every pixel whose centre lies at a normalised distance in [lo, hi] from the disc
// centre, in units of the semi-axes (so an ellipse is handled like a circle).
void ForRing(const TBitmap32& bmp, int W, int H, double lo, double hi,
             const std::function<void(int, int, TColor32)>& f) {
  const double cx = 4 + W / 2.0, cy = 4 + H / 2.0;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) {
      const double d = std::hypot((x + 0.5 - cx) / (W / 2.0), (y + 0.5 - cy) / (H / 2.0));
      if (d >= lo && d <= hi) f(x, y, bmp.PixelAt(x, y));
    }
}

TEST(Disc, PictureSizeAndTransparentBorder) {
  const auto source = Uniform(0xFF20C040u);
  for (DiscFn fn : {DiscFn{DrawDisc}, DiscFn{DrawLargeDiscAreaDisc}})
    for (auto [W, H] : {std::pair{300, 300}, std::pair{360, 200}, std::pair{17, 40}}) {
      const auto disc = fn(*source, W, H);
      ASSERT_EQ(disc->Width(), W + 8);
      ASSERT_EQ(disc->Height(), H + 8);
      // The rim's anti-aliasing may reach one pixel into the border, never further.
      for (int y = 0; y < disc->Height(); ++y)
        for (int x = 0; x < disc->Width(); ++x)
          if (x < 3 || y < 3 || x >= W + 5 || y >= H + 5) {
            ASSERT_EQ(disc->PixelAt(x, y), 0u) << x << "," << y;
          }
    }
}

TEST(Disc, ZeroOrNegativeSizeGivesATransparentPicture) {
  const auto source = Uniform(0xFFFFFFFFu);
  struct Case {
    int W, H, width, height;
  };
  for (DiscFn fn : {DiscFn{DrawDisc}, DiscFn{DrawLargeDiscAreaDisc}})
    for (const Case& c : {Case{0, 0, 8, 8}, Case{0, 50, 8, 58}, Case{50, 0, 58, 8}, Case{-5, 10, 8, 18}}) {
      const auto disc = fn(*source, c.W, c.H);
      ASSERT_EQ(disc->Width(), c.width);
      ASSERT_EQ(disc->Height(), c.height);
      for (size_t i = 0; i < disc->PixelCount(); ++i) ASSERT_EQ(disc->Bits()[i], 0u);
    }
}

TEST(Disc, EmptySourceLeavesTheRingTransparent) {
  const TBitmap32 empty;
  const auto disc = DrawDisc(empty, 100, 100);
  ForRing(*disc, 100, 100, 0.5, 0.9,
          [](int x, int y, TColor32 p) { ASSERT_EQ(AlphaOf(p), 0u) << x << "," << y; });
}

TEST(Disc, CentreHoleAndRings) {
  const auto source = Uniform(0xFF20C040u);
  for (auto [W, H] : {std::pair{300, 300}, std::pair{360, 200}}) {
    const auto disc = DrawDisc(*source, W, H);
    const double pixel = 2.0 / std::min(W, H);  // one pixel in normalised units, at worst
    // Spindle hole: radius 0.125.
    ForRing(*disc, W, H, 0, 0.125 - 1.5 * pixel,
            [](int x, int y, TColor32 p) { ASSERT_EQ(p, 0u) << "hole " << x << "," << y; });
    // Between the rings (radii 0.133-0.15, 0.224-0.24, 0.317-0.333, 0.35-0.4): black at alpha 70.
    for (auto [lo, hi] : {std::pair{0.15, 0.224}, std::pair{0.24, 0.317}})
      ForRing(*disc, W, H, lo + 1.5 * pixel, hi - 1.5 * pixel,
              [](int x, int y, TColor32 p) { ASSERT_EQ(p, 0x46000000u) << "centre " << x << "," << y; });
    // On a ring it is darker; the picture never shows inside 0.4.
    int darker = 0;
    ForRing(*disc, W, H, 0.226, 0.238, [&](int, int, TColor32 p) { darker += AlphaOf(p) > 70; });
    EXPECT_GT(darker, 0);
    ForRing(*disc, W, H, 0, 0.4 - 1.5 * pixel,
            [](int x, int y, TColor32 p) { ASSERT_EQ(p & 0x00FFFFFFu, 0u) << "colour " << x << "," << y; });
    // The ring shows the picture, opaque.
    ForRing(*disc, W, H, 0.45, 0.9,
            [](int x, int y, TColor32 p) { ASSERT_EQ(p, 0xFF20C040u) << "ring " << x << "," << y; });
  }
}

TEST(Disc, LargeAreaDiscHasASmallClearHole) {
  const auto source = Uniform(0xFF20C040u);
  const int W = 400, H = 400;
  const auto disc = DrawLargeDiscAreaDisc(*source, W, H);
  const double pixel = 2.0 / W;
  // Hole radius 0.15 less the 1-pixel edge line.
  ForRing(*disc, W, H, 0, 0.15 - 2.5 * pixel,
          [](int x, int y, TColor32 p) { ASSERT_EQ(p, 0u) << x << "," << y; });
  // The picture from just outside the hole's edge to just inside the rim.
  ForRing(*disc, W, H, 0.15 + 1.5 * pixel, 0.96,
          [](int x, int y, TColor32 p) { ASSERT_EQ(p, 0xFF20C040u) << x << "," << y; });
  // The edge line is darker than the picture.
  int dark = 0;
  ForRing(*disc, W, H, 0.15 - pixel, 0.15,
          [&](int, int, TColor32 p) { dark += AlphaOf(p) > 0 && GreenOf(p) < 0xC0; });
  EXPECT_GT(dark, 0);
}

TEST(Disc, RimIsDarkenedSlightly) {
  // As large as the disc: a small picture stretched up fades over several pixels where the
  // bilinear samples reach past its edge (transparent), which is where the rim touches the box.
  const auto source = Uniform(0xFF20C040u, 400);
  const auto disc = DrawDisc(*source, 400, 400);
  // The rim line covers radius 0.975-1.0 with black at alpha 50: darken scales by 205/255.
  int rim = 0;
  ForRing(*disc, 400, 400, 0.98, 0.99, [&](int x, int y, TColor32 p) {
    ++rim;
    EXPECT_EQ(p, 0xFF1A9A33u) << x << "," << y;
  });
  EXPECT_GT(rim, 0);
}

TEST(Disc, PictureAlphaCarriesOverToTheRing) {
  const auto source = Uniform(0x8020C040u);
  const auto disc = DrawDisc(*source, 200, 200);
  // Source-in stores the premultiplied colour with the picture's alpha.
  ForRing(*disc, 200, 200, 0.5, 0.9,
          [](int x, int y, TColor32 p) { ASSERT_EQ(p, 0x80106020u) << x << "," << y; });
}

TEST(Disc, PictureIsStretchedToTheDiscSquare) {
  // Left half red, right half blue, on a wide picture.
  TBitmap32 source(100, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 100; ++x) source.PixelAt(x, y) = x < 50 ? 0xFFFF0000u : 0xFF0000FFu;
  for (auto [W, H] : {std::pair{200, 200}, std::pair{300, 150}}) {
    const auto disc = DrawDisc(source, W, H);
    EXPECT_EQ(disc->PixelAt(4 + W / 4, 4 + H / 2), 0xFFFF0000u);
    EXPECT_EQ(disc->PixelAt(4 + 3 * W / 4, 4 + H / 2), 0xFF0000FFu);
    EXPECT_EQ(disc->PixelAt(4 + W / 2 - 10, 4 + H / 8), 0xFFFF0000u);
    EXPECT_EQ(disc->PixelAt(4 + W / 2 + 10, 4 + 7 * H / 8), 0xFF0000FFu);
  }
}

}  // namespace
}  // namespace mirelane
