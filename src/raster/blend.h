// The blend core and the per-pixel and per-run rules built on it, bit-exact.
// Weights are w and 256 - w with +128 rounding; alpha is blended like a colour channel, except
// by the merge rules below, which compose straight-alpha "over".
#pragma once

#include <cstdint>

#include "raster/color32.h"

namespace mirelane {

// The core for every channel at once: two channels per 32-bit lane, which is exact
// because no per-channel sum exceeds 65408.
inline TColor32 BlendCore(TColor32 f, TColor32 b, uint32_t w) {
  const uint32_t iw = 256 - w;
  const uint32_t rb = ((f & 0x00FF00FFu) * w + (b & 0x00FF00FFu) * iw + 0x00800080u) >> 8;
  const uint32_t ag = (((f >> 8) & 0x00FF00FFu) * w + ((b >> 8) & 0x00FF00FFu) * iw + 0x00800080u) >> 8;
  return (rb & 0x00FF00FFu) | ((ag & 0x00FF00FFu) << 8);
}

// The core with no short cuts.
inline TColor32 CombinePixels(TColor32 x, TColor32 y, uint32_t w) {
  return BlendCore(x, y, w);
}

// In-place form: W = 0 keeps Y, W = 255 copies X.
inline void CombineMem(TColor32 x, TColor32& y, uint32_t w) {
  if (w == 0) return;
  y = w >= 255 ? x : BlendCore(x, y, w);
}

inline TColor32 BlendPixel(TColor32 f, TColor32 b) {
  const uint32_t fa = AlphaOf(f);
  if (fa == 0) return b;
  if (fa == 255) return f;
  return BlendCore(f, b, fa);
}

inline TColor32 BlendPixelMaster(TColor32 f, TColor32 b, uint32_t m) {
  const uint32_t fa = AlphaOf(f);
  if (fa == 0) return b;
  const uint32_t w = ((m + 1) * fa) >> 8;
  if (w == 0) return b;
  return BlendCore(f, b, w);
}

// Run forms: n <= 0 changes nothing; a master alpha m above 255 counts as 255.
void BlendRun(const TColor32* src, TColor32* dst, int n);
void BlendRunMaster(const TColor32* src, TColor32* dst, int n, uint32_t m);

// Straight-alpha "over" (cmMerge), the rule by which the layer stack becomes a picture. The
// foreground covers w / 256 of the pixel, w being the weight the blend core would use, so over an
// opaque background the colour is the core's to the bit and the alpha becomes 255. Over a clear
// pixel the alpha is w itself (so w = 255 stays opaque). In general alpha = w' + Ba (255 - w') / 255
// with w' = 255 w / 256, rounded, and the colours are weighted by both alphas. w = 0 keeps the
// background.
inline TColor32 MergeCore(TColor32 f, TColor32 b, uint32_t w) {
  if (w == 0) return b;
  const uint32_t ba = AlphaOf(b);
  if (ba == 255) return BlendCore(f, b, w) | 0xFF000000u;
  if (ba == 0) return (f & 0x00FFFFFFu) | (w << 24);
  // 256 times the result alpha; at most 65280.
  const uint32_t d = w * 255 + ba * (256 - w);
  // The foreground's share of the colour, out of 256 (256 when the background adds nothing).
  const uint32_t fw = (w * 65280 + d / 2) / d;
  return (BlendCore(f, b, fw) & 0x00FFFFFFu) | (((d + 128) >> 8) << 24);
}

// The pixel and run forms, with the weights and short cuts of their cmBlend counterparts:
// alpha 255 at full master alpha copies the source.
inline TColor32 MergePixel(TColor32 f, TColor32 b) {
  const uint32_t fa = AlphaOf(f);
  if (fa == 255) return f;
  return MergeCore(f, b, fa);
}

inline TColor32 MergePixelMaster(TColor32 f, TColor32 b, uint32_t m) {
  return MergeCore(f, b, ((m + 1) * AlphaOf(f)) >> 8);
}

void MergeRun(const TColor32* src, TColor32* dst, int n);
void MergeRunMaster(const TColor32* src, TColor32* dst, int n, uint32_t m);

}  // namespace mirelane
