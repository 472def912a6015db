// The two stages of MapFace (perspective drawing through AGG, then the mask cut) and the alpha
// cut operations built on a grey intensity mask.
#include "compose/face_mapping.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "raster/agg2d.h"

namespace mirelane {
namespace {

// The edge band: 0.05 pixel either side of the outline, corners mitred.
constexpr double kEdgeBandHalfWidth = 0.05;
constexpr double kEdgeBandSharpness = 10.5;
constexpr double kFaceGamma = 3.0;
// A pixel wholly inside the face: white at coverage alpha 251 blended onto opaque black.
constexpr TColor32 kWholePixelMask = 0xFBFAFAFAu;
constexpr uint32_t kWholePixelGrey = IntensityOf(kWholePixelMask);

// One pixel of the cut: at the brightest value untouched, opaque takes the intensity itself,
// translucent is scaled by intensity / max.
inline void CutPixel(TColor32& pixel, int32_t intensity, int32_t max) {
  if (intensity == max) return;
  const uint32_t alpha = AlphaOf(pixel);
  if (alpha == 255) {
    pixel = WithAlpha(pixel, intensity);
  } else if (alpha != 0) {
    pixel = WithAlpha(pixel, static_cast<int>(std::nearbyint(static_cast<double>(intensity * alpha) / max)));
  }
}

int32_t MaxIntensityOf(const TColor32* bits, size_t n) {
  if (n == 0) return 0;
  int32_t best = static_cast<int32_t>(IntensityOf(bits[0]));
  for (size_t i = 1; i < n; ++i) best = std::max(best, static_cast<int32_t>(IntensityOf(bits[i])));
  return best;
}

void FillFaceMask(TBitmap32& mask, const TFixedPolygon& face, const TFixedPolygon& band, int32_t originX,
                  int32_t originY) {
  mask.SetCombineMode(cmBlend);
  mask.SetDrawMode(dmBlend);
  mask.SetOuterColor(0);
  mask.Clear(kColor32Black);
  FillPolygonAA(mask, face, kColor32White, pfEvenOdd, originX, originY);
  FillPolygonAA(mask, band, kColor32White, pfNonZero, originX, originY);
  // Where the band crosses a whole pixel twice (at a corner) it would lift it above a whole pixel's
  // grey; that pixel would become the brightest value and every whole pixel of the face would lose
  // a little alpha. No pixel may count as more than wholly covered.
  for (size_t i = 0; i < mask.PixelCount(); ++i)
    if (IntensityOf(mask.Bits()[i]) > kWholePixelGrey) mask.Bits()[i] = kWholePixelMask;
  mask.Changed();
}

// Canvas pixels the drawing stage can touch: the drawn corners' bounds with a pixel to spare.
TRect DrawBounds(const std::array<float, 8>& c) {
  float minX = c[0], maxX = c[0], minY = c[1], maxY = c[1];
  for (int i = 1; i < 4; ++i) {
    minX = std::min(minX, c[2 * i]);
    maxX = std::max(maxX, c[2 * i]);
    minY = std::min(minY, c[2 * i + 1]);
    maxY = std::max(maxY, c[2 * i + 1]);
  }
  auto lo = [](float v) { return static_cast<int32_t>(std::clamp<double>(std::floor(v) - 1, -1e9, 1e9)); };
  auto hi = [](float v) { return static_cast<int32_t>(std::clamp<double>(std::ceil(v) + 2, -1e9, 1e9)); };
  return TRect{lo(minX), lo(minY), hi(maxX), hi(maxY)};
}

// Canvas pixels the mask polygons can reach (1/32-pixel rounding and all), with a pixel to spare.
TRect MaskBounds(const TFixedPolygon& face, const TFixedPolygon& band) {
  int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
  for (const TFixedPolygon* polygon : {&face, &band})
    for (const TFixedContour& contour : *polygon)
      for (const TFixedPoint& p : contour) {
        minX = std::min(minX, p.X);
        maxX = std::max(maxX, p.X);
        minY = std::min(minY, p.Y);
        maxY = std::max(maxY, p.Y);
      }
  if (minX > maxX) return TRect{};
  auto lo = [](int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>((v >> 16) - 1, -1000000000, 1000000000));
  };
  auto hi = [](int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>((v >> 16) + 2, -1000000000, 1000000000));
  };
  return TRect{lo(minX), lo(minY), hi(maxX), hi(maxY)};
}

TRect UnionRect(const TRect& a, const TRect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
               std::max(a.Bottom, b.Bottom)};
}

double SignedArea(const TFixedContour& contour) {
  double area = 0;
  for (size_t i = 0; i < contour.size(); ++i) {
    const TFixedPoint& a = contour[i];
    const TFixedPoint& b = contour[(i + 1) % contour.size()];
    area += static_cast<double>(a.X) * static_cast<double>(b.Y) -
            static_cast<double>(b.X) * static_cast<double>(a.Y);
  }
  return area;
}

// The contours of both polygons all turning the same way, so that the non-zero rule fills their union:
// along a border of two of them the coverages of the two sides add up to a whole pixel.
TFixedPolygon SameTurn(const TFixedPolygon& first, const TFixedPolygon& second) {
  TFixedPolygon outline;
  for (const TFixedPolygon* polygon : {&first, &second})
    for (const TFixedContour& contour : *polygon) {
      if (SignedArea(contour) >= 0)
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

// What a grown face shows where its growth regions touch: its source continued past the face's edges.
// A colour face's source is the colour everywhere, so no picture is drawn for it.
struct Continuation {
  const TBitmap32* Picture = nullptr;  // null for a colour
  TRect PictureRect;
  TColor32 Colour = 0;
};

std::array<double, 8> AsDoubles(const std::array<float, 8>& corners) {
  std::array<double, 8> quad{};
  std::copy(corners.begin(), corners.end(), quad.begin());
  return quad;
}

// The window the cut works over: where the drawn picture, the mask or a growth region can make a
// pixel non-zero. Black outside it adds nothing to the masks' brightest values.
TRect CutReach(const std::array<float, 8>& corners, const TFixedPolygon& facePolygon,
               const TFixedPolygon& band, const TFaceGrowth& growth) {
  const TRect reach = UnionRect(DrawBounds(corners), MaskBounds(facePolygon, band));
  return growth.Empty() ? reach : UnionRect(reach, MaskBounds(growth.Beyond, growth.Along));
}

// The picture continued over the growth regions, in a picture of the window's size. The mapping is
// worked out relative to the window, so it does not depend on how much of the canvas the face holds.
// False near a horizon, where the picture cannot be continued.
bool DrawContinued(const Continuation& source, const std::array<float, 8>& corners, const TFaceGrowth& growth,
                   const TRect& window, TBitmap32& continued) {
  std::vector<std::vector<double>> area;
  for (const TFixedPolygon* regions : {&growth.Beyond, &growth.Along})
    for (const TFixedContour& region : *regions)
      area.push_back(ContinuationArea(region, window.Left, window.Top));
  std::array<double, 8> quad{};
  for (int i = 0; i < 4; ++i) {
    quad[2 * i] = static_cast<double>(corners[2 * i]) - window.Left;
    quad[2 * i + 1] = static_cast<double>(corners[2 * i + 1]) - window.Top;
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
void GrowFace(const Continuation& source, const std::array<float, 8>& corners,
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

// The mask cut over the window where the drawn picture, the mask or the growth can be non-zero. Black
// outside that window adds nothing to the masks' brightest values, so the cut of a face that holds the
// window is the cut of the whole canvas.
void CutToMask(const TFaceQuad& quad, const std::array<float, 8>& corners, const TFaceGrowth& growth,
               const Continuation& source, TBitmap32& face, TFacePoint origin) {
  const TFixedPolygon facePolygon = FacePolygon(quad);
  const TFixedPolygon band = FaceEdgeBand(quad);
  const TRect held{origin.X, origin.Y, origin.X + face.Width(), origin.Y + face.Height()};
  const TRect window = IntersectRect(CutReach(corners, facePolygon, band, growth), held);
  if (window.IsEmpty()) {
    face.Changed();
    return;
  }
  TBitmap32 mask(window.Width(), window.Height());
  FillFaceMask(mask, facePolygon, band, window.Left, window.Top);
  if (!growth.Empty()) {
    GrowFace(source, corners, facePolygon, growth, mask, window, face, origin);
    return;
  }
  const int32_t max = MaxIntensity(mask);
  for (int32_t y = 0; y < mask.Height(); ++y) {
    const TColor32* m = mask.ScanLine(y);
    TColor32* t = face.ScanLine(window.Top - origin.Y + y) + (window.Left - origin.X);
    for (int32_t x = 0; x < mask.Width(); ++x) CutPixel(t[x], static_cast<int32_t>(IntensityOf(m[x])), max);
  }
  face.Changed();
}

}  // namespace

std::array<float, 8> FaceDrawCorners(const TFaceQuad& quad, bool enlarge) {
  std::array<float, 8> c{};
  for (int i = 0; i < 4; ++i) {
    c[2 * i] = static_cast<float>(quad[i].X);
    c[2 * i + 1] = static_cast<float>(quad[i].Y);
  }
  if (!enlarge) return c;
  // Every step stays in single precision: the drawn corners are the float results.
  const float cx = (c[0] + c[2] + c[4] + c[6]) / 4.0f;
  const float cy = (c[1] + c[3] + c[5] + c[7]) / 4.0f;
  for (int i = 0; i < 4; ++i) {
    const float dx = (c[2 * i] - cx) * kFaceEnlargement;
    const float dy = (c[2 * i + 1] - cy) * kFaceEnlargement;
    c[2 * i] = cx + dx;
    c[2 * i + 1] = cy + dy;
  }
  return c;
}

void DrawFacePicture(const TBitmap32& source, const TRect& sourceRect, const std::array<float, 8>& corners,
                     TBitmap32& face, int32_t originX, int32_t originY) {
  TAgg2D canvas;
  canvas.Attach(face, originX, originY);
  canvas.ClearAll(0, 0, 0, 0);
  canvas.AntiAliasGamma(kFaceGamma);
  canvas.TransformImageQuad(source, sourceRect.Left, sourceRect.Top, sourceRect.Right, sourceRect.Bottom,
                            AsDoubles(corners));
}

TFixedPolygon FacePolygon(const TFaceQuad& quad) {
  TFixedContour contour;
  for (const TFacePoint& p : quad) contour.push_back(FixedPoint(p.X, p.Y));
  return TFixedPolygon{contour};
}

TFixedPolygon FaceEdgeBand(const TFaceQuad& quad) {
  return GrowOutline(FacePolygon(quad), ToFixed(kEdgeBandHalfWidth), kEdgeBandSharpness);
}

void BuildFaceMask(TBitmap32& mask, const TFaceQuad& quad, int32_t originX, int32_t originY) {
  FillFaceMask(mask, FacePolygon(quad), FaceEdgeBand(quad), originX, originY);
}

int32_t MaxIntensity(const TBitmap32& surface) {
  return MaxIntensityOf(surface.Bits(), surface.PixelCount());
}

int32_t MaskedAlpha(TColor32 pixel, TColor32 maskPixel, int32_t max) {
  // A mask with nothing bright in it scales nothing.
  if (max <= 0) return static_cast<int32_t>(AlphaOf(pixel));
  const int32_t product = static_cast<int32_t>(IntensityOf(maskPixel) * AlphaOf(pixel));
  return static_cast<int32_t>(std::nearbyint(static_cast<double>(product) / max));
}

void ApplyIntensityMask(TBitmap32& target, const TBitmap32& mask) {
  const int32_t max = MaxIntensity(mask);
  const size_t n = std::min(mask.PixelCount(), target.PixelCount());
  TColor32* t = target.Bits();
  const TColor32* m = mask.Bits();
  for (size_t i = 0; i < n; ++i) CutPixel(t[i], static_cast<int32_t>(IntensityOf(m[i])), max);
  target.Changed();
}

void ModulateAlphaByMask(const TBitmap32& mask, TBitmap32& target) {
  if (mask.Width() != target.Width() || mask.Height() != target.Height()) return;
  ApplyIntensityMask(target, mask);
}

void MapFace(const TBitmap32& source, const TRect& sourceRect, TFacePoint A, TFacePoint B, TFacePoint C,
             TFacePoint D, TBitmap32& face, bool enlarge) {
  MapFace(source, sourceRect, TFaceQuad{A, B, C, D}, face, enlarge, TFaceGrowth{});
}

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
  double area = 0;
  for (size_t i = 0; i < region.size(); ++i) {
    const Point& a = region[i];
    const Point& b = region[(i + 1) % region.size()];
    area += a.X * b.Y - b.X * a.Y;
  }
  // A sliver along a line is no region (a later face on this face's side of the edge gives one).
  if (region.size() < 3 || std::fabs(area) / 2 < 1e-3) return {};
  TFixedContour contour;
  // 16.16 in 64 bits: corners may lie far outside the canvas.
  auto fixed = [](double v) { return static_cast<int64_t>(std::llround(v * 65536.0)); };
  for (const Point& a : region) contour.push_back({fixed(a.X), fixed(a.Y)});
  return contour;
}

void MapFace(const TBitmap32& source, const TRect& sourceRect, const TFaceQuad& quad, TBitmap32& face,
             bool enlarge, const TFaceGrowth& growth) {
  const std::array<float, 8> corners = FaceDrawCorners(quad, enlarge);
  DrawFacePicture(source, sourceRect, corners, face);
  face.SetMasterAlpha(source.MasterAlpha());
  CutToMask(quad, corners, growth, Continuation{&source, sourceRect}, face, TFacePoint{0, 0});
}

TRect FaceWindow(const TFaceQuad& quad, bool enlarge, int32_t canvasWidth, int32_t canvasHeight,
                 const TFaceGrowth& growth) {
  const TRect reach = CutReach(FaceDrawCorners(quad, enlarge), FacePolygon(quad), FaceEdgeBand(quad), growth);
  return IntersectRect(reach, TRect{0, 0, canvasWidth, canvasHeight});
}

void MapFaceAt(const TBitmap32& source, const TFaceQuad& quad, bool enlarge, TBitmap32& face,
               TFacePoint origin, const TFaceGrowth& growth) {
  const std::array<float, 8> corners = FaceDrawCorners(quad, enlarge);
  DrawFacePicture(source, source.BoundsRect(), corners, face, origin.X, origin.Y);
  face.SetMasterAlpha(source.MasterAlpha());
  CutToMask(quad, corners, growth, Continuation{&source, source.BoundsRect()}, face, origin);
}

void MapColourFaceAt(TColor32 colour, int32_t width, int32_t height, uint32_t masterAlpha,
                     const TFaceQuad& quad, bool enlarge, TBitmap32& face, TFacePoint origin,
                     const TFaceGrowth& growth) {
  const std::array<float, 8> corners = FaceDrawCorners(quad, enlarge);
  TAgg2D canvas;
  canvas.Attach(face, origin.X, origin.Y);
  canvas.ClearAll(0, 0, 0, 0);
  canvas.AntiAliasGamma(kFaceGamma);
  canvas.TransformColourQuad(colour, width, height, AsDoubles(corners));
  face.SetMasterAlpha(masterAlpha);
  CutToMask(quad, corners, growth, Continuation{nullptr, TRect{}, colour}, face, origin);
}

}  // namespace mirelane
