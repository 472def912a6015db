// Resamplers: what produces the pixels when a surface is drawn into a rectangle of another size.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "raster/bitmap32.h"

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
  // every produced pixel by src's draw rules. The caller (TransferRect) has checked everything.
  virtual void ResampleRect(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                            const TRect& srcRect) const = 0;
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
                    const TRect& srcRect) const override;
  std::unique_ptr<TCustomResampler> CloneFor(TBitmap32& bitmap) const override;
};

void NearestStretch(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect);

// The registry of resampler classes, in its fixed order.
struct TResamplerClass {
  const char* Name;
  std::unique_ptr<TCustomResampler> (*Create)(TBitmap32& bitmap);
};
const std::vector<TResamplerClass>& ResamplerRegistry();
// Exact, case-sensitive lookup; the first match, or null.
const TResamplerClass* FindResamplerClass(const std::string& name);

}  // namespace mirelane
