// The vector canvas over AGG: state handling and the dispatch of every operation to AGG's
// rasterizer, pixel formats and span generators.
#include "raster/agg2d.h"

#include <agg_basics.h>
#include <agg_bezier_arc.h>
#include <agg_conv_curve.h>
#include <agg_conv_stroke.h>
#include <agg_conv_transform.h>
#include <agg_image_accessors.h>
#include <agg_image_filters.h>
#include <agg_path_storage.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>
#include <agg_span_converter.h>
#include <agg_span_image_filter_rgba.h>
#include <agg_span_interpolator_linear.h>
#include <agg_span_interpolator_persp.h>
#include <agg_span_subdiv_adaptor.h>
#include <agg_trans_affine.h>
#include <agg_trans_perspective.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "raster/error.h"

namespace mirelane {
namespace {

// Pixels the resampling generator may read past a checked run: its filter spans at most
// 2 x 14 x 1.5 = 42 source pixels, stepped with an inverse scale truncated (to no less than 12),
// which can make a few steps more; 16 leaves margin.
constexpr int kResampleOverreach = 16;

// AGG's clipping accessor, except that a run is read straight from the row only when the
// generator's overreach still lies inside it; nearer the right edge every pixel is checked and
// those outside give the background. The picture is thus read in place (no padded copy of a
// possibly huge picture per face), with the values a copy padded with the background would give.
template <class PixFmt>
class ImageAccessorOverreach {
 public:
  using pixfmt_type = PixFmt;
  using color_type = typename PixFmt::color_type;
  using order_type = typename PixFmt::order_type;
  using value_type = typename PixFmt::value_type;
  enum pix_width_e { pix_width = PixFmt::pix_width };

  ImageAccessorOverreach(const PixFmt& pixf, const color_type& background) : pixf_(&pixf) {
    PixFmt::make_pix(background_, background);
  }
  // Pixels outside the picture repeat its nearest edge pixel instead of giving a background.
  struct ContinueEdges {};
  ImageAccessorOverreach(const PixFmt& pixf, ContinueEdges) : pixf_(&pixf), continueEdges_(true) {}

  const agg::int8u* span(int x, int y, unsigned len) {
    x_ = x0_ = x;
    y_ = y;
    if (y >= 0 && y < Height() && x >= 0 && x + static_cast<int>(len) + kResampleOverreach <= Width())
      return run_ = pixf_->pix_ptr(x, y);
    run_ = nullptr;
    return Pixel();
  }
  const agg::int8u* next_x() {
    if (run_ != nullptr) return run_ += pix_width;
    ++x_;
    return Pixel();
  }
  const agg::int8u* next_y() {
    ++y_;
    x_ = x0_;
    if (run_ != nullptr && y_ >= 0 && y_ < Height()) return run_ = pixf_->pix_ptr(x_, y_);
    run_ = nullptr;
    return Pixel();
  }

 private:
  int Width() const { return static_cast<int>(pixf_->width()); }
  int Height() const { return static_cast<int>(pixf_->height()); }
  const agg::int8u* Pixel() const {
    if (y_ >= 0 && y_ < Height() && x_ >= 0 && x_ < Width()) return pixf_->pix_ptr(x_, y_);
    if (continueEdges_)
      return pixf_->pix_ptr(std::clamp(x_, 0, Width() - 1), std::clamp(y_, 0, Height() - 1));
    return background_;
  }

  const PixFmt* pixf_;
  agg::int8u background_[pix_width] = {};
  bool continueEdges_ = false;
  int x_ = 0, x0_ = 0, y_ = 0;
  const agg::int8u* run_ = nullptr;
};

// The resampler sums samples x 16384-scale weights in 32-bit integers for 8-bit colours: with the
// default limit of 20 (30 after the 1.5 blur) a picture reduced that much on both axes sums up to
// 255 x 16384 x 30 x 30, past 2^31, and the face gets garbage. At 14 (21 after blur) the sum stays
// below 2^31 with margin; reductions below 14 times are untouched by the limit either way.
constexpr int kResampleScaleLimit = 14;

using PixfmtPlain = agg::pixfmt_bgra32;
using PixfmtPre = agg::pixfmt_bgra32_pre;
using PixfmtComp = agg::pixfmt_custom_blend_rgba<agg::comp_op_adaptor_rgba<agg::rgba8, agg::order_bgra>,
                                                 agg::rendering_buffer>;

// Our blend mode numbers predate an operator AGG has since dropped, so map by name, not by number.
agg::comp_op_e CompOpOf(int mode) {
  switch (mode) {
    case kAggBlendSrcIn:
      return agg::comp_op_src_in;
    case kAggBlendSrcOut:
      return agg::comp_op_src_out;
    case kAggBlendDstOut:
      return agg::comp_op_dst_out;
    case kAggBlendDarken:
      return agg::comp_op_darken;
    default:
      return agg::comp_op_src_over;
  }
}

// Coverage curve: min(1, master * c^gamma); AGG tabulates it in 256 entries.
struct CoverageGamma {
  double gamma;
  double master;
  double operator()(double c) const { return std::min(1.0, master * std::pow(c, gamma)); }
};

// The resampling generator is meant to clamp every colour channel to the alpha; the installed
// AGG's test compares each channel with itself and never clamps, which would leave colours above
// the alpha (and let the premultiplied blend overflow over a non-empty buffer). Restored here.
struct ClampToAlpha {
  void prepare() {}
  void generate(agg::rgba8* span, int, int, unsigned len) const {
    for (; len > 0; --len, ++span) {
      span->r = std::min(span->r, span->a);
      span->g = std::min(span->g, span->a);
      span->b = std::min(span->b, span->a);
    }
  }
};

// A base renderer over a window of the canvas: spans arrive in canvas coordinates and land on the
// window's own pixels. The renderer below clips to the window.
template <class Base>
class WindowRenderer {
 public:
  using color_type = typename Base::color_type;

  WindowRenderer(Base& base, int originX, int originY) : base_(&base), ox_(originX), oy_(originY) {}

  void blend_color_hspan(int x, int y, int len, const color_type* colors, const agg::cover_type* covers,
                         agg::cover_type cover = agg::cover_full) {
    base_->blend_color_hspan(x - ox_, y - oy_, len, colors, covers, cover);
  }
  void blend_solid_hspan(int x, int y, int len, const color_type& c, const agg::cover_type* covers) {
    base_->blend_solid_hspan(x - ox_, y - oy_, len, c, covers);
  }
  void blend_hline(int x1, int y, int x2, const color_type& c, agg::cover_type cover) {
    base_->blend_hline(x1 - ox_, y - oy_, x2 - ox_, c, cover);
  }

 private:
  Base* base_;
  int ox_, oy_;
};

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

agg::trans_affine ToAgg(const TAggAffine& m) {
  return agg::trans_affine(m.Sx, m.Shy, m.Shx, m.Sy, m.Tx, m.Ty);
}

TAggAffine FromAgg(const agg::trans_affine& m) {
  return TAggAffine{m.sx, m.shy, m.shx, m.sy, m.tx, m.ty};
}

agg::int8u* BytesOf(TBitmap32& bmp) {
  return reinterpret_cast<agg::int8u*>(bmp.Bits());
}

// AGG's rendering buffer has no read-only form; the image accessors only ever read through it.
agg::int8u* BytesOf(const TBitmap32& bmp) {
  return reinterpret_cast<agg::int8u*>(const_cast<TColor32*>(bmp.Bits()));
}

}  // namespace

struct TAgg2D::Impl {
  agg::rendering_buffer buffer;
  int originX = 0, originY = 0;
  // Clipping in doubles before the conversion to AGG's 24.8 integers keeps coordinates far
  // outside the buffer (corners of huge faces) from overflowing.
  agg::rasterizer_scanline_aa<agg::rasterizer_sl_clip_dbl> rasterizer;
  agg::scanline_u8 scanline;
  agg::path_storage path;
  agg::span_allocator<agg::rgba8> spans;

  // Renders whatever the rasterizer holds through pixel format P, with the comp op when P has one.
  template <class P, class Render>
  void WithPixfmt(int mode, Render&& render) {
    P pixfmt(buffer);
    if constexpr (std::is_same_v<P, PixfmtComp>) pixfmt.comp_op(CompOpOf(mode));
    agg::renderer_base<P> base(pixfmt);
    WindowRenderer<agg::renderer_base<P>> window(base, originX, originY);
    render(window);
  }

  template <class Render>
  void InBlendMode(int mode, Render&& render) {
    if (mode == kAggBlendAlpha)
      WithPixfmt<PixfmtPlain>(mode, render);
    else
      WithPixfmt<PixfmtComp>(mode, render);
  }

  void FillSolid(int mode, const TAggRgba& c) {
    InBlendMode(mode, [&](auto& base) {
      agg::renderer_scanline_aa_solid<std::remove_reference_t<decltype(base)>> solid(base);
      solid.color(agg::rgba8(c.R, c.G, c.B, c.A));
      agg::render_scanlines(rasterizer, scanline, solid);
    });
  }
};

TAgg2D::TAgg2D() : impl_(std::make_unique<Impl>()) {}
TAgg2D::~TAgg2D() = default;

void TAgg2D::Attach(TBitmap32& picture, int32_t originX, int32_t originY) {
  target_ = &picture;
  const int w = picture.Width();
  const int h = picture.Height();
  impl_->buffer.attach(picture.Empty() ? nullptr : BytesOf(picture), static_cast<unsigned>(w),
                       static_cast<unsigned>(h), w * 4);
  impl_->originX = originX;
  impl_->originY = originY;
  state_ = TAggState{};
  impl_->rasterizer.reset();
  // The window's own edges in canvas coordinates: a drawing that lies inside the window is never cut,
  // and one that crosses a canvas edge is cut there as on the whole canvas.
  impl_->rasterizer.clip_box(originX, originY, originX + w, originY + h);
  impl_->rasterizer.filling_rule(agg::fill_non_zero);
  impl_->rasterizer.gamma(CoverageGamma{state_.AntiAliasGamma, state_.MasterAlpha});
}

void TAgg2D::ClearAll(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  if (target_ == nullptr) return;
  const TColor32 c = Color32(r, g, b, a);
  std::fill(target_->Bits(), target_->Bits() + target_->PixelCount(), c);
}

double TAgg2D::WorldToScreen(double s) const {
  const agg::trans_affine m = ToAgg(state_.Transform);
  double x1 = 0, y1 = 0, x2 = s, y2 = s;
  m.transform(&x1, &y1);
  m.transform(&x2, &y2);
  return std::hypot(x2 - x1, y2 - y1) * 0.7071068;
}

void TAgg2D::Scale(double sx, double sy) {
  agg::trans_affine m = ToAgg(state_.Transform);
  m *= agg::trans_affine_scaling(sx, sy);
  state_.Transform = FromAgg(m);
  state_.ApproximationScale = 2.0 * WorldToScreen(1.0);
}

void TAgg2D::Translate(double dx, double dy) {
  agg::trans_affine m = ToAgg(state_.Transform);
  m *= agg::trans_affine_translation(dx, dy);
  state_.Transform = FromAgg(m);
}

void TAgg2D::BlendMode(int mode) {
  switch (mode) {
    case kAggBlendSrcIn:
    case kAggBlendSrcOut:
    case kAggBlendDstOut:
    case kAggBlendDarken:
    case kAggBlendAlpha:
      state_.BlendMode = mode;
      return;
    default:
      throw Error("Unknown blend mode " + std::to_string(mode));
  }
}

void TAgg2D::AntiAliasGamma(double gamma) {
  state_.AntiAliasGamma = gamma;
  impl_->rasterizer.gamma(CoverageGamma{gamma, state_.MasterAlpha});
}

unsigned TAgg2D::CoverageAfterGamma(unsigned coverage) const {
  return impl_->rasterizer.apply_gamma(std::min(coverage, 255u));
}

void TAgg2D::RenderPath(bool fill) {
  Impl& d = *impl_;
  agg::trans_affine mtx = ToAgg(state_.Transform);
  agg::conv_curve<agg::path_storage> curve(d.path);
  curve.approximation_scale(state_.ApproximationScale);
  d.rasterizer.reset();
  if (fill) {
    agg::conv_transform<decltype(curve)> transformed(curve, mtx);
    d.rasterizer.add_path(transformed);
    d.FillSolid(state_.BlendMode, state_.FillColor);
  } else {
    // Stroked in world units, then transformed: the width scales with the transform.
    agg::conv_stroke<decltype(curve)> stroke(curve);
    stroke.width(state_.LineWidth);
    stroke.line_cap(agg::round_cap);
    stroke.line_join(agg::round_join);
    stroke.approximation_scale(state_.ApproximationScale);
    agg::conv_transform<decltype(stroke)> transformed(stroke, mtx);
    d.rasterizer.add_path(transformed);
    d.FillSolid(state_.BlendMode, state_.LineColor);
  }
}

void TAgg2D::Ellipse(double cx, double cy, double rx, double ry) {
  if (target_ == nullptr || target_->Empty()) return;
  impl_->path.remove_all();
  agg::bezier_arc arc(cx, cy, rx, ry, 0.0, 2.0 * std::numbers::pi);
  impl_->path.concat_path(arc);
  impl_->path.close_polygon();
  if (state_.FillColor.A != 0) RenderPath(true);
  if (state_.LineColor.A != 0 && state_.LineWidth > 0.0) RenderPath(false);
}

void TAgg2D::InnerCircle(double cx, double cy, double r) {
  const double inner = r - state_.LineWidth / 2.0;
  Ellipse(cx, cy, inner, inner);
}

void TAgg2D::TransformImage(const TBitmap32& picture, double x1, double y1, double x2, double y2) {
  if (target_ == nullptr || target_->Empty()) return;
  // A picture without pixels samples as transparent everywhere, like one transparent pixel.
  TBitmap32 blank;
  const TBitmap32* src = &picture;
  if (picture.Empty()) {
    blank.SetSize(1, 1);
    src = &blank;
  }
  Impl& d = *impl_;
  agg::trans_affine world = ToAgg(state_.Transform);

  d.path.remove_all();
  d.path.move_to(x1, y1);
  d.path.line_to(x2, y1);
  d.path.line_to(x2, y2);
  d.path.line_to(x1, y2);
  d.path.close_polygon();
  d.rasterizer.reset();
  agg::conv_transform<agg::path_storage> transformed(d.path, world);
  d.rasterizer.add_path(transformed);

  agg::trans_affine imageToBuffer =
      agg::trans_affine_scaling((x2 - x1) / src->Width(), (y2 - y1) / src->Height());
  imageToBuffer *= agg::trans_affine_translation(x1, y1);
  imageToBuffer *= world;
  // A flat rectangle covers no pixel; its inverse would be meaningless.
  if (std::fabs(imageToBuffer.determinant()) < 1e-12) return;
  imageToBuffer.invert();

  agg::rendering_buffer srcBuffer(BytesOf(*src), static_cast<unsigned>(src->Width()),
                                  static_cast<unsigned>(src->Height()), src->Width() * 4);
  PixfmtPlain srcPixfmt(srcBuffer);
  using Accessor = agg::image_accessor_clip<PixfmtPlain>;
  Accessor accessor(srcPixfmt, agg::rgba8(0, 0, 0, 0));
  using Interpolator = agg::span_interpolator_linear<>;
  Interpolator interpolator(imageToBuffer);
  agg::span_image_filter_rgba_bilinear<Accessor, Interpolator> generator(accessor, interpolator);
  d.InBlendMode(state_.BlendMode, [&](auto& base) {
    agg::render_scanlines_aa(d.rasterizer, d.scanline, base, d.spans, generator);
  });
}

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

  // The interpolator walks destination pixels, so it is built in the quad-to-rectangle direction.
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
        agg::rendering_buffer srcBuffer(
            const_cast<agg::int8u*>(reinterpret_cast<const agg::int8u*>(picture.Bits())),
            static_cast<unsigned>(picture.Width()), static_cast<unsigned>(picture.Height()),
            picture.Width() * 4);
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

  QuadInterpolator interpolator(quad.data(), x1, y1, x2, y2);
  QuadSubdivider subdivider(interpolator, 4);
  agg::rendering_buffer srcBuffer(BytesOf(picture), static_cast<unsigned>(picture.Width()),
                                  static_cast<unsigned>(picture.Height()), picture.Width() * 4);
  const PixfmtPre srcPixfmt(srcBuffer);
  using Accessor = ImageAccessorOverreach<PixfmtPre>;
  Accessor accessor(srcPixfmt, Accessor::ContinueEdges{});
  agg::image_filter_lut filter;
  filter.calculate(agg::image_filter_hanning(), true);
  using Resampler = agg::span_image_resample_rgba<Accessor, QuadSubdivider>;
  Resampler resampler(accessor, subdivider, filter);
  resampler.blur(1.5);
  resampler.scale_limit(kResampleScaleLimit);
  ClampToAlpha clamp;
  agg::span_converter<Resampler, ClampToAlpha> generator(resampler, clamp);

  PixfmtPre pixfmt(d.buffer);
  agg::renderer_base<PixfmtPre> base(pixfmt);
  WindowRenderer<agg::renderer_base<PixfmtPre>> window(base, d.originX, d.originY);
  agg::render_scanlines_aa(d.rasterizer, d.scanline, window, d.spans, generator);
  return true;
}

}  // namespace mirelane
