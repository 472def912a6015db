// Disc faces (a CD or DVD seen from above): the source picture cut to a ring with a centre hole,
// a translucent centre with moulded rings and a darkened rim, drawn anti-aliased through TAgg2D.
#pragma once

#include <memory>

#include "raster/bitmap32.h"

namespace mirelane {

// Both return a (W + 8) x (H + 8) picture with the disc in the box (4, 4)-(4 + W, 4 + H) on a
// transparent background. A zero (or negative, taken as zero) width or height gives a fully
// transparent picture of that size.
std::unique_ptr<TBitmap32> DrawDisc(const TBitmap32& source, int W, int H);
// The "large disc area" variant: a small hole and no centre detail.
std::unique_ptr<TBitmap32> DrawLargeDiscAreaDisc(const TBitmap32& source, int W, int H);

}  // namespace mirelane
