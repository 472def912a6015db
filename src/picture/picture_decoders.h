// The individual format decoders behind the picture registry, each reading a file image in memory.
#pragma once

#include <cstdint>
#include <span>

#include "raster/decoded_picture.h"

namespace mirelane {

// Largest picture any reader accepts: as many pixels as 8192 x 8192 (256 MiB decoded), in any shape up to
// 65535 on a side, so that a long banner still loads while a small file cannot claim gigabytes.
constexpr int64_t kMaxPictureSide = 65535;
constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;

// Whether a picture of this size may be decoded: it has pixels and stays within both limits.
constexpr bool PictureSizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

// Throws "<format> image is too large (W x H pixels; ...)" or "<format> image has no pixels" before
// anything picture-sized is allocated.
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
