// The vector canvas over AGG: its state, the shapes it fills and strokes, and a picture stretched onto
// a rectangle. The perspective quad has a file of its own.
#include "raster/agg2d_detail.h"

namespace mirelane {

using namespace agg2d_detail;

namespace {

// Coverage curve: min(1, master * c^gamma); AGG tabulates it in 256 entries.
struct CoverageGamma {
  double gamma;
  double master;
  double operator()(double c) const { return std::min(1.0, master * std::pow(c, gamma)); }
};

agg::trans_affine ToAgg(const TAggAffine& m) {
  return agg::trans_affine(m.Sx, m.Shy, m.Shx, m.Sy, m.Tx, m.Ty);
}

TAggAffine FromAgg(const agg::trans_affine& m) {
  return TAggAffine{m.sx, m.shy, m.shx, m.sy, m.tx, m.ty};
}

}  // namespace

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

}  // namespace mirelane
