// Resamplers: what produces the pixels when a surface is drawn into a rectangle of another size,
// the sampling routines behind them and the registry that lists them by class name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "raster/bitmap32.h"
#include "raster/kernels.h"

namespace mirelane {

enum TPixelAccessMode { pamUnsafe = 0, pamSafe = 1, pamWrap = 2, pamTransparentEdge = 3 };

class TCustomSampler : public TNotifiablePersistent {
 public:
  const char* ClassName() const override { return "TCustomSampler"; }
};

class TCustomResampler : public TCustomSampler {
 public:
  const char* ClassName() const override { return "TCustomResampler"; }

  // Draws the whole srcRect of src into dstRect of dst, writing only inside clip, and combines
  // every produced pixel by the transfer's combiner. The caller (TransferRect) has checked everything.
  virtual void ResampleRect(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                            const TRect& srcRect, const TTransferCombiner& combiner) const = 0;
  // A fresh resampler of the same class and settings for another surface.
  virtual std::unique_ptr<TCustomResampler> CloneFor(TBitmap32& bitmap) const = 0;
};

class TBitmap32Resampler : public TCustomResampler {
 public:
  explicit TBitmap32Resampler(TBitmap32& bitmap) : bitmap_(&bitmap) {}
  const char* ClassName() const override { return "TBitmap32Resampler"; }

  TBitmap32& Bitmap() const { return *bitmap_; }
  TPixelAccessMode PixelAccessMode() const { return pixelAccessMode_; }
  void SetPixelAccessMode(TPixelAccessMode mode) {
    if (mode == pixelAccessMode_) return;
    pixelAccessMode_ = mode;
    Changed();
  }

 protected:
  void CopySettingsTo(TBitmap32Resampler& other) const { other.pixelAccessMode_ = pixelAccessMode_; }

 private:
  TBitmap32* bitmap_;
  TPixelAccessMode pixelAccessMode_ = pamSafe;
};

// Nearest neighbour without a half-pixel offset; the resampler every new surface gets.
class TNearestResampler : public TBitmap32Resampler {
 public:
  using TBitmap32Resampler::TBitmap32Resampler;
  const char* ClassName() const override { return "TNearestResampler"; }
  void ResampleRect(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TTransferCombiner& combiner) const override;
  std::unique_ptr<TCustomResampler> CloneFor(TBitmap32& bitmap) const override;
};

// Enlarges with bilinear interpolation, reduces by convolution with its tent kernel.
class TLinearResampler : public TBitmap32Resampler {
 public:
  using TBitmap32Resampler::TBitmap32Resampler;
  const char* ClassName() const override { return "TLinearResampler"; }
  void ResampleRect(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TTransferCombiner& combiner) const override;
  std::unique_ptr<TCustomResampler> CloneFor(TBitmap32& bitmap) const override;
  const TLinearKernel& Kernel() const { return kernel_; }

 private:
  TLinearKernel kernel_;
};

// Like the linear resampler when enlarging; a pure reduction averages the source block behind
// each destination pixel.
class TDraftResampler : public TLinearResampler {
 public:
  using TLinearResampler::TLinearResampler;
  const char* ClassName() const override { return "TDraftResampler"; }
  void ResampleRect(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TTransferCombiner& combiner) const override;
  std::unique_ptr<TCustomResampler> CloneFor(TBitmap32& bitmap) const override;
};

enum TKernelMode { kmDynamic = 0, kmTableNearest = 1, kmTableLinear = 2 };

// Convolution with a chosen kernel in both directions.
class TKernelResampler : public TBitmap32Resampler {
 public:
  explicit TKernelResampler(TBitmap32& bitmap);
  const char* ClassName() const override { return "TKernelResampler"; }
  void ResampleRect(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TTransferCombiner& combiner) const override;
  std::unique_ptr<TCustomResampler> CloneFor(TBitmap32& bitmap) const override;

  TCustomKernel& Kernel() const { return *kernel_; }
  // An absent kernel, or the one already in force, changes nothing.
  void SetKernel(std::unique_ptr<TCustomKernel> kernel);
  std::string KernelClassName() const { return kernel_->ClassName(); }
  // Names not in the kernel registry, or the name already in force, change nothing.
  void SetKernelClassName(const std::string& name);
  // Point-sampling settings; they do not affect ResampleRect.
  TKernelMode KernelMode() const { return kernelMode_; }
  void SetKernelMode(TKernelMode mode);
  int32_t TableSize() const { return tableSize_; }
  // Values below 2 become 2.
  void SetTableSize(int32_t size);

 private:
  std::unique_ptr<TCustomKernel> kernel_;
  TKernelMode kernelMode_ = kmDynamic;
  int32_t tableSize_ = 32;
};

// ---- Sampling routines; each combines what it produces by src's draw rules ----

// Nearest neighbour without a half-pixel offset, combining whole rows.
void NearestStretch(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect);
void NearestStretch(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TTransferCombiner& combiner);

// One axis of a bilinear enlargement: the left (or upper) source index and its weight out of 256.
struct TBilinearEntry {
  int32_t Pos;
  int32_t Weight;
};
// Entries for the destination indices clipLo .. clipHi - 1, tail-corrected so Pos + 1 stays inside.
std::vector<TBilinearEntry> BilinearTable(int32_t dstLo, int32_t dstHi, int32_t clipLo, int32_t clipHi,
                                          int32_t srcLo, int32_t srcHi, int32_t srcSize);
// The 2 x 2 mix of one channel set: p00 weighs wx horizontally and wy vertically.
TColor32 BilinearMix(TColor32 p00, TColor32 p10, TColor32 p01, TColor32 p11, int32_t wx, int32_t wy);
// Bilinear interpolation with 8-bit weights; only for sources at least 2 x 2.
void BilinearStretch(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                     const TRect& srcRect);
void BilinearStretch(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                     const TRect& srcRect, const TTransferCombiner& combiner);

// One destination column's (or row's) source indices and weights; the weights sum to 256.
struct TContribution {
  int32_t Index;
  int32_t Weight;
};
using TContributionList = std::vector<TContribution>;
// Lists for the destination indices clipLo .. clipHi - 1; empty when the source span is empty.
std::vector<TContributionList> ContributionTable(int32_t dstLo, int32_t dstHi, int32_t clipLo, int32_t clipHi,
                                                 int32_t srcLo, int32_t srcHi, const TCustomKernel& kernel);
// sums[i] += wa * a[i] + wb * b[i] over n bytes, in wrapping 32-bit arithmetic: the vertical
// pass of KernelResample. The plain form is the reference the vector form must match.
void AccumulateRowPair(uint32_t* sums, const uint8_t* a, int32_t wa, const uint8_t* b, int32_t wb, size_t n);
void AccumulateRowPairPlain(uint32_t* sums, const uint8_t* a, int32_t wa, const uint8_t* b, int32_t wb,
                            size_t n);
// Separable convolution with the kernel, rows first, into the clip. The forms without a combiner
// combine by src's own draw rules.
void KernelResample(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TCustomKernel& kernel);
void KernelResample(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TCustomKernel& kernel, const TTransferCombiner& combiner);
// The average of the source block behind each destination pixel; for reductions only.
void BoxReduce(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
               const TRect& srcRect);
void BoxReduce(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
               const TRect& srcRect, const TTransferCombiner& combiner);

// The registry of resampler classes, in its fixed order.
struct TResamplerClass {
  const char* Name;
  std::unique_ptr<TCustomResampler> (*Create)(TBitmap32& bitmap);
};
const std::vector<TResamplerClass>& ResamplerRegistry();
// Exact, case-sensitive lookup; the first match, or null.
const TResamplerClass* FindResamplerClass(const std::string& name);

}  // namespace mirelane
