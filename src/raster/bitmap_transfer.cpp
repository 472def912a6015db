// Drawing one surface onto another: the combiner of a transfer and the clipped, resampled rectangle.
#include "raster/bitmap32.h"

#include <algorithm>
#include <cstring>

#include "raster/blend.h"
#include "raster/error.h"
#include "raster/resampler.h"

namespace mirelane {

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

}  // namespace mirelane
