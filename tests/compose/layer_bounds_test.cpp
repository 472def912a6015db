// A layer's box against the whole canvas: on random quadrilaterals and blur radii, the face drawn
// and blurred in its box holds exactly the pixels the canvas-sized face would hold there, and the
// canvas-sized face is transparent everywhere else. Colours are drawn without a picture of them and
// must give what the canvas-sized picture of that colour gives.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "compose/face_mapping.h"
#include "compose/scene_builder.h"
#include "raster/blur.h"

namespace mirelane {
namespace {

struct Shot {
  int32_t width, height;
  TFaceQuad quad;
  bool enlarge;
  int32_t blur;
  bool colour;  // a canvas-sized colour rather than a small picture
  TColor32 paint;
  uint32_t masterAlpha;
};

// Convex quadrilaterals of every size from a few pixels to well past the canvas, anywhere on it
// or partly off it, in either winding.
Shot RandomShot(std::mt19937& rng) {
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  Shot s{};
  s.width = pick(0, 1) == 0 ? 160 : 400;
  s.height = pick(0, 1) == 0 ? 120 : 300;
  const bool small = pick(0, 2) != 0;
  const int cx = small ? pick(s.width / 3, 2 * s.width / 3) : pick(-40, s.width + 40);
  const int cy = small ? pick(s.height / 3, 2 * s.height / 3) : pick(-40, s.height + 40);
  const int hw = small ? pick(2, s.width / 8) : pick(2, s.width),
            hh = small ? pick(2, s.height / 8) : pick(2, s.height);
  auto jitter = [&](int v, int half) { return v + pick(-half / 4, half / 4); };
  s.quad = {TFacePoint{jitter(cx - hw, hw), jitter(cy - hh, hh)},
            TFacePoint{jitter(cx + hw, hw), jitter(cy - hh, hh)},
            TFacePoint{jitter(cx + hw, hw), jitter(cy + hh, hh)},
            TFacePoint{jitter(cx - hw, hw), jitter(cy + hh, hh)}};
  if (pick(0, 1) == 1) std::swap(s.quad[1], s.quad[3]);
  s.enlarge = pick(0, 3) != 0;
  // Small canvases keep room for the margins of small radii only; the large radii reach past any.
  const int32_t radii[] = {0, 0, 1, 2, 3, 4, 6, 9, 25, 100};
  s.blur = radii[pick(0, 9)];
  s.colour = pick(0, 1) == 1;
  const int alpha = pick(0, 2) == 0 ? pick(1, 255) : 255;
  // Premultiplied, as the drawing reads its source: no channel above the alpha.
  s.paint = Color32(pick(0, alpha), pick(0, alpha), pick(0, alpha), alpha);
  s.masterAlpha = static_cast<uint32_t>(pick(0, 255));
  return s;
}

// A picture with every channel varying and translucent parts.
void PaintArtwork(std::mt19937& rng, TBitmap32& art) {
  art.SetSize(37, 23);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int32_t y = 0; y < art.Height(); ++y)
    for (int32_t x = 0; x < art.Width(); ++x) {
      const int a = byte(rng);
      art.PixelAt(x, y) = Color32(byte(rng) * a / 255, byte(rng) * a / 255, byte(rng) * a / 255, a);
    }
  art.SetMasterAlpha(201);
}

std::string Describe(const Shot& s) {
  std::string d = std::to_string(s.width) + "x" + std::to_string(s.height) + " quad";
  for (const TFacePoint& p : s.quad) d += " (" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")";
  return d + (s.enlarge ? " enlarged" : "") + " blur " + std::to_string(s.blur) +
         (s.colour ? " colour" : " picture");
}

TEST(LayerBounds, BoxHoldsEveryPixelTheCanvasWouldHave) {
  std::mt19937 rng(20261209);
  int unclipped = 0;
  for (int n = 0; n < 120; ++n) {
    const Shot s = RandomShot(rng);
    SCOPED_TRACE(Describe(s));
    TBitmap32 art;
    PaintArtwork(rng, art);
    const TFaceQuad& q = s.quad;

    TBitmap32 canvas(s.width, s.height);
    if (s.colour) {
      TBitmap32 colour(s.width, s.height);
      colour.Clear(s.paint);
      colour.SetMasterAlpha(s.masterAlpha);
      MapFace(colour, colour.BoundsRect(), q[0], q[1], q[2], q[3], canvas, s.enlarge);
    } else {
      MapFace(art, art.BoundsRect(), q[0], q[1], q[2], q[3], canvas, s.enlarge);
    }
    BlurLayerSurface(canvas, s.blur);

    const TRect box = LayerBounds(q, s.enlarge, s.blur, s.width, s.height);
    TBitmap32 face(box.Width(), box.Height());
    const TFacePoint origin{box.Left, box.Top};
    if (s.colour)
      MapColourFaceAt(s.paint, s.width, s.height, s.masterAlpha, q, s.enlarge, face, origin);
    else
      MapFaceAt(art, q, s.enlarge, face, origin);
    BlurLayerSurface(face, s.blur);
    EXPECT_EQ(face.MasterAlpha(), canvas.MasterAlpha());

    unclipped += s.blur > 0 && box.Left > 0 && box.Top > 0 && box.Right < s.width && box.Bottom < s.height;
    size_t wrong = 0, outside = 0;
    for (int32_t y = 0; y < s.height; ++y)
      for (int32_t x = 0; x < s.width; ++x) {
        const TColor32 expected = canvas.PixelAt(x, y);
        const bool held = x >= box.Left && x < box.Right && y >= box.Top && y < box.Bottom;
        if (!held)
          outside += expected != 0;
        else
          wrong += face.PixelAt(x - box.Left, y - box.Top) != expected;
      }
    EXPECT_EQ(outside, 0u) << "pixels drawn outside the box";
    EXPECT_EQ(wrong, 0u) << "pixels in the box unlike the canvas";
  }
  // The margins themselves were put to the test, not only boxes that the canvas cut.
  EXPECT_GT(unclipped, 10);
}

// The blur's reach: a lone opaque white pixel in the middle of a long row, blurred, leaves zeros
// from exactly the reach on, while the pixel just inside is still reached.
TEST(LayerBounds, BlurReachIsWhereTheFilterStateEnds) {
  for (const int32_t radius : {1, 2, 5, 25, 100}) {
    SCOPED_TRACE(radius);
    const int32_t reach = BlurReach(radius);
    ASSERT_GT(reach, 0);
    TBitmap32 row(4 * reach + 3, 1);
    const int32_t middle = 2 * reach + 1;
    row.PixelAt(middle, 0) = 0xFFFFFFFFu;
    BlurRow(row, 0, BlurWeight(radius));
    for (int32_t x = 0; x < row.Width(); ++x) {
      if (x <= middle - reach || x >= middle + reach) {
        EXPECT_EQ(row.PixelAt(x, 0), 0u) << x;
      }
    }
  }
  EXPECT_EQ(BlurReach(0), 0);
}

}  // namespace
}  // namespace mirelane
