// Faces grown into the faces they share an edge with: the strips along and beyond an edge, and the cut
// that continues the picture over them.
#include "compose/face_growth.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "compose/intensity_mask.h"
#include "raster/agg2d.h"

namespace mirelane {

TFixedContour EdgeStrip(const TFaceQuad& face, int corner, const TFaceQuad& quad, double from, double to) {
  const TFacePoint p = face[corner], q = face[(corner + 1) % 4];
  const double ex = static_cast<double>(q.X) - p.X, ey = static_cast<double>(q.Y) - p.Y;
  const double length = std::hypot(ex, ey);
  if (!(length > 0) || !(to > from)) return {};
  // The normal that points away from the face's centre.
  double nx = ey / length, ny = -ex / length;
  double cx = 0, cy = 0;
  for (const TFacePoint& c : face) {
    cx += c.X / 4.0;
    cy += c.Y / 4.0;
  }
  if (nx * (cx - p.X) + ny * (cy - p.Y) > 0) {
    nx = -nx;
    ny = -ny;
  }
  struct Point {
    double X, Y;
  };
  std::vector<Point> region;
  for (const TFacePoint& c : quad) region.push_back({static_cast<double>(c.X), static_cast<double>(c.Y)});
  // Keeps the part of the region whose distance beyond the edge lies in [lo, hi].
  auto clip = [&](double lo, double hi) {
    auto beyond = [&](const Point& a) { return nx * (a.X - p.X) + ny * (a.Y - p.Y); };
    for (const double limit : {lo, hi}) {
      const double side = limit == lo ? 1.0 : -1.0;  // inside where side * (distance - limit) >= 0
      std::vector<Point> kept;
      for (size_t i = 0; i < region.size(); ++i) {
        const Point& a = region[i];
        const Point& b = region[(i + 1) % region.size()];
        const double da = side * (beyond(a) - limit), db = side * (beyond(b) - limit);
        if (da >= 0) kept.push_back(a);
        if ((da >= 0) != (db >= 0)) {
          const double t = da / (da - db);
          kept.push_back({a.X + (b.X - a.X) * t, a.Y + (b.Y - a.Y) * t});
        }
      }
      region = std::move(kept);
    }
  };
  clip(from, to);
  // A sliver along a line is no region (a later face on this face's side of the edge gives one).
  if (region.size() < 3 || std::fabs(TwiceSignedArea(region)) / 2 < 1e-3) return {};
  TFixedContour contour;
  // 16.16 in 64 bits: corners may lie far outside the canvas.
  auto fixed = [](double v) { return static_cast<int64_t>(std::llround(v * 65536.0)); };
  for (const Point& a : region) contour.push_back({fixed(a.X), fixed(a.Y)});
  return contour;
}

namespace {

// The contours of both polygons all turning the same way, so that the non-zero rule fills their union:
// along a border of two of them the coverages of the two sides add up to a whole pixel.
TFixedPolygon SameTurn(const TFixedPolygon& first, const TFixedPolygon& second) {
  TFixedPolygon outline;
  for (const TFixedPolygon* polygon : {&first, &second})
    for (const TFixedContour& contour : *polygon) {
      if (TwiceSignedArea(contour) >= 0)
        outline.push_back(contour);
      else
        outline.emplace_back(contour.rbegin(), contour.rend());
    }
  return outline;
}

// Where the picture is continued for one growth region: the region's bounding rectangle along its
// longest side, 2.5 pixels larger all round, in pixels of the window at (originX, originY). Every
// pixel the region touches lies wholly inside it (a pixel spans at most sqrt 2).
std::vector<double> ContinuationArea(const TFixedContour& region, int32_t originX, int32_t originY) {
  constexpr double kMargin = 2.5;
  std::vector<std::array<double, 2>> points;
  for (const TFixedPoint& p : region)
    points.push_back(
        {static_cast<double>(p.X) / 65536.0 - originX, static_cast<double>(p.Y) / 65536.0 - originY});
  double tx = 1, ty = 0, longest = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    const auto& a = points[i];
    const auto& b = points[(i + 1) % points.size()];
    const double dx = b[0] - a[0], dy = b[1] - a[1], length = std::hypot(dx, dy);
    if (length > longest) {
      longest = length;
      tx = dx / length;
      ty = dy / length;
    }
  }
  double t0 = INFINITY, t1 = -INFINITY, n0 = INFINITY, n1 = -INFINITY;
  for (const auto& a : points) {
    const double t = a[0] * tx + a[1] * ty, n = -a[0] * ty + a[1] * tx;
    t0 = std::min(t0, t - kMargin);
    t1 = std::max(t1, t + kMargin);
    n0 = std::min(n0, n - kMargin);
    n1 = std::max(n1, n + kMargin);
  }
  auto at = [&](double t, double n) { return std::array<double, 2>{t * tx - n * ty, t * ty + n * tx}; };
  std::vector<double> area;
  for (const auto& c : {at(t0, n0), at(t1, n0), at(t1, n1), at(t0, n1)}) {
    area.push_back(c[0]);
    area.push_back(c[1]);
  }
  return area;
}

// The picture continued over the growth regions, in a picture of the window's size. The mapping is
// worked out relative to the window, so it does not depend on how much of the canvas the face holds.
// False near a horizon, where the picture cannot be continued.
bool DrawContinued(const TContinuation& source, const std::array<double, 8>& corners,
                   const TFaceGrowth& growth, const TRect& window, TBitmap32& continued) {
  std::vector<std::vector<double>> area;
  for (const TFixedPolygon* regions : {&growth.Beyond, &growth.Along})
    for (const TFixedContour& region : *regions)
      area.push_back(ContinuationArea(region, window.Left, window.Top));
  std::array<double, 8> quad{};
  for (int i = 0; i < 4; ++i) {
    quad[2 * i] = corners[2 * i] - window.Left;
    quad[2 * i + 1] = corners[2 * i + 1] - window.Top;
  }
  const TRect& rect = source.PictureRect;
  TAgg2D canvas;
  canvas.Attach(continued);
  canvas.ClearAll(0, 0, 0, 0);
  return canvas.TransformImageQuadContinued(*source.Picture, rect.Left, rect.Top, rect.Right, rect.Bottom,
                                            quad, area);
}

// The cut of a grown face over the window: the pixels the regions touch take the source continued
// past the face's edges, and where Beyond raises the coverage above the face's own mask, that coverage;
// everywhere else the face's own cut.
}  // namespace

void GrowFace(const TContinuation& source, const std::array<double, 8>& corners,
              const TFixedPolygon& facePolygon, const TFaceGrowth& growth, const TBitmap32& mask,
              const TRect& window, TBitmap32& face, TFacePoint origin) {
  auto coverage = [&](const TFixedPolygon& outline) {
    TBitmap32 grey(window.Width(), window.Height());
    grey.SetCombineMode(cmBlend);
    grey.SetDrawMode(dmBlend);
    grey.Clear(kColor32Black);
    FillPolygonAA(grey, outline, kColor32White, pfNonZero, window.Left, window.Top);
    return grey;
  };
  const TBitmap32 grown = coverage(SameTurn(facePolygon, growth.Beyond));
  const TBitmap32 touched = coverage(SameTurn(growth.Beyond, growth.Along));

  TBitmap32 continued;
  // Near a horizon the picture cannot be continued; the face's own pixels are the best there is.
  bool isContinued = true;
  if (source.Picture != nullptr) {
    continued.SetSize(window.Width(), window.Height());
    isContinued = DrawContinued(source, corners, growth, window, continued);
  }

  const int32_t max = std::max(MaxIntensity(mask), MaxIntensity(grown));
  for (int32_t y = 0; y < mask.Height(); ++y) {
    const TColor32* m = mask.ScanLine(y);
    const TColor32* g = grown.ScanLine(y);
    const TColor32* r = touched.ScanLine(y);
    const TColor32* c = source.Picture != nullptr ? continued.ScanLine(y) : nullptr;
    TColor32* t = face.ScanLine(window.Top - origin.Y + y) + (window.Left - origin.X);
    for (int32_t x = 0; x < mask.Width(); ++x) {
      const int32_t own = static_cast<int32_t>(IntensityOf(m[x]));
      if (isContinued && IntensityOf(r[x]) > 0) t[x] = c != nullptr ? c[x] : source.Colour;
      CutPixel(t[x], std::max(own, static_cast<int32_t>(IntensityOf(g[x]))), max);
    }
  }
  face.Changed();
}

}  // namespace mirelane
