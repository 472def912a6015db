// Truevision Targa pictures (tga, win, vst, vda, icb): colour-mapped, true-colour and grey, plain or
// run-length coded. Decoded by hand so that a short file fails instead of showing made-up pixels.
#include <algorithm>
#include <string>

#include "picture/byte_reader.h"
#include "picture/picture_decoders.h"
#include "raster/error.h"

namespace mirelane {

namespace {

[[noreturn]] void TargaFail(const char* why) {
  throw Error(std::string("Targa image is not valid. ") + why + ".");
}

// A 15- or 16-bit value: five bits each of red, green and blue; the attribute bit is ignored.
TColor32 From555(uint32_t v) {
  auto scale = [](uint32_t c) { return (c << 3) | (c >> 2); };
  return Color32(scale((v >> 10) & 31), scale((v >> 5) & 31), scale(v & 31));
}

}  // namespace

TDecodedPicture DecodeTarga(std::span<const uint8_t> bytes) {
  const TByteReader in(bytes);
  if (bytes.size() < 18) TargaFail("The header is missing");
  const uint32_t idLength = bytes[0];
  const uint32_t mapType = bytes[1];
  const uint32_t imageType = bytes[2];
  uint32_t mapFirst = 0, mapLength = 0, width = 0, height = 0;
  in.U16Le(3, mapFirst);
  in.U16Le(5, mapLength);
  const uint32_t mapEntryBits = bytes[7];
  in.U16Le(12, width);
  in.U16Le(14, height);
  const uint32_t depth = bytes[16];
  const uint32_t descriptor = bytes[17];
  const uint32_t baseType = imageType & 7;
  const bool runLength = (imageType & 8) != 0;
  if ((baseType != 1 && baseType != 2 && baseType != 3) || (imageType & ~11u) != 0 || mapType > 1)
    TargaFail("The picture type is not supported");
  const bool validDepth =
      baseType == 2 ? (depth == 15 || depth == 16 || depth == 24 || depth == 32) : depth == 8;
  if (!validDepth || (baseType == 1 && mapType != 1)) TargaFail("The pixel depth is not supported");
  CheckPictureSize("Targa", width, height);

  size_t pos = 18 + idLength;
  std::vector<TColor32> palette(256, kColor32Black);
  if (mapType == 1) {
    const uint32_t entryBytes = (mapEntryBits + 7) / 8;
    if (entryBytes < 2 || entryBytes > 4) TargaFail("The colour map entries are not supported");
    if (!in.Has(pos, size_t{mapLength} * entryBytes)) TargaFail("The colour map is truncated");
    for (uint32_t i = 0; i < mapLength; ++i, pos += entryBytes) {
      const uint32_t index = mapFirst + i;
      if (index >= 256) continue;
      const uint8_t* e = bytes.data() + pos;
      palette[index] = entryBytes == 2 ? From555(e[0] | (uint32_t{e[1]} << 8))
                                       : Color32(e[2], e[1], e[0], entryBytes == 4 ? e[3] : 255);
    }
  }

  const uint32_t pixelBytes = (depth + 7) / 8;
  auto decodePixel = [&](const uint8_t* p) -> TColor32 {
    switch (baseType) {
      case 1:
        return palette[p[0]];
      case 3:
        return Color32(p[0], p[0], p[0]);
      default:
        if (pixelBytes == 2) return From555(p[0] | (uint32_t{p[1]} << 8));
        return Color32(p[2], p[1], p[0], pixelBytes == 4 ? p[3] : 255);
    }
  };

  const size_t count = size_t{width} * height;
  if (!runLength && !in.Has(pos, count * pixelBytes)) TargaFail("The picture data is truncated");
  // Pixels land in file order in the picture itself and are put in place there afterwards.
  TDecodedPicture picture;
  std::vector<TColor32>& filePixels = picture.Pixels;
  filePixels.reserve(count);
  if (!runLength) {
    for (size_t i = 0; i < count; ++i, pos += pixelBytes)
      filePixels.push_back(decodePixel(bytes.data() + pos));
  } else {
    // Packets may run on from one row to the next.
    while (filePixels.size() < count) {
      if (pos >= bytes.size()) TargaFail("The picture data is truncated");
      const uint32_t header = bytes[pos++];
      const size_t n = std::min<size_t>((header & 0x7F) + 1, count - filePixels.size());
      if ((header & 0x80) != 0) {
        if (!in.Has(pos, pixelBytes)) TargaFail("The picture data is truncated");
        filePixels.insert(filePixels.end(), n, decodePixel(bytes.data() + pos));
        pos += pixelBytes;
      } else {
        if (!in.Has(pos, n * pixelBytes)) TargaFail("The picture data is truncated");
        for (size_t i = 0; i < n; ++i, pos += pixelBytes)
          filePixels.push_back(decodePixel(bytes.data() + pos));
      }
    }
  }

  // Rows are stored bottom first unless descriptor bit 5 says top first; bit 4 mirrors them.
  const bool topFirst = (descriptor & 0x20) != 0;
  const bool rightToLeft = (descriptor & 0x10) != 0;
  picture.Kind = TPictureKind::Bitmap;
  picture.Width = static_cast<int32_t>(width);
  picture.Height = static_cast<int32_t>(height);
  const auto rowStart = [&filePixels, width](size_t y) {
    return filePixels.begin() + static_cast<ptrdiff_t>(y * width);
  };
  if (!topFirst)
    for (size_t y = 0; y < height / 2; ++y)
      std::swap_ranges(rowStart(y), rowStart(y + 1), rowStart(height - 1 - y));
  if (rightToLeft)
    for (size_t y = 0; y < height; ++y) std::reverse(rowStart(y), rowStart(y + 1));
  // Alpha counts only in 32-bit pixels or palettes, and only when some of it is set.
  const bool mayHaveAlpha = (baseType == 2 && depth == 32) || (baseType == 1 && mapEntryBits == 32);
  bool anyAlpha = false;
  if (mayHaveAlpha)
    for (TColor32 p : picture.Pixels) anyAlpha |= AlphaOf(p) != 0;
  if (mayHaveAlpha && !anyAlpha)
    for (TColor32& p : picture.Pixels) p |= 0xFF000000u;
  picture.BitsPerPixel = mayHaveAlpha ? 32 : static_cast<int>(depth);
  return picture;
}

}  // namespace mirelane
