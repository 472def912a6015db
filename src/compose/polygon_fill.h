// Anti-aliased polygon filling at 32-fold oversampling and outline growing, in 16.16 fixed point:
// the pieces the face mask is built from.
#pragma once

#include <cstdint>
#include <vector>

#include "raster/bitmap32.h"

namespace mirelane {

// 16.16 fixed point; 64 bits wide so that corners far outside the canvas cannot overflow.
struct TFixedPoint {
  int64_t X = 0;
  int64_t Y = 0;
  constexpr bool operator==(const TFixedPoint&) const = default;
};
using TFixedContour = std::vector<TFixedPoint>;
// A polygon of one or more closed contours.
using TFixedPolygon = std::vector<TFixedContour>;

enum TPolyFillMode { pfEvenOdd = 0, pfNonZero = 1 };

// Twice the signed area of a closed polygon of points with X and Y, in double precision.
template <class Points>
double TwiceSignedArea(const Points& points) {
  double area = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    const auto& a = points[i];
    const auto& b = points[(i + 1) % points.size()];
    area += static_cast<double>(a.X) * static_cast<double>(b.Y) -
            static_cast<double>(b.X) * static_cast<double>(a.Y);
  }
  return area;
}

constexpr TFixedPoint FixedPoint(int32_t x, int32_t y) {
  return TFixedPoint{static_cast<int64_t>(x) * 65536, static_cast<int64_t>(y) * 65536};
}

// Blends the colour onto the surface with coverage alpha (65 * n) >> 8 for a pixel that counts n
// of at most 992 sub-samples (31 per sub-scanline, 32 sub-scanlines), through BlendRunMaster with
// the colour's own alpha as master. The polygon is in surface coordinates shifted by the origin:
// surface pixel (x, y) stands for (originX + x, originY + y), which lets a caller fill a window of
// a larger picture with exactly the pixels the whole picture would get.
void FillPolygonAA(TBitmap32& surface, const TFixedPolygon& polygon, TColor32 color, TPolyFillMode mode,
                   int32_t originX = 0, int32_t originY = 0);

// The band of width 2 * distance around the polygon's outline, as contours for the non-zero rule:
// each contour forwards and backwards, both offset to their left. Corners are mitred unless the
// outline turns back further than the sharpness (limited to 0 .. 0.99) allows; then bevelled.
TFixedPolygon GrowOutline(const TFixedPolygon& polygon, int64_t distance, double sharpness);

}  // namespace mirelane
