// The canvas's perspective quad: a picture's rectangle, or a colour, mapped onto a quadrilateral with
// filtered resampling, and the picture continued past its edges over given areas.
#include <agg_span_interpolator_persp.h>
#include <agg_span_subdiv_adaptor.h>
#include <agg_trans_perspective.h>

#include "raster/agg2d_detail.h"

namespace mirelane {

using namespace agg2d_detail;

namespace {

using QuadInterpolator = agg::span_interpolator_persp_lerp<8>;
using QuadSubdivider = agg::span_subdiv_adaptor<QuadInterpolator, 8>;

// The resampling generator's source when no picture is read.
struct NoPixels {};

// Iterations of the resampling generator's filter loop along one axis: from hr in steps of inv until
// the filter's end, and at least one.
inline int FilterSteps(int hr, int inv, int filterScale) {
  return hr >= filterScale ? 1 : (filterScale - hr + inv - 1) / inv;
}

// span_image_resample_rgba on a width x height picture of one colour, without the picture. The
// generator sums colour x weight over the pixels under its filter, 0 for those outside the picture,
// and divides by the whole weight: where the filter lies wholly inside that is the colour itself,
// and elsewhere the colour times the inside share of the weight, computed the same integer way.
class ColourResampleRgba : public agg::span_image_resample<NoPixels, QuadSubdivider> {
  using Base = agg::span_image_resample<NoPixels, QuadSubdivider>;

 public:
  using color_type = agg::rgba8;

  ColourResampleRgba(NoPixels& none, QuadSubdivider& interpolator, agg::image_filter_lut& filter,
                     TColor32 colour, int width, int height)
      : Base(none, interpolator, filter),
        colour_(static_cast<agg::int8u>(RedOf(colour)), static_cast<agg::int8u>(GreenOf(colour)),
                static_cast<agg::int8u>(BlueOf(colour)), static_cast<agg::int8u>(AlphaOf(colour))),
        width_(width),
        height_(height) {}

  void generate(agg::rgba8* span, int x, int y, unsigned len) {
    interpolator().begin(x + filter_dx_dbl(), y + filter_dy_dbl(), len);
    const int diameter = filter().diameter();
    const int filterScale = diameter << agg::image_subpixel_shift;
    do {
      int rx = 0, ry = 0;
      interpolator().coordinates(&x, &y);
      interpolator().local_scale(&rx, &ry);
      adjust_scale(&rx, &ry);
      const int rxInv = agg::image_subpixel_scale * agg::image_subpixel_scale / rx;
      const int ryInv = agg::image_subpixel_scale * agg::image_subpixel_scale / ry;
      x += filter_dx_int() - ((diameter * rx) >> 1);
      y += filter_dy_int() - ((diameter * ry) >> 1);
      const int yLr = y >> agg::image_subpixel_shift;
      const int yHr =
          ((agg::image_subpixel_mask - (y & agg::image_subpixel_mask)) * ryInv) >> agg::image_subpixel_shift;
      const int xLr = x >> agg::image_subpixel_shift;
      const int xHr =
          ((agg::image_subpixel_mask - (x & agg::image_subpixel_mask)) * rxInv) >> agg::image_subpixel_shift;
      const int columns = FilterSteps(xHr, rxInv, filterScale);
      const int rows = FilterSteps(yHr, ryInv, filterScale);
      const bool inside =
          xLr >= 0 && yLr >= 0 && int64_t{xLr} + columns <= width_ && int64_t{yLr} + rows <= height_;
      *span = inside ? colour_ : EdgeSample(xLr, xHr, rxInv, columns, yLr, yHr, ryInv, rows);
      ++span;
      ++interpolator();
    } while (--len);
  }

 private:
  agg::rgba8 EdgeSample(int xLr, int xHr, int rxInv, int columns, int yLr, int yHr, int ryInv,
                        int rows) const {
    const agg::int16* weights = filter().weight_array();
    agg::int32 total = 0, inside = 0;
    for (int r = 0; r < rows; ++r, yHr += ryInv) {
      const int weightY = weights[yHr];
      const bool rowInside = yLr + r >= 0 && yLr + r < height_;
      int hr = xHr;
      for (int c = 0; c < columns; ++c, hr += rxInv) {
        const int weight = (weightY * weights[hr] + agg::image_filter_scale / 2) >> agg::image_filter_shift;
        total += weight;
        if (rowInside && xLr + c >= 0 && xLr + c < width_) inside += weight;
      }
    }
    auto channel = [&](agg::int8u c) {
      const agg::int32 v = static_cast<agg::int32>(c) * inside / total;
      return static_cast<agg::int8u>(std::clamp<agg::int32>(v, 0, 255));
    };
    return agg::rgba8(channel(colour_.r), channel(colour_.g), channel(colour_.b), channel(colour_.a));
  }

  agg::rgba8 colour_;
  int width_, height_;
};

bool IsStrictlyConvex(const std::array<double, 8>& q) {
  int positive = 0, negative = 0;
  for (int i = 0; i < 4; ++i) {
    const int j = (i + 1) % 4, k = (i + 2) % 4;
    const double cross = (q[2 * j] - q[2 * i]) * (q[2 * k + 1] - q[2 * j + 1]) -
                         (q[2 * j + 1] - q[2 * i + 1]) * (q[2 * k] - q[2 * j]);
    positive += cross > 0;
    negative += cross < 0;
  }
  return positive == 4 || negative == 4;
}

// The quad-to-rectangle transform of a rectangle mapped onto the quad, when it can be drawn. A
// rectangle seen in perspective is a strictly convex quadrilateral; for any other shape AGG's solution
// sends part of the picture through infinity, and its integer interpolators overflow. AGG's own
// validity test rejects exact quarter turns (its scale terms vanish there), so the transform is
// judged by whether it could be solved and inverted instead.
std::optional<agg::trans_perspective> SolvedPerspectiveInverse(double x1, double y1, double x2, double y2,
                                                               const std::array<double, 8>& quad) {
  if (!IsStrictlyConvex(quad)) return std::nullopt;
  agg::trans_perspective direct;
  if (x2 == x1 || y2 == y1 || !direct.rect_to_quad(x1, y1, x2, y2, quad.data())) return std::nullopt;
  const double det = direct.determinant();
  if (!std::isfinite(det) || std::fabs(det) < 1e-12) return std::nullopt;
  agg::trans_perspective inverse = direct;
  if (!inverse.invert()) return std::nullopt;
  return inverse;
}

// Renders what the rasterizer holds with spans that draw(subdivider, filter, render) makes: it builds a
// resampler over its source and hands it to render, which runs it through the canvas's window. The
// interpolator walks destination pixels, so it is built in the quad-to-rectangle direction.
template <class CanvasState, class Draw>
void RenderResampled(CanvasState& d, double x1, double y1, double x2, double y2,
                     const std::array<double, 8>& quad, Draw&& draw) {
  QuadInterpolator interpolator(quad.data(), x1, y1, x2, y2);
  QuadSubdivider subdivider(interpolator, 4);
  agg::image_filter_lut filter;
  filter.calculate(agg::image_filter_hanning(), true);
  PixfmtPre pixfmt(d.buffer);
  agg::renderer_base<PixfmtPre> base(pixfmt);
  WindowRenderer<agg::renderer_base<PixfmtPre>> window(base, d.originX, d.originY);
  auto render = [&](auto& resampler) {
    resampler.blur(1.5);
    resampler.scale_limit(kResampleScaleLimit);
    ClampToAlpha clamp;
    agg::span_converter<std::remove_reference_t<decltype(resampler)>, ClampToAlpha> generator(resampler,
                                                                                              clamp);
    agg::render_scanlines_aa(d.rasterizer, d.scanline, window, d.spans, generator);
  };
  draw(subdivider, filter, render);
}

}  // namespace

template <class Draw>
bool TAgg2D::TransformQuad(double x1, double y1, double x2, double y2, const std::array<double, 8>& quad,
                           Draw&& draw) {
  if (target_ == nullptr || target_->Empty()) return false;
  Impl& d = *impl_;
  d.rasterizer.reset();
  d.rasterizer.filling_rule(agg::fill_non_zero);
  d.rasterizer.move_to_d(quad[0], quad[1]);
  d.rasterizer.line_to_d(quad[2], quad[3]);
  d.rasterizer.line_to_d(quad[4], quad[5]);
  d.rasterizer.line_to_d(quad[6], quad[7]);
  d.rasterizer.close_polygon();
  if (!SolvedPerspectiveInverse(x1, y1, x2, y2, quad)) return false;
  RenderResampled(d, x1, y1, x2, y2, quad, draw);
  return true;
}

bool TAgg2D::TransformImageQuad(const TBitmap32& picture, double x1, double y1, double x2, double y2,
                                const std::array<double, 8>& quad) {
  if (picture.Empty()) return false;
  return TransformQuad(
      x1, y1, x2, y2, quad, [&](QuadSubdivider& subdivider, agg::image_filter_lut& filter, auto&& render) {
        // The resampling generator checks that a run of source pixels lies inside the picture, then may
        // step a few pixels past that run (its inverse step is truncated); the accessor keeps those reads
        // inside the row. AGG's buffer wants writable memory, but nothing here writes to the picture.
        agg::rendering_buffer srcBuffer(BytesOf(picture), static_cast<unsigned>(picture.Width()),
                                        static_cast<unsigned>(picture.Height()), picture.Width() * 4);
        const PixfmtPre srcPixfmt(srcBuffer);
        using Accessor = ImageAccessorOverreach<PixfmtPre>;
        // White with alpha 0, premultiplied: all four bytes 0.
        Accessor accessor(srcPixfmt, agg::rgba8(0, 0, 0, 0));
        agg::span_image_resample_rgba<Accessor, QuadSubdivider> resampler(accessor, subdivider, filter);
        render(resampler);
      });
}

bool TAgg2D::TransformColourQuad(TColor32 colour, int32_t width, int32_t height,
                                 const std::array<double, 8>& quad) {
  if (width <= 0 || height <= 0) return false;
  return TransformQuad(0, 0, width, height, quad,
                       [&](QuadSubdivider& subdivider, agg::image_filter_lut& filter, auto&& render) {
                         NoPixels none;
                         ColourResampleRgba resampler(none, subdivider, filter, colour, width, height);
                         render(resampler);
                       });
}

namespace {

// Whether every point of the area maps (buffer to picture) to a finite point on the quad's side of the
// horizon, at most a few picture sizes from the rectangle: the area's convex hull then maps onto a
// bounded region too, and the interpolator's integer coordinates cannot overflow.
bool AreaMapsNearPicture(const agg::trans_perspective& toPicture, const std::array<double, 8>& quad,
                         const std::vector<std::vector<double>>& area, double x1, double y1, double x2,
                         double y2) {
  auto denominator = [&](double x, double y) { return x * toPicture.w0 + y * toPicture.w1 + toPicture.w2; };
  const double cx = (quad[0] + quad[2] + quad[4] + quad[6]) / 4,
               cy = (quad[1] + quad[3] + quad[5] + quad[7]) / 4;
  const double inside = denominator(cx, cy);
  const double reachX = 4 * std::fabs(x2 - x1), reachY = 4 * std::fabs(y2 - y1);
  for (const std::vector<double>& contour : area) {
    for (size_t i = 0; i + 1 < contour.size(); i += 2) {
      double x = contour[i], y = contour[i + 1];
      if (!(denominator(x, y) * inside > 0)) return false;
      toPicture.transform(&x, &y);
      if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x - (x1 + x2) / 2) > reachX ||
          std::fabs(y - (y1 + y2) / 2) > reachY)
        return false;
    }
  }
  return true;
}

}  // namespace

bool TAgg2D::TransformImageQuadContinued(const TBitmap32& picture, double x1, double y1, double x2, double y2,
                                         const std::array<double, 8>& quad,
                                         const std::vector<std::vector<double>>& area) {
  if (target_ == nullptr || target_->Empty() || picture.Empty()) return false;
  const std::optional<agg::trans_perspective> inverse = SolvedPerspectiveInverse(x1, y1, x2, y2, quad);
  if (!inverse || !AreaMapsNearPicture(*inverse, quad, area, x1, y1, x2, y2)) return false;

  Impl& d = *impl_;
  d.rasterizer.reset();
  d.rasterizer.filling_rule(agg::fill_non_zero);
  for (const std::vector<double>& contour : area) {
    if (contour.size() < 6) continue;
    d.rasterizer.move_to_d(contour[0], contour[1]);
    for (size_t i = 2; i + 1 < contour.size(); i += 2) d.rasterizer.line_to_d(contour[i], contour[i + 1]);
    d.rasterizer.close_polygon();
  }

  RenderResampled(
      d, x1, y1, x2, y2, quad, [&](QuadSubdivider& subdivider, agg::image_filter_lut& filter, auto&& render) {
        agg::rendering_buffer srcBuffer(BytesOf(picture), static_cast<unsigned>(picture.Width()),
                                        static_cast<unsigned>(picture.Height()), picture.Width() * 4);
        const PixfmtPre srcPixfmt(srcBuffer);
        using Accessor = ImageAccessorOverreach<PixfmtPre>;
        Accessor accessor(srcPixfmt, Accessor::ContinueEdges{});
        agg::span_image_resample_rgba<Accessor, QuadSubdivider> resampler(accessor, subdivider, filter);
        render(resampler);
      });
  return true;
}

}  // namespace mirelane
