// A layer's box against the whole canvas: on random quadrilaterals and blur radii, the face drawn
// and blurred in its box holds exactly the pixels the canvas-sized face would hold there, and the
// canvas-sized face is transparent everywhere else. Colours are drawn without a picture of them and
// must give what the canvas-sized picture of that colour gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "compose/face_mapping.h"
#include "compose/scene_builder.h"
#include "compose/shared_edges.h"
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

// Draws the shot on the whole canvas and in its box (grown into `growth` both times) and counts the
// box's pixels unlike the canvas's, and the canvas's non-zero pixels outside the box.
struct BoxCheck {
  size_t wrong = 0, outside = 0;
  TRect box;
};

BoxCheck CheckBox(const Shot& s, const TBitmap32& art, const TFaceGrowth& growth) {
  const TFaceQuad& q = s.quad;
  TBitmap32 canvas(s.width, s.height);
  if (s.colour) {
    TBitmap32 colour(s.width, s.height);
    colour.Clear(s.paint);
    colour.SetMasterAlpha(s.masterAlpha);
    MapFace(colour, colour.BoundsRect(), q, canvas, s.enlarge, growth);
  } else {
    MapFace(art, art.BoundsRect(), q, canvas, s.enlarge, growth);
  }
  BlurLayerSurface(canvas, s.blur);

  BoxCheck check;
  const TRect box = check.box = LayerBounds(q, s.enlarge, s.blur, s.width, s.height, growth);
  TBitmap32 face(box.Width(), box.Height());
  const TFacePoint origin{box.Left, box.Top};
  if (s.colour)
    MapColourFaceAt(s.paint, s.width, s.height, s.masterAlpha, q, s.enlarge, face, origin, growth);
  else
    MapFaceAt(art, q, s.enlarge, face, origin, growth);
  BlurLayerSurface(face, s.blur);
  EXPECT_EQ(face.MasterAlpha(), canvas.MasterAlpha());
  for (int32_t y = 0; y < s.height; ++y)
    for (int32_t x = 0; x < s.width; ++x) {
      const TColor32 expected = canvas.PixelAt(x, y);
      const bool held = x >= box.Left && x < box.Right && y >= box.Top && y < box.Bottom;
      if (!held)
        check.outside += expected != 0;
      else
        check.wrong += face.PixelAt(x - box.Left, y - box.Top) != expected;
    }
  return check;
}

TEST(LayerBounds, BoxHoldsEveryPixelTheCanvasWouldHave) {
  std::mt19937 rng(20261209);
  int unclipped = 0;
  for (int n = 0; n < 120; ++n) {
    const Shot s = RandomShot(rng);
    SCOPED_TRACE(Describe(s));
    TBitmap32 art;
    PaintArtwork(rng, art);
    const BoxCheck check = CheckBox(s, art, TFaceGrowth{});
    const TRect& box = check.box;
    unclipped += s.blur > 0 && box.Left > 0 && box.Top > 0 && box.Right < s.width && box.Bottom < s.height;
    EXPECT_EQ(check.outside, 0u) << "pixels drawn outside the box";
    EXPECT_EQ(check.wrong, 0u) << "pixels in the box unlike the canvas";
  }
  // The margins themselves were put to the test, not only boxes that the canvas cut.
  EXPECT_GT(unclipped, 10);
}

// A face meeting a second one along its edge from B to C: the second lies beyond that edge, moved out by
// a random offset (a parallelogram), and the first is drawn first, so it grows under the second. Both
// faces' boxes must hold their growth: what the earlier one reaches into the later one, and the strip
// along the edge where both show their picture (a colour, with no picture, its colour) continued.
TEST(LayerBounds, GrownFacesKeepTheirGrowthInTheirBoxes) {
  std::mt19937 rng(151209);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  int grownFaces = 0;
  for (int n = 0; n < 60; ++n) {
    Shot s = RandomShot(rng);
    s.blur = 0;  // faces are never blurred
    TBitmap32 art;
    PaintArtwork(rng, art);
    const TFaceQuad& q = s.quad;
    double cx = 0, cy = 0;
    for (const TFacePoint& p : q) {
      cx += p.X / 4.0;
      cy += p.Y / 4.0;
    }
    const double mx = (q[1].X + q[2].X) / 2.0 - cx, my = (q[1].Y + q[2].Y) / 2.0 - cy;
    const double length = std::max(std::hypot(mx, my), 1.0), reach = pick(3, 80);
    const int32_t dx = static_cast<int32_t>(std::lround(mx / length * reach)) + pick(-10, 10),
                  dy = static_cast<int32_t>(std::lround(my / length * reach)) + pick(-10, 10);
    const TFaceQuad later{q[1], TFacePoint{q[1].X + dx, q[1].Y + dy}, TFacePoint{q[2].X + dx, q[2].Y + dy},
                          q[2]};
    std::vector<LayerPlan> layers(2);
    for (size_t i = 0; i < 2; ++i) {
      layers[i].Kind = LayerType::Normal;
      const TFaceQuad& f = i == 0 ? q : later;
      layers[i].A = {f[0].X, f[0].Y};
      layers[i].B = {f[1].X, f[1].Y};
      layers[i].C = {f[2].X, f[2].Y};
      layers[i].D = {f[3].X, f[3].Y};
    }
    const std::vector<TFaceGrowth> growth = SharedEdgeGrowth(layers, [](const LayerPlan& layer) {
      return TFaceQuad{TFacePoint{static_cast<int32_t>(layer.A.X), static_cast<int32_t>(layer.A.Y)},
                       TFacePoint{static_cast<int32_t>(layer.B.X), static_cast<int32_t>(layer.B.Y)},
                       TFacePoint{static_cast<int32_t>(layer.C.X), static_cast<int32_t>(layer.C.Y)},
                       TFacePoint{static_cast<int32_t>(layer.D.X), static_cast<int32_t>(layer.D.Y)}};
    });
    for (size_t i = 0; i < 2; ++i) {
      Shot face = s;
      face.quad = i == 0 ? q : later;
      SCOPED_TRACE(Describe(face) + (i == 0 ? " (earlier)" : " (later)"));
      grownFaces += !growth[i].Empty();
      const BoxCheck check = CheckBox(face, art, growth[i]);
      EXPECT_EQ(check.outside, 0u) << "pixels drawn outside the box";
      EXPECT_EQ(check.wrong, 0u) << "pixels in the box unlike the canvas";
    }
  }
  // Most pairs meet on the canvas; a few quads too thin or off the canvas give no growth.
  EXPECT_GT(grownFaces, 80);
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
