// TBitmap32: size protocol, fills, transfers, picture assignment, flips and the stream form.
#include "raster/bitmap32.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <limits>
#include <new>
#include <ostream>

#include "raster/blend.h"
#include "raster/error.h"
#include "raster/resampler.h"

namespace mirelane {

namespace {

// Larger stores than this (1 GiB, 16384 x 16384 pixels) are refused up front: far beyond any
// shot or sensible source picture, and a bigger request would only fail later, less cleanly,
// inside the allocator or by the system running out of memory while the pixels are zeroed.
constexpr uint64_t kMaxPixels = uint64_t{1} << 28;

}  // namespace

// ---- TNotifiablePersistent / TCustomMap -------------------------------------------------

void TNotifiablePersistent::Changed() {
  if (updateCount_ == 0 && OnChange) OnChange(*this);
}

bool TCustomMap::SetSize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return false;
  ChangeSize(width_, height_, width, height);
  Changed();
  return true;
}

void TCustomMap::SetSizeFrom(const TNotifiablePersistent* source) {
  if (source == nullptr) {
    SetSize(0, 0);
    return;
  }
  const auto* map = dynamic_cast<const TCustomMap*>(source);
  if (map == nullptr) throw Error(std::string("Can't set size from '") + source->ClassName() + "'");
  SetSize(map->Width(), map->Height());
}

void TCustomMap::ChangeSize(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight) {
  width = newWidth;
  height = newHeight;
}

// ---- TBitmap32: lifetime, size, properties ----------------------------------------------

TBitmap32::TBitmap32() : resampler_(std::make_unique<TNearestResampler>(*this)) {}

TBitmap32::TBitmap32(int32_t width, int32_t height) : TBitmap32() {
  SetSize(width, height);
}

TBitmap32::TBitmap32(TBitmap32&& source) : TBitmap32() {
  *this = std::move(source);
}

TBitmap32& TBitmap32::operator=(TBitmap32&& source) {
  if (&source == this) return *this;
  ChangeInOneUpdate([&] {
    source.CopyPropertiesTo(*this);
    AdoptStore(source.width_, source.height_, std::move(source.bits_));
  });
  source.bits_.clear();
  source.SetSize(0, 0);
  return *this;
}

TBitmap32::~TBitmap32() = default;

bool TBitmap32::SetSize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return false;
  const bool hadSize = width_ != 0 || height_ != 0;
  try {
    ChangeSize(width_, height_, width, height);
  } catch (...) {
    // The old store is gone and the surface is empty: tell whoever holds its pixels or size.
    if (hadSize) {
      Changed();
    }
    throw;
  }
  clipRect_ = BoundsRect();
  Changed();
  return true;
}

void TBitmap32::ChangeSize(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight) {
  const uint64_t count = static_cast<uint64_t>(newWidth) * static_cast<uint64_t>(newHeight);
  // Drop the old store first so a failure leaves the surface empty, never half-sized.
  std::vector<TColor32>().swap(bits_);
  width = 0;
  height = 0;
  clipRect_ = TRect{};
  if (count > kMaxPixels) throw Error("Can't allocate the DIB handle");
  try {
    bits_.assign(static_cast<size_t>(count), 0);
  } catch (const std::bad_alloc&) {
    throw Error("Can't allocate the DIB handle");
  } catch (const std::length_error&) {
    throw Error("Can't allocate the DIB handle");
  }
  width = newWidth;
  height = newHeight;
}

void TBitmap32::Changed() {
  if (updateCount_ != 0) return;
  if (OnChange) OnChange(*this);
}

void TBitmap32::SetDrawMode(TDrawMode mode) {
  if (mode == drawMode_) return;
  drawMode_ = mode;
  Changed();
}

void TBitmap32::SetCombineMode(TCombineMode mode) {
  if (mode == combineMode_) return;
  combineMode_ = mode;
  Changed();
}

void TBitmap32::SetMasterAlpha(uint32_t alpha) {
  if (alpha == masterAlpha_) return;
  masterAlpha_ = alpha;
  Changed();
}

void TBitmap32::SetResampler(std::unique_ptr<TCustomResampler> resampler) {
  if (!resampler || resampler.get() == resampler_.get()) return;
  resampler_ = std::move(resampler);
  Changed();
}

std::string TBitmap32::ResamplerClassName() const {
  return resampler_ ? resampler_->ClassName() : "";
}

void TBitmap32::SetResamplerClassName(const std::string& name) {
  if (name == ResamplerClassName()) return;
  SetResampler(CreateResampler(name, *this));
}

// ---- Fills ---------------------------------------------------------------------------------

void TBitmap32::Clear(TColor32 color) {
  if (Empty()) return;
  const TRect r = IntersectRect(clipRect_, BoundsRect());
  for (int32_t y = r.Top; y < r.Bottom; ++y) std::fill_n(ScanLine(y) + r.Left, r.Width(), color);
  Changed();
}

void TBitmap32::ResetAlpha(uint32_t alpha) {
  const TColor32 a = (alpha & 0xFF) << 24;
  for (auto& p : bits_) p = (p & 0x00FFFFFFu) | a;
  Changed();
}

void TBitmap32::FillRectClipped(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 color) {
  TRect r{x1, y1, x2, y2};
  if (x1 < x2 && y1 < y2) {
    r = IntersectRect(r, clipRect_);
    for (int32_t y = r.Top; y < r.Bottom; ++y) std::fill_n(ScanLine(y) + r.Left, r.Width(), color);
  }
  Changed();
}

void TBitmap32::FrameRectClipped(const TRect& rect, TColor32 color) {
  if (rect.IsEmpty() || IntersectRect(rect, clipRect_).IsEmpty()) return;
  auto put = [&](int32_t x, int32_t y) {
    if (x >= clipRect_.Left && x < clipRect_.Right && y >= clipRect_.Top && y < clipRect_.Bottom)
      PixelAt(x, y) = color;
  };
  const int32_t right = rect.Right - 1, bottom = rect.Bottom - 1;
  for (int32_t x = rect.Left; x <= right; ++x) {
    put(x, rect.Top);
    if (bottom > rect.Top) put(x, bottom);
  }
  if (rect.Top + 1 < bottom) {
    for (int32_t y = rect.Top + 1; y <= bottom - 1; ++y) {
      put(rect.Left, y);
      if (right > rect.Left) put(right, y);
    }
  }
  Changed();
}

// ---- Transfers -----------------------------------------------------------------------------

TTransferCombiner::TTransferCombiner(const TBitmap32& src) : TTransferCombiner(src, src.CombineMode()) {}

TTransferCombiner::TTransferCombiner(const TBitmap32& src, TCombineMode combine)
    : mode_(src.DrawMode()), combine_(combine), master_(src.MasterAlpha()), outer_(src.OuterColor()) {
  // The weight rules assume a master alpha of at most 255; a larger stored value counts as 255
  // instead of pushing a weight past 256.
  pixelMaster_ = std::min<uint32_t>(master_, 255);
}

void TTransferCombiner::CombineRun(const TColor32* src, TColor32* dst, int n) const {
  if (n <= 0) return;
  if (mode_ == dmBlend) {
    const bool merge = combine_ == cmMerge;
    if (master_ >= 255)
      merge ? MergeRun(src, dst, n) : BlendRun(src, dst, n);
    else
      merge ? MergeRunMaster(src, dst, n, master_) : BlendRunMaster(src, dst, n, master_);
    return;
  }
  CombineOtherModes(src, dst, n);
}

void TTransferCombiner::CombinePixels(const TColor32* src, TColor32* dst, int n) const {
  if (n <= 0) return;
  if (mode_ == dmBlend) {
    const uint32_t m = pixelMaster_;
    if (combine_ == cmMerge) {
      for (int i = 0; i < n; ++i) dst[i] = MergePixelMaster(src[i], dst[i], m);
    } else {
      for (int i = 0; i < n; ++i) dst[i] = BlendPixelMaster(src[i], dst[i], m);
    }
    return;
  }
  CombineOtherModes(src, dst, n);
}

void TTransferCombiner::CombineOtherModes(const TColor32* src, TColor32* dst, int n) const {
  switch (mode_) {
    case dmOpaque:
      std::memmove(dst, src, static_cast<size_t>(n) * sizeof(TColor32));
      break;
    case dmTransparent: {
      const TColor32 outer = outer_;
      for (int i = 0; i < n; ++i) dst[i] = src[i] != outer ? src[i] : dst[i];
      break;
    }
    case dmBlend:  // handled by the callers
      break;
  }
}

void TransferRect(TBitmap32* dst, const TRect& dstRect, const TRect& dstClip, const TBitmap32* src,
                  const TRect& srcRect) {
  if (dst == nullptr) throw Error("Destination bitmap is nil");
  if (src == nullptr) throw Error("Source bitmap is nil");
  TransferRect(dst, dstRect, dstClip, src, srcRect, src->CombineMode());
}

void TransferRect(TBitmap32* dst, const TRect& dstRect, const TRect& dstClip, const TBitmap32* src,
                  const TRect& srcRect, TCombineMode combine) {
  if (dst == nullptr) throw Error("Destination bitmap is nil");
  if (src == nullptr) throw Error("Source bitmap is nil");
  if (src->Empty() || dst->Empty()) return;
  if (src->DrawMode() == dmBlend && src->MasterAlpha() == 0) return;
  if (srcRect.IsEmpty()) return;
  if (!RectInside(srcRect, src->BoundsRect())) throw Error("Source rectangle is invalid");
  const TRect clip = IntersectRect(IntersectRect(dstClip, dst->BoundsRect()), dstRect);
  if (clip.IsEmpty()) return;

  if (src == dst) {
    // Drawing a surface onto itself: read from a copy, or rows written early would feed later ones.
    TBitmap32 copy;
    copy.Assign(src);
    TransferRect(dst, dstRect, dstClip, &copy, srcRect, combine);
    return;
  }

  const TTransferCombiner combiner(*src, combine);
  if (srcRect.Width() == dstRect.Width() && srcRect.Height() == dstRect.Height()) {
    const int32_t sx = srcRect.Left + clip.Left - dstRect.Left;
    const int32_t sy = srcRect.Top + clip.Top - dstRect.Top;
    for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
      combiner.CombineRun(src->ScanLine(sy + y - clip.Top) + sx, dst->ScanLine(y) + clip.Left, clip.Width());
    }
  } else {
    src->Resampler()->ResampleRect(*dst, dstRect, clip, *src, srcRect, combiner);
  }
  dst->Changed();
}

void TBitmap32::Draw(const TRect& dstRect, const TRect& srcRect, const TBitmap32* src) {
  if (src == nullptr) return;
  TransferRect(this, dstRect, clipRect_, src, srcRect);
}

void TBitmap32::Draw(int32_t dstX, int32_t dstY, const TBitmap32* src) {
  if (src == nullptr) return;
  Draw(TRect{dstX, dstY, dstX + src->Width(), dstY + src->Height()}, src->BoundsRect(), src);
}

void TBitmap32::DrawTo(TBitmap32* dst, const TRect& dstRect, const TRect& srcRect) const {
  if (dst == nullptr) throw Error("Destination bitmap is nil");
  TransferRect(dst, dstRect, dst->ClipRect(), this, srcRect);
}

void TBitmap32::DrawTo(TBitmap32* dst, int32_t dstX, int32_t dstY) const {
  DrawTo(dst, TRect{dstX, dstY, dstX + width_, dstY + height_}, BoundsRect());
}

// ---- Assignment ----------------------------------------------------------------------------

void TBitmap32::ChangeInOneUpdate(const std::function<void()>& change) {
  BeginUpdate();
  try {
    change();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Changed();
}

void TBitmap32::Assign(const TBitmap32* source) {
  if (source == nullptr) {
    SetSize(0, 0);
    return;
  }
  if (source == this) return;
  ChangeInOneUpdate([&] {
    SetSize(source->Width(), source->Height());
    std::copy(source->bits_.begin(), source->bits_.end(), bits_.begin());
    source->CopyPropertiesTo(*this);
  });
}

namespace {

// A straight-alpha pixel drawn "over" an opaque background, rounded to nearest.
TColor32 RenderOver(TColor32 p, TColor32 background) {
  const uint32_t a = AlphaOf(p);
  auto mix = [a](uint32_t c, uint32_t bg) { return (c * a + bg * (255 - a) + 127) / 255; };
  return 0xFF000000u | (mix(RedOf(p), RedOf(background)) << 16) |
         (mix(GreenOf(p), GreenOf(background)) << 8) | mix(BlueOf(p), BlueOf(background));
}

// An icon pixel judged by rendering it on white and on red: where both look the same it is opaque,
// where neither shows any of it it is clear (white colour bytes). A partly covered pixel, which only an
// icon with its own graded alpha has, keeps that alpha: the two renderings differ by exactly that much.
TColor32 JudgeIconPixel(TColor32 p) {
  const TColor32 onWhite = RenderOver(p, 0xFFFFFFFFu);
  if (onWhite == RenderOver(p, 0xFFFF0000u)) return onWhite;
  return AlphaOf(p) == 0 ? (onWhite & 0x00FFFFFFu) : p;
}

void CheckPictureData(const TDecodedPicture& picture) {
  if (picture.Width < 0 || picture.Height < 0 ||
      picture.Pixels.size() != static_cast<size_t>(picture.Width) * static_cast<size_t>(picture.Height))
    throw Error("Invalid picture data");
}

// The alpha rules of a bitmap or icon picture, applied to its pixels where they already lie.
void ApplyPictureAlphaRules(const TDecodedPicture& picture, std::vector<TColor32>& pixels) {
  if (picture.Kind == TPictureKind::IconOrMetafile) {
    for (TColor32& p : pixels) p = JudgeIconPixel(p);
    return;
  }
  if (picture.BitsPerPixel < 32)
    for (TColor32& p : pixels) p |= 0xFF000000u;
  if (picture.TransparentColor) {
    const TColor32 key = ColorToColor32(*picture.TransparentColor) & 0x00FFFFFFu;
    for (TColor32& p : pixels)
      if ((p & 0x00FFFFFFu) == key) p &= 0x00FFFFFFu;
  }
}

}  // namespace

void TBitmap32::Assign(const TDecodedPicture& picture) {
  CheckPictureData(picture);
  ChangeInOneUpdate([&] {
    SetSize(picture.Width, picture.Height);
    if (picture.Kind == TPictureKind::Other) {
      // The picture draws itself over the current pixels (all 0 after a size change); always opaque.
      for (size_t i = 0; i < bits_.size(); ++i) bits_[i] = BlendPixel(picture.Pixels[i], bits_[i]);
      ResetAlpha(255);
    } else {
      std::copy(picture.Pixels.begin(), picture.Pixels.end(), bits_.begin());
      ApplyPictureAlphaRules(picture, bits_);
    }
  });
}

void TBitmap32::Assign(TDecodedPicture&& picture) {
  CheckPictureData(picture);
  // A picture drawn over pixels already there needs both at once: that case keeps the copying form.
  if (picture.Kind == TPictureKind::Other && picture.Width == width_ && picture.Height == height_) {
    Assign(static_cast<const TDecodedPicture&>(picture));
    return;
  }
  ChangeInOneUpdate([&] {
    AdoptStore(picture.Width, picture.Height, std::move(picture.Pixels));
    picture.Pixels.clear();
    if (picture.Kind == TPictureKind::Other) {
      for (TColor32& p : bits_) p = BlendPixel(p, 0) | 0xFF000000u;
    } else {
      ApplyPictureAlphaRules(picture, bits_);
    }
  });
}

void TBitmap32::AdoptStore(int32_t width, int32_t height, std::vector<TColor32>&& pixels) {
  const bool resized = width != width_ || height != height_;
  bits_ = std::move(pixels);
  width_ = width;
  height_ = height;
  clipRect_ = BoundsRect();
  if (!resized) return;
  Changed();
}

void TBitmap32::AssignToPicture(TDecodedPicture& picture) const {
  picture.Kind = TPictureKind::Bitmap;
  picture.Width = width_;
  picture.Height = height_;
  picture.BitsPerPixel = 32;
  picture.TransparentColor.reset();
  picture.Pixels = bits_;
}

void TBitmap32::CopyMapTo(TBitmap32& dst) const {
  if (&dst == this) return;
  dst.SetSize(width_, height_);
  std::copy(bits_.begin(), bits_.end(), dst.bits_.begin());
  dst.Changed();
}

void TBitmap32::CopyPropertiesTo(TBitmap32& dst) const {
  dst.SetDrawMode(drawMode_);
  dst.SetCombineMode(combineMode_);
  dst.SetMasterAlpha(masterAlpha_);
  dst.SetOuterColor(outerColor_);
  dst.SetResampler(resampler_->CloneFor(dst));
}

// ---- Flips and quarter turns ---------------------------------------------------------------

void TBitmap32::FlipHorizontal(TBitmap32* dst) {
  if (dst == nullptr || dst == this) {
    for (int32_t y = 0; y < height_; ++y) std::reverse(ScanLine(y), ScanLine(y) + width_);
    Changed();
    return;
  }
  dst->SetSize(width_, height_);
  for (int32_t y = 0; y < height_; ++y)
    std::reverse_copy(ScanLine(y), ScanLine(y) + width_, dst->ScanLine(y));
  dst->Changed();
}

void TBitmap32::FlipVertical(TBitmap32* dst) {
  if (dst == nullptr || dst == this) {
    std::vector<TColor32> row(static_cast<size_t>(width_));
    for (int32_t i = 0; i < height_ / 2; ++i) {
      TColor32* a = ScanLine(i);
      TColor32* b = ScanLine(height_ - 1 - i);
      std::copy_n(a, width_, row.data());
      std::copy_n(b, width_, a);
      std::copy_n(row.data(), width_, b);
    }
    Changed();
    return;
  }
  dst->SetSize(width_, height_);
  for (int32_t y = 0; y < height_; ++y) std::copy_n(ScanLine(y), width_, dst->ScanLine(height_ - 1 - y));
  dst->Changed();
}

void TBitmap32::Rotate(TBitmap32* dst, Turn turn) {
  const int32_t w = width_, h = height_;
  const bool quarter = turn != Turn::Half;
  const int32_t rw = quarter ? h : w, rh = quarter ? w : h;
  std::vector<TColor32> out(bits_.size());
  for (int32_t y = 0; y < h; ++y) {
    const TColor32* line = ScanLine(y);
    for (int32_t x = 0; x < w; ++x) {
      int32_t tx = 0, ty = 0;
      switch (turn) {
        case Turn::Quarter:  // clockwise: top-left ends top-right
          tx = h - 1 - y;
          ty = x;
          break;
        case Turn::Half:
          tx = w - 1 - x;
          ty = h - 1 - y;
          break;
        case Turn::ThreeQuarters:  // counter-clockwise: top-left ends bottom-left
          tx = y;
          ty = w - 1 - x;
          break;
      }
      out[static_cast<size_t>(ty) * static_cast<size_t>(rw) + static_cast<size_t>(tx)] = line[x];
    }
  }
  if (dst == nullptr || dst == this) {
    if (rw == width_ && rh == height_) {
      // The half turn raises Changed; a square quarter turn keeps its size and stays silent.
      bits_ = std::move(out);
      if (!quarter) Changed();
      return;
    }
    // The new size with its pixels already in place, then the notifications of a resize, so
    // a listener never sees the zeroed store of a plain SetSize.
    bits_ = std::move(out);
    width_ = rw;
    height_ = rh;
    clipRect_ = BoundsRect();
    Changed();
    return;
  }
  dst->SetSize(rw, rh);
  dst->bits_ = std::move(out);
  dst->Changed();
}

void TBitmap32::Rotate90(TBitmap32* dst) {
  Rotate(dst, Turn::Quarter);
}
void TBitmap32::Rotate180(TBitmap32* dst) {
  Rotate(dst, Turn::Half);
}
void TBitmap32::Rotate270(TBitmap32* dst) {
  Rotate(dst, Turn::ThreeQuarters);
}

}  // namespace mirelane
