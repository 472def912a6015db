// Per-pixel tonal effects for reflections, shading and highlights: the alpha fade down a reflection,
// a brightness offset, and the alpha taken from a grey-level mask.
#pragma once

#include <cstdint>

#include "raster/bitmap32.h"

namespace mirelane {

// The fade ramp length for a percent of a height, evaluated in 80-bit extended precision and
// rounded (ties to even): percent 15 of 190 gives 29.
int32_t FadeRampLength(uint8_t percent, int32_t height);

// Fades alpha down the rows: row i keeps alpha x (255 - (i + 1) * step) / 255, L the ramp length,
// step = 256 / L rounded to a whole number below 512 rows and kept with its fraction (16.16 fixed
// point) from 512 rows on, where the whole number would be 0. Colour bytes never change. A ramp
// length of 0 leaves the surface unfaded.
void FadeReflection(TBitmap32& target, uint8_t percent);

// Moves red, green and blue of every pixel that is not fully transparent by amount, clamped.
void AdjustBrightness(TBitmap32& target, int32_t amount);

// Gives dst src's size, then every dst pixel src's intensity as its alpha; raises Changed on dst.
void CopyIntensityToAlpha(TBitmap32& dst, const TBitmap32& src);

// CopyIntensityToAlpha(target, mask) when the sizes agree; otherwise nothing.
void AlphaFromMask(const TBitmap32& mask, TBitmap32& target);

}  // namespace mirelane
