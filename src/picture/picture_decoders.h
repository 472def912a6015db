// The individual format decoders behind the picture registry, each reading a file image in memory.
#pragma once

#include <cstdint>
#include <span>

#include "raster/decoded_picture.h"

namespace mirelane {

// Largest picture any reader accepts: each side at most 65535 and at most 2^28 pixels.
constexpr int64_t kMaxPictureSide = 65535;
constexpr int64_t kMaxPicturePixels = int64_t{1} << 28;

// Throws "<format> image is too large (W x H pixels)" or "<format> image has no pixels" before anything big
// is allocated.
void CheckPictureSize(const char* format, int64_t width, int64_t height);

TDecodedPicture DecodePng(std::span<const uint8_t> bytes);
TDecodedPicture DecodeJpeg(std::span<const uint8_t> bytes);
TDecodedPicture DecodeGif(std::span<const uint8_t> bytes);
TDecodedPicture DecodeTiff(std::span<const uint8_t> bytes);
TDecodedPicture DecodeEps(std::span<const uint8_t> bytes);
TDecodedPicture DecodeBmp(std::span<const uint8_t> bytes);
TDecodedPicture DecodeIcon(std::span<const uint8_t> bytes);
TDecodedPicture DecodeTarga(std::span<const uint8_t> bytes);
TDecodedPicture DecodePsd(std::span<const uint8_t> bytes);
TDecodedPicture DecodePcx(std::span<const uint8_t> bytes);
TDecodedPicture DecodeSgi(std::span<const uint8_t> bytes);
TDecodedPicture DecodePortableMap(std::span<const uint8_t> bytes);
TDecodedPicture DecodeWebp(std::span<const uint8_t> bytes);

}  // namespace mirelane
