// Run forms of the blend rules, written branch-free so the compiler vectorises them.
#include "raster/blend.h"

namespace mirelane {

void BlendRun(const TColor32* src, TColor32* dst, int n) {
  for (int i = 0; i < n; ++i) {
    const TColor32 f = src[i];
    const TColor32 b = dst[i];
    const uint32_t fa = f >> 24;
    const TColor32 mixed = BlendCore(f, b, fa);
    // Alpha 0 keeps the destination, alpha 255 copies the source bit for bit.
    dst[i] = fa == 0 ? b : (fa == 255 ? f : mixed);
  }
}

void BlendRunMaster(const TColor32* src, TColor32* dst, int n, uint32_t m) {
  for (int i = 0; i < n; ++i) {
    const TColor32 f = src[i];
    const TColor32 b = dst[i];
    const uint32_t fa = f >> 24;
    const uint32_t w = ((fa + 1) * m) >> 8;
    const TColor32 mixed = BlendCore(f, b, w);
    dst[i] = (fa == 0 || w == 0) ? b : mixed;
  }
}

TColor32 MergePixel(TColor32 f, TColor32 b) {
  const uint32_t fa = AlphaOf(f);
  if (fa == 255) return f;
  if (fa == 0) return b;
  const uint32_t ba = AlphaOf(b);
  if (ba == 0) return f;
  // Result alpha fa + ba(1 - fa); colours weighted by their share of it.
  const uint32_t ra = 255 - (((255 - fa) * (255 - ba)) / 255);
  const uint32_t fw = (fa * 255) / ra;
  const TColor32 mixed = BlendCore(f, b, fw > 255 ? 255 : fw);
  return WithAlpha(mixed, static_cast<int>(ra));
}

TColor32 MergePixelMaster(TColor32 f, TColor32 b, uint32_t m) {
  const uint32_t fa = (AlphaOf(f) * (m > 255 ? 255 : m)) / 255;
  return MergePixel(WithAlpha(f, static_cast<int>(fa)), b);
}

}  // namespace mirelane
