// What the reader tests look at in a decoded picture: the pixels it loads as, and the message of a refusal.
#pragma once

#include <string>
#include <vector>

#include "picture/picture_fixtures.h"
#include "raster/bitmap32.h"
#include "raster/decoded_picture.h"
#include "raster/error.h"

namespace mirelane::fixtures {

using Pixels = std::vector<TColor32>;

// The surface's pixels after Assign, as the program would load the picture.
inline Pixels Load(const TDecodedPicture& picture) {
  TBitmap32 surface;
  surface.Assign(picture);
  return Pixels(surface.Bits(), surface.Bits() + surface.PixelCount());
}

// The message of the Error the action throws; "(no error)" when it returns.
template <typename Action>
std::string MessageOf(Action action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

template <typename Decoder>
std::string MessageOf(Decoder decode, const Bytes& bytes) {
  return MessageOf([&] { decode(bytes); });
}

}  // namespace mirelane::fixtures
