// The intensity mask cut.
#include "compose/intensity_mask.h"

#include <algorithm>

namespace mirelane {

int32_t MaxIntensity(const TBitmap32& surface) {
  const TColor32* bits = surface.Bits();
  int32_t best = 0;
  for (size_t i = 0; i < surface.PixelCount(); ++i)
    best = std::max(best, static_cast<int32_t>(IntensityOf(bits[i])));
  return best;
}

int32_t MaskedAlpha(TColor32 pixel, TColor32 maskPixel, int32_t max) {
  // A mask with nothing bright in it scales nothing.
  if (max <= 0) return static_cast<int32_t>(AlphaOf(pixel));
  const int32_t product = static_cast<int32_t>(IntensityOf(maskPixel) * AlphaOf(pixel));
  return static_cast<int32_t>(std::nearbyint(static_cast<double>(product) / max));
}

void ApplyIntensityMask(TBitmap32& target, const TBitmap32& mask) {
  const int32_t max = MaxIntensity(mask);
  const size_t n = std::min(mask.PixelCount(), target.PixelCount());
  TColor32* t = target.Bits();
  const TColor32* m = mask.Bits();
  for (size_t i = 0; i < n; ++i) CutPixel(t[i], static_cast<int32_t>(IntensityOf(m[i])), max);
  target.Changed();
}

void ModulateAlphaByMask(const TBitmap32& mask, TBitmap32& target) {
  if (mask.Width() != target.Width() || mask.Height() != target.Height()) return;
  ApplyIntensityMask(target, mask);
}

}  // namespace mirelane
