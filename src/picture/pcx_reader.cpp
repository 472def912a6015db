// ZSoft Paintbrush (pcx, pcc, scr) pictures: 1, 2, 4 or 8 bits in up to four planes, run-length coded.
#include <cstring>

#include "picture/byte_reader.h"
#include "picture/picture_decoders.h"
#include "raster/error.h"

namespace mirelane {

namespace {

[[noreturn]] void PcxFail(const char* why) {
  throw Error(std::string("PCX image is not valid. ") + why + ".");
}

}  // namespace

TDecodedPicture DecodePcx(std::span<const uint8_t> bytes) {
  const TByteReader in(bytes);
  if (bytes.size() < 128 || bytes[0] != 0x0A || bytes[2] > 1) PcxFail("The header is missing");
  const bool runLength = bytes[2] == 1;
  const uint32_t bits = bytes[3];
  uint32_t xMin = 0, yMin = 0, xMax = 0, yMax = 0, bytesPerLine = 0;
  in.U16Le(4, xMin);
  in.U16Le(6, yMin);
  in.U16Le(8, xMax);
  in.U16Le(10, yMax);
  const uint32_t planes = bytes[65];
  in.U16Le(66, bytesPerLine);
  if (xMax < xMin || yMax < yMin) PcxFail("The picture size is invalid");
  const int64_t width = int64_t{xMax} - xMin + 1;
  const int64_t height = int64_t{yMax} - yMin + 1;
  CheckPictureSize("PCX", width, height);

  const bool paletted = (planes == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8)) ||
                        (bits == 1 && (planes == 2 || planes == 3 || planes == 4));
  const bool trueColour = bits == 8 && (planes == 3 || planes == 4);
  if (!paletted && !trueColour) PcxFail("The colour layout is not supported");
  if (int64_t{bytesPerLine} * 8 < width * bits) PcxFail("The line length is too short");

  // The colour table: 256 entries after a 0x0C byte at the end for 8-bit files, else 16 in the header.
  TColor32 palette[256];
  for (TColor32& c : palette) c = kColor32Black;
  size_t dataEnd = bytes.size();
  if (paletted && bits == 8) {
    if (bytes.size() < 128 + 769 || bytes[bytes.size() - 769] != 0x0C) PcxFail("The colour table is missing");
    const uint8_t* table = bytes.data() + bytes.size() - 768;
    for (int i = 0; i < 256; ++i) palette[i] = Color32(table[3 * i], table[3 * i + 1], table[3 * i + 2]);
    dataEnd = bytes.size() - 769;
  } else if (paletted && bits == 1 && planes == 1) {
    palette[1] = kColor32White;
  } else if (paletted) {
    for (int i = 0; i < 16; ++i)
      palette[i] = Color32(bytes[16 + 3 * i], bytes[17 + 3 * i], bytes[18 + 3 * i]);
  }

  // Each scan line is the planes one after another; runs may cross from one line to the next.
  const size_t w = static_cast<size_t>(width);
  const size_t h = static_cast<size_t>(height);
  const size_t lineBytes = size_t{bytesPerLine} * planes;
  std::vector<uint8_t> line(lineBytes);
  size_t pos = 128;
  uint32_t runLeft = 0;
  uint8_t runValue = 0;
  TDecodedPicture picture;
  picture.Pixels.reserve(w * h);
  for (size_t y = 0; y < h; ++y) {
    size_t i = 0;
    while (i < lineBytes) {
      if (runLeft == 0) {
        if (pos >= dataEnd) PcxFail("The picture data is truncated");
        const uint8_t b = bytes[pos++];
        if (runLength && (b & 0xC0) == 0xC0) {
          if (pos >= dataEnd) PcxFail("The picture data is truncated");
          runLeft = b & 0x3F;  // an empty run carries no byte
          runValue = bytes[pos++];
        } else {
          runLeft = 1;
          runValue = b;
        }
        continue;
      }
      line[i++] = runValue;
      --runLeft;
    }
    for (size_t x = 0; x < w; ++x) {
      TColor32 pixel;
      if (trueColour) {
        const uint8_t a = planes == 4 ? line[3 * bytesPerLine + x] : 255;
        pixel = Color32(line[x], line[bytesPerLine + x], line[2 * size_t{bytesPerLine} + x], a);
      } else if (planes == 1) {
        const uint32_t perByte = 8 / bits;
        const uint32_t shift = 8 - bits * (static_cast<uint32_t>(x % perByte) + 1);
        pixel = palette[(line[x / perByte] >> shift) & ((1u << bits) - 1)];
      } else {
        uint32_t index = 0;
        for (uint32_t p = 0; p < planes; ++p)
          index |= ((line[p * bytesPerLine + x / 8] >> (7 - x % 8)) & 1u) << p;
        pixel = palette[index];
      }
      picture.Pixels.push_back(pixel);
    }
  }
  picture.Kind = TPictureKind::Bitmap;
  picture.Width = static_cast<int32_t>(width);
  picture.Height = static_cast<int32_t>(height);
  picture.BitsPerPixel = trueColour && planes == 4 ? 32 : (trueColour ? 24 : static_cast<int>(bits * planes));
  return picture;
}

}  // namespace mirelane
