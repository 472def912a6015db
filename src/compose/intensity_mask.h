// Alpha cut by a grey intensity mask: each pixel's alpha scaled by the mask's intensity over its
// brightest value.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "raster/bitmap32.h"

namespace mirelane {

// One pixel of the cut: at the brightest value untouched, opaque takes the intensity itself,
// translucent is scaled by intensity / max.
inline void CutPixel(TColor32& pixel, int32_t intensity, int32_t max) {
  if (intensity == max) return;
  const uint32_t alpha = AlphaOf(pixel);
  if (alpha == 255) {
    pixel = WithAlpha(pixel, intensity);
  } else if (alpha != 0) {
    pixel = WithAlpha(pixel, static_cast<int>(std::nearbyint(static_cast<double>(intensity * alpha) / max)));
  }
}

int32_t MaxIntensity(const TBitmap32& surface);
int32_t MaskedAlpha(TColor32 pixel, TColor32 maskPixel, int32_t max);
// The cut over the pixels both share, row-major from the top left.
void ApplyIntensityMask(TBitmap32& target, const TBitmap32& mask);
// The cut when mask and target have the same size; nothing otherwise.
void ModulateAlphaByMask(const TBitmap32& mask, TBitmap32& target);

}  // namespace mirelane
