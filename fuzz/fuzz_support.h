// Shared body of the picture reader fuzz targets: decode, bring the colours to sRGB through whatever
// profile the file carries, check the result's shape, load it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <span>
#include <utility>

#include "picture/colour_management.h"
#include "raster/bitmap32.h"
#include "raster/decoded_picture.h"
#include "raster/error.h"

namespace mirelane {

// Pictures up to this many pixels also go through Assign; bigger ones only have their shape checked.
constexpr size_t kFuzzAssignLimit = size_t{1} << 22;

template <typename Decoder>
void FuzzDecoder(Decoder decode, std::span<const uint8_t> bytes) {
  try {
    TDecodedPicture picture = decode(bytes);
    ConvertToSrgb(picture, "fuzzed");
    if (picture.Samples != TSampleSpace::Colour) std::abort();
    const size_t expected = static_cast<size_t>(picture.Width) * static_cast<size_t>(picture.Height);
    // A reader that returns a picture whose pixels do not match its size is a bug, not bad input.
    if (picture.Width <= 0 || picture.Height <= 0 || picture.Pixels.size() != expected) std::abort();
    if (expected <= kFuzzAssignLimit) {
      // Copying the picture and taking its store over must load the same pixels.
      TBitmap32 copied;
      copied.Assign(picture);
      TDecodedPicture handed = picture;
      TBitmap32 moved;
      moved.Assign(std::move(handed));
      if (!std::equal(copied.Bits(), copied.Bits() + copied.PixelCount(), moved.Bits(),
                      moved.Bits() + moved.PixelCount()))
        std::abort();
    }
  } catch (const Error&) {
    // Every refusal must arrive as our error type with a message; anything else escapes and is reported.
  } catch (const std::bad_alloc&) {
    // Only when the replay runs with allocator_may_return_null; the fuzzer itself reports big allocations.
  }
}

}  // namespace mirelane
