// A decoded picture as the picture readers hand it to TBitmap32::Assign.
// The kind decides the alpha rules of Assign: a bitmap keeps its bytes (32 bits) or becomes
// opaque (fewer bits), a key colour cuts holes, an icon is judged by rendering it twice,
// and any other picture (JPEG) is always opaque.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "raster/color32.h"

namespace mirelane {

enum class TPictureKind { Bitmap, IconOrMetafile, Other };

// What the bytes of Pixels hold until the reader's colour step has run: colours, or four ink
// amounts (cyan, magenta, yellow, black in the bytes of blue, green, red and alpha), either as
// printed (0 is no ink) or inverted as Photoshop stores them in JPEG (255 is no ink).
enum class TSampleSpace { Colour, Inks, InvertedInks };

struct TDecodedPicture {
  TPictureKind Kind = TPictureKind::Bitmap;
  int32_t Width = 0;
  int32_t Height = 0;
  // Bits per pixel of a bitmap picture; 32 keeps the stored alpha byte.
  int BitsPerPixel = 32;
  // Transparent key colour of a bitmap picture, in the toolkit's 0x00BBGGRR form.
  std::optional<TColor> TransparentColor;
  // Width x Height pixels, rows top to bottom, in TColor32 layout. For an icon the
  // alpha byte is the icon's own straight alpha, used when it is rendered.
  std::vector<TColor32> Pixels;
  TSampleSpace Samples = TSampleSpace::Colour;
  // The ICC profile the file embeds, as stored; empty when it has none.
  std::vector<uint8_t> IccProfile;
};

}  // namespace mirelane
