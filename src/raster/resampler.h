// Resamplers: what produces the pixels when a surface is drawn into a rectangle of another size,
// the sampling routines behind them and the registry's names.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "raster/bitmap32.h"
#include "raster/kernels.h"

namespace mirelane {

class TCustomResampler : public TNotifiablePersistent {
 public:
  const char* ClassName() const override { return "TCustomResampler"; }

  // Draws the whole srcRect of src into dstRect of dst, writing only inside clip, and combines
  // every produced pixel by the transfer's combiner. The caller (TransferRect) has checked everything.
  virtual void ResampleRect(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                            const TRect& srcRect, const TTransferCombiner& combiner) const = 0;
  // A fresh resampler of the same class for another surface.
  virtual std::unique_ptr<TCustomResampler> CloneFor(TBitmap32& bitmap) const = 0;
};

// Nearest neighbour without a half-pixel offset; the resampler every new surface gets.
class TNearestResampler : public TCustomResampler {
 public:
  explicit TNearestResampler(TBitmap32&) {}
  const char* ClassName() const override { return "TNearestResampler"; }
  void ResampleRect(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TTransferCombiner& combiner) const override;
  std::unique_ptr<TCustomResampler> CloneFor(TBitmap32& bitmap) const override;
};

// Enlarges with bilinear interpolation, reduces by convolution with the tent kernel.
class TLinearResampler : public TCustomResampler {
 public:
  explicit TLinearResampler(TBitmap32&) {}
  const char* ClassName() const override { return "TLinearResampler"; }
  void ResampleRect(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TTransferCombiner& combiner) const override;
  std::unique_ptr<TCustomResampler> CloneFor(TBitmap32& bitmap) const override;
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
                                                 int32_t srcLo, int32_t srcHi, const TLinearKernel& kernel);
// sums[i] += wa * a[i] + wb * b[i] over n bytes, in wrapping 32-bit arithmetic: the vertical
// pass of KernelResample. The plain form is the reference the vector form must match.
void AccumulateRowPair(uint32_t* sums, const uint8_t* a, int32_t wa, const uint8_t* b, int32_t wb, size_t n);
void AccumulateRowPairPlain(uint32_t* sums, const uint8_t* a, int32_t wa, const uint8_t* b, int32_t wb,
                            size_t n);
// Separable convolution with the tent kernel, rows first, into the clip. The forms without a combiner
// combine by src's own draw rules.
void KernelResample(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TLinearKernel& kernel);
void KernelResample(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect, const TLinearKernel& kernel, const TTransferCombiner& combiner);
// The class every layer is made with, which the hidden resampler list shows chosen.
inline constexpr const char* kLayerResamplerClass = "TLinearResampler";

// The registry's resampler class names in its fixed order, as the hidden resampler list shows
// them. Only the nearest and the linear resampler sample here: no action in the program selects
// another, so the others are names only.
const std::vector<std::string>& ResamplerClassNames();
// A resampler of the named class for bitmap (exact, case-sensitive); null for a name without one.
std::unique_ptr<TCustomResampler> CreateResampler(const std::string& name, TBitmap32& bitmap);

}  // namespace mirelane
