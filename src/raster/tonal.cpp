// Alpha fade, brightness and intensity-to-alpha, one pass over the pixels in memory order each.
#include "raster/tonal.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace mirelane {

int32_t FadeRampLength(uint8_t percent, int32_t height) {
  // The extended evaluation decides the halves: 15 / 100 * 190 lies just above 28.5.
  const long double length = static_cast<long double>(percent) / 100.0L * static_cast<long double>(height);
  return static_cast<int32_t>(std::nearbyint(length));
}

void FadeReflection(TBitmap32& target, uint8_t percent) {
  if (target.Empty()) return;
  const int32_t length = FadeRampLength(percent, target.Height());
  if (length <= 0) return;  // no ramp: the step would divide by zero
  // The factor falls by a step in 16.16 fixed point. Below 512 rows the step is 256 / L rounded
  // to a whole number, as it always was; from 512 rows on that rounds to 0 and nothing would
  // fade, so there the step keeps its fraction and the ramp still ends near row L.
  constexpr int64_t kOne = 65536;
  const int64_t step = length < 512 ? static_cast<int64_t>(std::nearbyint(256.0 / length)) * kOne
                                    : static_cast<int64_t>(std::nearbyint(256.0 * kOne / length));

  const int32_t width = target.Width();
  std::array<uint8_t, 256> scaled{};
  int64_t f = 255 * kOne;
  for (int32_t y = 0; y < target.Height(); ++y) {
    f -= step;
    TColor32* row = target.ScanLine(y);
    if (f <= 0) {
      for (int32_t x = 0; x < width; ++x) row[x] &= 0x00FFFFFFu;
      continue;
    }
    // One table per row: the same rounded a x (f / 255) for every pixel of alpha a.
    const double factor = static_cast<double>(f) / kOne / 255.0;
    for (int a = 0; a < 256; ++a) scaled[a] = static_cast<uint8_t>(std::nearbyint(a * factor));
    for (int32_t x = 0; x < width; ++x)
      row[x] = (row[x] & 0x00FFFFFFu) | (static_cast<TColor32>(scaled[row[x] >> 24]) << 24);
  }
}

void AdjustBrightness(TBitmap32& target, int32_t amount) {
  if (amount == 0 || target.Empty()) return;
  // LightenColor through a table of the clamped channel values.
  std::array<TColor32, 256> moved{};
  for (int v = 0; v < 256; ++v) moved[v] = static_cast<TColor32>(std::clamp(v + amount, 0, 255));
  TColor32* bits = target.Bits();
  const size_t n = target.PixelCount();
  for (size_t i = 0; i < n; ++i) {
    const TColor32 p = bits[i];
    if (AlphaOf(p) == 0) continue;
    bits[i] = (p & 0xFF000000u) | (moved[RedOf(p)] << 16) | (moved[GreenOf(p)] << 8) | moved[BlueOf(p)];
  }
}

void CopyIntensityToAlpha(TBitmap32& dst, const TBitmap32& src) {
  dst.SetSize(src.Width(), src.Height());
  const TColor32* s = src.Bits();
  TColor32* d = dst.Bits();
  const size_t n = dst.PixelCount();
  for (size_t i = 0; i < n; ++i) d[i] = (d[i] & 0x00FFFFFFu) | (IntensityOf(s[i]) << 24);
  dst.Changed();
}

void AlphaFromMask(const TBitmap32& mask, TBitmap32& target) {
  if (mask.Width() == target.Width() && mask.Height() == target.Height()) CopyIntensityToAlpha(target, mask);
}

}  // namespace mirelane
