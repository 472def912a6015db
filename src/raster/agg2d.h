// TAgg2D: a small vector canvas over AGG that draws anti-aliased shapes and transformed pictures
// straight into the pixel buffer of a TBitmap32 (BGRA bytes, rows from the top).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "raster/bitmap32.h"

namespace mirelane {

// Blend mode values: AGG's historical compositing operator numbers, 28 being plain alpha blending.
enum TAggBlendMode : int {
  kAggBlendSrcIn = 5,
  kAggBlendSrcOut = 7,
  kAggBlendDstOut = 8,
  kAggBlendDarken = 17,
  kAggBlendAlpha = 28,
};

struct TAggRgba {
  uint8_t R = 0, G = 0, B = 0, A = 0;
  constexpr bool operator==(const TAggRgba&) const = default;
};

// Row-major 2x3 affine matrix in AGG's order: x' = sx*x + shx*y + tx, y' = shy*x + sy*y + ty.
struct TAggAffine {
  double Sx = 1, Shy = 0, Shx = 0, Sy = 1, Tx = 0, Ty = 0;
  constexpr bool operator==(const TAggAffine&) const = default;
};

// Everything Attach resets, readable so that callers and tests can see what the canvas holds.
struct TAggState {
  TAggAffine Transform;
  TAggRgba FillColor{255, 255, 255, 255};
  TAggRgba LineColor{0, 0, 0, 255};
  double LineWidth = 1.0;
  int BlendMode = kAggBlendAlpha;
  double AntiAliasGamma = 1.0;
  double MasterAlpha = 1.0;
  // Curve flattening and stroke approximation scale, kept in step with the transform's scale.
  double ApproximationScale = 2.0;
  constexpr bool operator==(const TAggState&) const = default;
};

class TAgg2D {
 public:
  TAgg2D();
  ~TAgg2D();
  TAgg2D(const TAgg2D&) = delete;
  TAgg2D& operator=(const TAgg2D&) = delete;

  // Binds to the picture's pixels (which must outlive the drawing) and resets the state. The picture
  // may be a window of a larger canvas: its pixel (x, y) is canvas pixel (originX + x, originY + y),
  // and every coordinate given to the canvas is a canvas coordinate. A window draws exactly the
  // pixels a whole canvas would draw there.
  void Attach(TBitmap32& picture, int32_t originX = 0, int32_t originY = 0);
  const TAggState& State() const { return state_; }

  void ClearAll(uint8_t r, uint8_t g, uint8_t b, uint8_t a);

  void Scale(double sx, double sy);
  void Translate(double dx, double dy);
  // Buffer length of a world length s: the distance from (0, 0) to (s, s) after the transform, times
  // 0.7071068.
  double WorldToScreen(double s) const;

  void FillColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { state_.FillColor = {r, g, b, a}; }
  void NoFill() { state_.FillColor = {}; }
  void LineColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { state_.LineColor = {r, g, b, a}; }
  void NoLine() { state_.LineColor = {}; }
  void LineWidth(double w) { state_.LineWidth = w; }
  // Only the values of TAggBlendMode are known; any other value fails.
  void BlendMode(int mode);
  void AntiAliasGamma(double gamma);
  // The rasterizer's coverage after the gamma table, for coverage 0..255.
  unsigned CoverageAfterGamma(unsigned coverage) const;

  // Bezier-arc ellipse, filled then stroked (round caps and joins) in the current blend mode.
  void Ellipse(double cx, double cy, double rx, double ry);
  // A circle whose stroke lies just inside radius r.
  void InnerCircle(double cx, double cy, double r);

  // The whole picture stretched onto the world rectangle, bilinear, transparent outside the picture.
  void TransformImage(const TBitmap32& picture, double x1, double y1, double x2, double y2);

  // The picture's rectangle onto a quadrilateral given in buffer pixels (x, y pairs, q0..q3), with
  // filtered resampling, always through the premultiplied pixel format. Returns false (and draws
  // nothing) when the perspective transform cannot be built.
  bool TransformImageQuad(const TBitmap32& picture, double x1, double y1, double x2, double y2,
                          const std::array<double, 8>& quad);
  // The same mapping of the picture's rectangle onto the quadrilateral, but filling `area` (closed
  // convex contours of x, y pairs in canvas coordinates, non-zero) instead of the quadrilateral, and
  // reading the picture's nearest edge pixel wherever the mapping falls outside it: the picture
  // continued past its edges. Returns false (and draws nothing) when the transform cannot be built
  // or the area reaches towards the transform's horizon.
  bool TransformImageQuadContinued(const TBitmap32& picture, double x1, double y1, double x2, double y2,
                                   const std::array<double, 8>& quad,
                                   const std::vector<std::vector<double>>& area);
  // What TransformImageQuad draws for a width x height picture whose pixels all equal colour, without
  // the picture: a sample whose filter lies wholly inside it is the colour itself, and only samples
  // near its edges weigh the transparent outside.
  bool TransformColourQuad(TColor32 colour, int32_t width, int32_t height, const std::array<double, 8>& quad);

 private:
  struct Impl;
  void RenderPath(bool fill);

  template <class Draw>
  bool TransformQuad(double x1, double y1, double x2, double y2, const std::array<double, 8>& quad,
                     Draw&& draw);

  std::unique_ptr<Impl> impl_;
  TAggState state_;
  TBitmap32* target_ = nullptr;
  int32_t originX_ = 0, originY_ = 0;
};

}  // namespace mirelane
