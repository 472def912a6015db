// Recursive exponential blur: every row, then every column, through a first-order smoothing filter
// once forwards and once backwards, so the cost per pixel does not depend on the radius.
#pragma once

#include <cstdint>

#include "raster/bitmap32.h"

namespace mirelane {

// The filter state: one accumulator per channel, each a channel value times 128 (0..32640),
// in the byte order of a pixel in memory (blue, green, red, alpha).
struct BlurState {
  int32_t z[4];
};

// The 16.16 filter weight for a radius: (1 - e^(-2.3 / (radius + 1))) * 65536, rounded.
int32_t BlurWeight(int32_t radius);

// How far the blur carries a pixel along a row or column: past this many pixels of zeros every
// filter state has fallen back to exactly 0, so a blurred picture with that much empty margin around
// what it holds is the same wherever the surface around it ends. 0 for a radius below 1.
int32_t BlurReach(int32_t radius);

// Blurs the surface in place; radius below 1 and empty surfaces are left alone. No notification.
void BlurBitmap(TBitmap32& surface, int32_t radius);

// One forward-and-backward pass over row y or column x with weight a (clamped to 0..65536, the
// range in which the filter cannot overshoot).
void BlurRow(TBitmap32& surface, int32_t y, int32_t a);
void BlurColumn(TBitmap32& surface, int32_t x, int32_t a);

// One filter step: moves each accumulator towards its channel and writes the channel back.
// Weights are clamped to 0..65536, the range in which the filter cannot overshoot.
void BlurStep(TColor32& pixel, BlurState& state, int32_t a);

// All columns at once, walking the surface in row order with one state per column; gives exactly
// what BlurColumn on every column gives.
void BlurColumns(TBitmap32& surface, int32_t a);

}  // namespace mirelane
