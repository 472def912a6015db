// The oversampling polygon filler (sub-scanline crossings, span coverage, one blended run per row)
// and the outline grower with its mitre or bevel corners.
#include "compose/polygon_fill.h"

#include <algorithm>
#include <cmath>

#include "raster/blend.h"

namespace mirelane {
namespace {

constexpr int kSubShift = 5;  // 32 sub-samples each way
constexpr int kSub = 1 << kSubShift;
constexpr int kFullSpanCount = 31;

__extension__ typedef __int128 Int128;

// Floor division for a positive divisor.
int64_t FloorDiv(Int128 a, int64_t b) {
  Int128 q = a / b;
  if ((a % b) != 0 && a < 0) --q;
  return static_cast<int64_t>(q);
}

// An edge in 1/32-pixel units covering sub-scanlines top <= k < bottom; x stepped by an integer DDA.
struct Edge {
  int64_t top, bottom;
  int64_t xTop, yTop, dx, dy;  // dy > 0
  int dir;
  // DDA state at the current sub-scanline.
  int64_t x, rem, stepQ, stepR;

  void Start(int64_t k) {
    const Int128 num = static_cast<Int128>(k - yTop) * dx;
    x = xTop + FloorDiv(num, dy);
    rem = static_cast<int64_t>(num - static_cast<Int128>(x - xTop) * dy);
    stepQ = FloorDiv(dx, dy);
    stepR = dx - stepQ * dy;
  }
  void Step() {
    x += stepQ;
    rem += stepR;
    if (rem >= dy) {
      ++x;
      rem -= dy;
    }
  }
};

struct Crossing {
  int64_t x;
  int dir;
};

int64_t ToSub(int64_t fixed, int64_t origin) {
  return (fixed - origin * 65536 + 2047) >> 11;
}

}  // namespace

void FillPolygonAA(TBitmap32& surface, const TFixedPolygon& polygon, TColor32 color, TPolyFillMode mode,
                   int32_t originX, int32_t originY) {
  if (surface.Empty()) return;
  const int width = surface.Width();
  const int height = surface.Height();
  const int64_t subRows = static_cast<int64_t>(height) * kSub;
  const int64_t subCols = static_cast<int64_t>(width) * kSub;

  std::vector<Edge> edges;
  for (const TFixedContour& contour : polygon) {
    const size_t n = contour.size();
    for (size_t i = 0; i < n; ++i) {
      const TFixedPoint& p = contour[i];
      const TFixedPoint& q = contour[(i + 1) % n];
      int64_t x0 = ToSub(p.X, originX), y0 = ToSub(p.Y, originY);
      int64_t x1 = ToSub(q.X, originX), y1 = ToSub(q.Y, originY);
      if (y0 == y1) continue;
      int dir = 1;
      if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
        dir = -1;
      }
      const int64_t top = std::max<int64_t>(y0, 0);
      const int64_t bottom = std::min<int64_t>(y1, subRows);
      if (top >= bottom) continue;
      Edge e{top, bottom, x0, y0, x1 - x0, y1 - y0, dir, 0, 0, 0, 0};
      e.Start(top);
      edges.push_back(e);
    }
  }
  if (edges.empty()) return;
  int64_t firstSub = subRows, lastSub = 0;
  for (const Edge& e : edges) {
    firstSub = std::min(firstSub, e.top);
    lastSub = std::max(lastSub, e.bottom);
  }

  // Coverage of one pixel row as differences: spans add 31 to whole pixels through two entries.
  std::vector<int32_t> count(static_cast<size_t>(width) + 1);
  std::vector<int32_t> delta(static_cast<size_t>(width) + 2);
  std::vector<TColor32> run(static_cast<size_t>(width));
  std::vector<Crossing> crossings;
  const TColor32 rgb = color & 0x00FFFFFFu;
  const uint32_t master = AlphaOf(color);

  const int firstRow = static_cast<int>(firstSub >> kSubShift);
  const int lastRow = static_cast<int>((lastSub - 1) >> kSubShift);
  for (int row = firstRow; row <= lastRow; ++row) {
    std::fill(count.begin(), count.end(), 0);
    std::fill(delta.begin(), delta.end(), 0);
    int minPixel = width, maxPixel = -1;
    for (int64_t k = static_cast<int64_t>(row) * kSub; k < static_cast<int64_t>(row + 1) * kSub; ++k) {
      crossings.clear();
      for (Edge& e : edges) {
        if (k < e.top || k >= e.bottom) continue;
        crossings.push_back({e.x, e.dir});
        e.Step();
      }
      if (crossings.size() < 2) continue;
      std::sort(crossings.begin(), crossings.end(),
                [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
      auto addSpan = [&](int64_t a, int64_t b) {
        a = std::clamp<int64_t>(a, 0, subCols);
        b = std::clamp<int64_t>(b, 0, subCols);
        if (b <= a) return;
        const int p1 = static_cast<int>(a >> kSubShift);
        const int p2 = static_cast<int>(b >> kSubShift);
        minPixel = std::min(minPixel, p1);
        maxPixel = std::max(maxPixel, std::min(p2, width - 1));
        if (p1 == p2) {
          count[p1] += static_cast<int32_t>(b - a);
          return;
        }
        count[p1] += kFullSpanCount - static_cast<int32_t>(a & (kSub - 1));
        delta[p1 + 1] += kFullSpanCount;
        delta[p2] -= kFullSpanCount;
        count[p2] += static_cast<int32_t>(b & (kSub - 1));  // p2 may be the guard entry at width
      };
      if (mode == pfEvenOdd) {
        for (size_t i = 0; i + 1 < crossings.size(); i += 2) addSpan(crossings[i].x, crossings[i + 1].x);
      } else {
        int winding = 0;
        int64_t start = 0;
        for (const Crossing& c : crossings) {
          const int before = winding;
          winding += c.dir;
          if (before == 0 && winding != 0) start = c.x;
          if (before != 0 && winding == 0) addSpan(start, c.x);
        }
      }
    }
    if (maxPixel < minPixel) continue;
    int32_t running = 0;
    for (int p = 0; p < minPixel; ++p) running += delta[p];
    for (int p = minPixel; p <= maxPixel; ++p) {
      running += delta[p];
      const uint32_t n = static_cast<uint32_t>(count[p] + running);
      run[p] = rgb | (((65u * n) >> 8) << 24);
    }
    BlendRunMaster(run.data() + minPixel, surface.ScanLine(row) + minPixel, maxPixel - minPixel + 1, master);
  }
}

TFixedPolygon GrowOutline(const TFixedPolygon& polygon, int64_t distance, double sharpness) {
  sharpness = std::clamp(sharpness, 0.0, 0.99);
  const int64_t d = distance;
  const int64_t limit = static_cast<int64_t>(std::nearbyint((1.0 - sharpness) * static_cast<double>(d)));

  auto grow = [&](const TFixedContour& pts) {
    const size_t n = pts.size();
    // Unit normals (ey, -ex) of every edge k -> k + 1 in 16.16; zero-length edges get (0, 0).
    std::vector<TFixedPoint> normals(n);
    for (size_t k = 0; k < n; ++k) {
      const TFixedPoint& p = pts[k];
      const TFixedPoint& q = pts[(k + 1) % n];
      const double ex = static_cast<double>(q.X - p.X);
      const double ey = static_cast<double>(q.Y - p.Y);
      const double len = std::hypot(ex, ey);
      if (len > 0) normals[k] = TFixedPoint{ToFixed(ey / len), ToFixed(-ex / len)};
    }
    TFixedContour out;
    out.reserve(2 * n);
    for (size_t k = 0; k < n; ++k) {
      const TFixedPoint& p = pts[k];
      const TFixedPoint& np = normals[(k + n - 1) % n];
      const TFixedPoint& nn = normals[k];
      const TFixedPoint a{(np.X * d) >> 16, (np.Y * d) >> 16};
      const TFixedPoint b{(nn.X * d) >> 16, (nn.Y * d) >> 16};
      const TFixedPoint c{a.X + b.X, a.Y + b.Y};
      const int64_t r = d != 0 ? (a.X * c.X + a.Y * c.Y) / d : 0;
      if (r > limit && r != 0) {
        out.push_back({p.X + c.X * d / r, p.Y + c.Y * d / r});
      } else {
        out.push_back({p.X + a.X, p.Y + a.Y});
        out.push_back({p.X + b.X, p.Y + b.Y});
      }
    }
    return out;
  };

  TFixedPolygon result;
  for (const TFixedContour& contour : polygon) {
    if (contour.empty()) continue;
    result.push_back(grow(contour));
    result.push_back(grow(TFixedContour(contour.rbegin(), contour.rend())));
  }
  return result;
}

}  // namespace mirelane
