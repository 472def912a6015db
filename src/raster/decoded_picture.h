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
};

}  // namespace mirelane
