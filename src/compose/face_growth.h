// Where a face meets the faces drawn over it along shared edges, and the cut that grows it into them.
#pragma once

#include <array>
#include <cstdint>

#include "compose/polygon_fill.h"
#include "raster/bitmap32.h"
#include "raster/rect.h"

namespace mirelane {

// A face corner in canvas pixels: (x, y) is the top-left corner of pixel (x, y).
struct TFacePoint {
  int32_t X = 0;
  int32_t Y = 0;
};

// The corners A, B, C, D that receive the picture's top-left, top-right, bottom-right, bottom-left.
using TFaceQuad = std::array<TFacePoint, 4>;

// How far a face reaches past an edge it shares with a face drawn over it: every pixel the edge
// crosses is then wholly covered by the two (no point of such a pixel lies more than sqrt 2 from
// the edge), so the later face's anti-aliased edge lies over this face's colour, not the background.
constexpr double kSharedEdgeGrowth = 1.5;

// The part of `quad` whose distance beyond the face's edge from corner `corner` to the next one
// (0 is A to B, 3 is D back to A) lies between `from` and `to` pixels (negative distances lie inside
// the face), in canvas points. Empty when nothing of the quad lies there.
TFixedContour EdgeStrip(const TFaceQuad& face, int corner, const TFaceQuad& quad, double from, double to);

// Where a face meets other faces along shared edges, as regions of the canvas.
struct TFaceGrowth {
  // Parts of faces drawn over this one, just beyond a shared edge: the face grows into them.
  TFixedPolygon Beyond;
  // Parts of the face itself along a shared edge, whose pixels must show the picture at full
  // strength however thin the face is: the other face's colour meets it there.
  TFixedPolygon Along;
  bool Empty() const { return Beyond.empty() && Along.empty(); }
};

// Pictures of the mask's size that a grown face's cut holds at once: the mask, the grown coverage, the
// pixels the regions touch and the continued picture (which a colour face does without).
constexpr int64_t kGrownFaceMaskPictures = 4;

// What a grown face shows where its growth regions touch: its source continued past the face's edges.
// A colour face's source is the colour everywhere, so no picture is drawn for it.
struct TContinuation {
  const TBitmap32* Picture = nullptr;  // null for a colour
  TRect PictureRect;
  TColor32 Colour = 0;
};

// The cut of a grown face over the window (canvas pixels; the face holds the canvas from origin): the
// pixels the regions touch take the source continued past the face's edges (drawn with the face's
// corners), and where Beyond raises the coverage above the face's own mask, that coverage; everywhere
// else the face's own cut.
void GrowFace(const TContinuation& source, const std::array<double, 8>& corners,
              const TFixedPolygon& facePolygon, const TFaceGrowth& growth, const TBitmap32& mask,
              const TRect& window, TBitmap32& face, TFacePoint origin);

}  // namespace mirelane
