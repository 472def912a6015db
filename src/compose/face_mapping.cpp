// The two stages of MapFace (perspective drawing through AGG, then the mask cut) and the alpha
// cut operations built on a grey intensity mask.
#include "compose/face_mapping.h"

#include <algorithm>
#include <cmath>

#include "raster/agg2d.h"

namespace mirelane {
namespace {

// The edge band: 0.05 pixel either side of the outline, corners mitred.
constexpr double kEdgeBandHalfWidth = 0.05;
constexpr double kEdgeBandSharpness = 10.5;
constexpr double kFaceGamma = 3.0;

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
                     TBitmap32& face) {
  TAgg2D canvas;
  canvas.Attach(face);
  canvas.ClearAll(0, 0, 0, 0);
  canvas.AntiAliasGamma(kFaceGamma);
  std::array<double, 8> quad{};
  std::copy(corners.begin(), corners.end(), quad.begin());
  canvas.TransformImageQuad(source, sourceRect.Left, sourceRect.Top, sourceRect.Right, sourceRect.Bottom,
                            quad);
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
  mask.SetCombineMode(cmBlend);
  mask.SetDrawMode(dmBlend);
  mask.SetOuterColor(0);
  mask.Clear(kColor32Black);
  FillPolygonAA(mask, FacePolygon(quad), kColor32White, pfEvenOdd, originX, originY);
  FillPolygonAA(mask, FaceEdgeBand(quad), kColor32White, pfNonZero, originX, originY);
  mask.Changed();
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
  const TFaceQuad quad{A, B, C, D};
  DrawFacePicture(source, sourceRect, FaceDrawCorners(quad, enlarge), face);
  face.SetMasterAlpha(source.MasterAlpha());
  TBitmap32 mask(face.Width(), face.Height());
  BuildFaceMask(mask, quad);
  ModulateAlphaByMask(mask, face);
}

}  // namespace mirelane
