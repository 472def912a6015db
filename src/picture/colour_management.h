// Colour management of decoded pictures through Little CMS: the profile a file embeds (or, for ink
// samples without one, a standard press profile) turns its samples into sRGB once, after decoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "raster/decoded_picture.h"

namespace mirelane {

struct TColourNote {
  // The description of the profile the colours came through; empty when they were taken as sRGB.
  std::string Profile;
  // Why an embedded profile was passed over, naming the file; empty when nothing went wrong.
  std::string Warning;
};

// Leaves picture.Pixels in sRGB with Samples == Colour. A profile that cannot be used is passed
// over with a warning, as if the file had none: the picture still loads. fileName names the
// picture in the warning.
TColourNote ConvertToSrgb(TDecodedPicture& picture, const std::string& fileName);

// An ICC profile of sRGB built from its published primaries and tone curve, small enough to embed in
// every saved JPEG and WebP file.
const std::vector<uint8_t>& SrgbIccProfile();

// The standard press profile used for ink samples that come without one; empty when the Debian
// package that ships it is not installed, and the inks are then mixed by the plain subtractive rule.
const std::vector<uint8_t>& PressIccProfile();

// An ICC profile built from a PNG's cHRM chromaticities (white, red, green, blue as x, y pairs)
// and its gAMA file gamma, for files that describe their colours that way; empty when the values
// describe no valid colour space.
std::vector<uint8_t> IccProfileFromChromaticities(const double (&xy)[8], double fileGamma);

}  // namespace mirelane
