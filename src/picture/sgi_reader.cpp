// SGI image files (sgi, rgb, rgba, bw): 1 to 4 channels of 8 or 16 bits, plain or run-length coded.
#include <string>
#include <vector>

#include "picture/byte_reader.h"
#include "picture/picture_decoders.h"
#include "raster/error.h"

namespace mirelane {

namespace {

[[noreturn]] void SgiFail(const char* why) {
  throw Error(std::string("SGI image is not valid. ") + why + ".");
}

// Expands one run-length coded channel row of `width` samples starting at `offset`.
void ExpandSgiRow(std::span<const uint8_t> bytes, size_t offset, uint32_t bytesPerSample, size_t width,
                  uint8_t* out) {
  size_t pos = offset;
  size_t x = 0;
  auto sample = [&](size_t at) -> uint8_t {
    if (at + bytesPerSample > bytes.size()) SgiFail("The picture data is truncated");
    return bytes[at];  // the high byte of a 16-bit sample
  };
  for (;;) {
    if (pos + bytesPerSample > bytes.size()) SgiFail("The picture data is truncated");
    const uint32_t control = bytes[pos + bytesPerSample - 1];
    pos += bytesPerSample;
    const uint32_t count = control & 0x7F;
    if (count == 0) break;
    if (x + count > width) SgiFail("A run leaves the picture row");
    if ((control & 0x80) != 0) {
      for (uint32_t i = 0; i < count; ++i, pos += bytesPerSample) out[x++] = sample(pos);
    } else {
      const uint8_t value = sample(pos);
      pos += bytesPerSample;
      for (uint32_t i = 0; i < count; ++i) out[x++] = value;
    }
  }
  if (x != width) SgiFail("A picture row is incomplete");
}

}  // namespace

TDecodedPicture DecodeSgi(std::span<const uint8_t> bytes) {
  const TByteReader in(bytes);
  uint32_t magic = 0, storage = 0, bpc = 0, dimension = 0, xSize = 0, ySize = 0, zSize = 0, colormap = 0;
  if (!in.U16Be(0, magic) || magic != 474 || bytes.size() < 512) SgiFail("The header is missing");
  storage = bytes[2];
  bpc = bytes[3];
  in.U16Be(4, dimension);
  in.U16Be(6, xSize);
  in.U16Be(8, ySize);
  in.U16Be(10, zSize);
  in.U32Be(104, colormap);
  if (storage > 1 || (bpc != 1 && bpc != 2) || dimension < 1 || dimension > 3 || colormap != 0)
    SgiFail("The header values are not supported");
  if (dimension == 1) ySize = 1;
  if (dimension < 3) zSize = 1;
  if (zSize == 0) SgiFail("The picture has no channels");
  CheckPictureSize("SGI", xSize, ySize);
  const uint32_t channels = zSize > 4 ? 4 : zSize;  // channels beyond alpha are ignored
  const size_t width = xSize;
  const size_t height = ySize;

  // Channel planes, each stored bottom row first.
  if (storage == 0 && !in.Has(512, width * height * bpc * channels)) SgiFail("The picture data is truncated");
  if (storage == 1 && !in.Has(512, height * zSize * 8)) SgiFail("The row table is truncated");
  TDecodedPicture picture;
  picture.Kind = TPictureKind::Bitmap;
  picture.Width = static_cast<int32_t>(width);
  picture.Height = static_cast<int32_t>(height);
  picture.BitsPerPixel = channels == 2 || channels == 4 ? 32 : (channels == 1 ? 8 : 24);
  // Each channel row goes straight into its byte of the pixels: grey fills red, green and blue at once.
  picture.Pixels.assign(width * height, 0xFF000000u);
  std::vector<uint8_t> samples(width);
  for (uint32_t c = 0; c < channels; ++c) {
    const bool alphaChannel = c == channels - 1 && (channels == 2 || channels == 4);
    const uint32_t spread = alphaChannel ? 0x01000000u : (channels <= 2 ? 0x010101u : 0x010000u >> (8 * c));
    const uint32_t keep = ~(spread * 0xFFu);
    for (size_t row = 0; row < height; ++row) {  // stored bottom row first
      if (storage == 0) {
        const size_t start = 512 + (c * height + row) * width * bpc;
        for (size_t x = 0; x < width; ++x) samples[x] = bytes[start + x * bpc];  // the high byte
      } else {
        uint32_t start = 0;
        in.U32Be(512 + 4 * (c * height + row), start);
        ExpandSgiRow(bytes, start, bpc, width, samples.data());
      }
      TColor32* dst = picture.Pixels.data() + (height - 1 - row) * width;
      for (size_t x = 0; x < width; ++x) dst[x] = (dst[x] & keep) | (samples[x] * spread);
    }
  }
  return picture;
}

}  // namespace mirelane
