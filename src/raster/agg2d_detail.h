// What the canvas's two files share: AGG's pixel formats and helpers as the canvas uses them, and the
// canvas's own AGG state. Included only by agg2d.cpp and agg2d_quad.cpp. (agg_trans_perspective.h
// defines functions out of line, so only agg2d_quad.cpp may include it.)
#pragma once

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
#include <agg_trans_affine.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "raster/agg2d.h"
#include "raster/error.h"

namespace mirelane {
namespace agg2d_detail {

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
inline agg::comp_op_e CompOpOf(int mode) {
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

inline agg::int8u* BytesOf(TBitmap32& bmp) {
  return reinterpret_cast<agg::int8u*>(bmp.Bits());
}

// AGG's rendering buffer has no read-only form; the image accessors only ever read through it.
inline agg::int8u* BytesOf(const TBitmap32& bmp) {
  return reinterpret_cast<agg::int8u*>(const_cast<TColor32*>(bmp.Bits()));
}

}  // namespace agg2d_detail

struct TAgg2D::Impl {
  using PixfmtPlain = agg2d_detail::PixfmtPlain;
  using PixfmtComp = agg2d_detail::PixfmtComp;

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
    if constexpr (std::is_same_v<P, PixfmtComp>) pixfmt.comp_op(agg2d_detail::CompOpOf(mode));
    agg::renderer_base<P> base(pixfmt);
    agg2d_detail::WindowRenderer<agg::renderer_base<P>> window(base, originX, originY);
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

}  // namespace mirelane
