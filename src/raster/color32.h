// The 32-bit straight-alpha ARGB pixel and the small colour functions built on it.
#pragma once

#include <cstdint>

namespace mirelane {

// Bits 24-31 alpha, 16-23 red, 8-15 green, 0-7 blue: in memory blue, green, red, alpha.
using TColor32 = uint32_t;

// A colour in the toolkit's form: 0x00BBGGRR, red in the low byte; negative values name system colours.
using TColor = int32_t;

constexpr TColor32 kColor32Black = 0xFF000000u;
constexpr TColor32 kColor32White = 0xFFFFFFFFu;

// The platform's system colour (number 0..30, the low byte of a negative TColor) as 0x00BBGGRR.
TColor SystemColor(int number);

// An opaque TColor32 from a toolkit colour; negative values go through the system colour table.
TColor32 ColorToColor32(TColor c);

constexpr uint32_t AlphaOf(TColor32 p) {
  return p >> 24;
}
constexpr uint32_t RedOf(TColor32 p) {
  return (p >> 16) & 0xFF;
}
constexpr uint32_t GreenOf(TColor32 p) {
  return (p >> 8) & 0xFF;
}
constexpr uint32_t BlueOf(TColor32 p) {
  return p & 0xFF;
}

constexpr TColor32 Color32(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 255) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

constexpr TColor32 WithAlpha(TColor32 p, int a) {
  const uint32_t clamped = a < 0 ? 0u : (a > 255 ? 255u : static_cast<uint32_t>(a));
  return (p & 0x00FFFFFFu) | (clamped << 24);
}

// Perceptual intensity; the weights add up to 256 so opaque white gives 255.
constexpr uint32_t IntensityOf(TColor32 p) {
  return (RedOf(p) * 61 + GreenOf(p) * 174 + BlueOf(p) * 21) >> 8;
}

TColor32 LightenColor(TColor32 p, int n);

// 16.16 fixed point, rounded to nearest with ties to even.
int32_t ToFixed(double x);
constexpr int32_t ToFixed(int32_t i) {
  return static_cast<int32_t>(static_cast<uint32_t>(i) << 16);
}

}  // namespace mirelane
