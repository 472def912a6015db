// The two stages of MapFace: perspective drawing through AGG, then the cut to the face's mask.
#include "compose/face_mapping.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "compose/intensity_mask.h"
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

// The mask cut over the window where the drawn picture, the mask or the growth can be non-zero. Black
// outside that window adds nothing to the masks' brightest values, so the cut of a face that holds the
// window is the cut of the whole canvas.
void CutToMask(const TFaceQuad& quad, const std::array<float, 8>& corners, const TFaceGrowth& growth,
               const TContinuation& source, TBitmap32& face, TFacePoint origin) {
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
    GrowFace(source, AsDoubles(corners), facePolygon, growth, mask, window, face, origin);
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

void MapFace(const TBitmap32& source, const TRect& sourceRect, TFacePoint A, TFacePoint B, TFacePoint C,
             TFacePoint D, TBitmap32& face, bool enlarge) {
  MapFace(source, sourceRect, TFaceQuad{A, B, C, D}, face, enlarge, TFaceGrowth{});
}

void MapFace(const TBitmap32& source, const TRect& sourceRect, const TFaceQuad& quad, TBitmap32& face,
             bool enlarge, const TFaceGrowth& growth) {
  const std::array<float, 8> corners = FaceDrawCorners(quad, enlarge);
  DrawFacePicture(source, sourceRect, corners, face);
  face.SetMasterAlpha(source.MasterAlpha());
  CutToMask(quad, corners, growth, TContinuation{&source, sourceRect}, face, TFacePoint{0, 0});
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
  CutToMask(quad, corners, growth, TContinuation{&source, source.BoundsRect()}, face, origin);
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
  CutToMask(quad, corners, growth, TContinuation{nullptr, TRect{}, colour}, face, origin);
}

}  // namespace mirelane
