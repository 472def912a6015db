// Windows bitmaps (bmp, dib, rle: 1 to 32 bits, RLE4, RLE8, bit fields) and icons, decoded by hand:
// the formats are small and no library here reads their run-length variants.
#include <algorithm>
#include <array>
#include <cstring>

#include "picture/byte_reader.h"
#include "picture/picture_decoders.h"
#include "raster/error.h"

namespace mirelane {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

// Thrown inside the decoder; the public readers turn it into their own message.
struct TInvalidDib {};

// One colour channel described by a bit mask, scaled to 0..255.
struct TChannelMask {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;

  static TChannelMask From(uint32_t mask) {
    TChannelMask c;
    c.mask = mask;
    if (mask == 0) return c;
    while (((mask >> c.shift) & 1u) == 0) ++c.shift;
    c.max = mask >> c.shift;
    return c;
  }
  uint32_t Extract(uint32_t value) const {
    if (max == 0) return 0;
    const uint64_t v = (value & mask) >> shift;
    return static_cast<uint32_t>((v * 255 + max / 2) / max);
  }
};

struct TDibLayout {
  int64_t width = 0;
  int64_t height = 0;  // always positive here
  bool topDown = false;
  uint32_t bitCount = 0;
  uint32_t compression = kBiRgb;
  TChannelMask red, green, blue, alpha;
  bool hasAlpha = false;
  std::vector<TColor32> palette;
};

// Reads the info header at headerOffset and the colour table after it; heightDivisor is 2 for icons,
// whose header counts the colour rows and the mask rows together. Returns the offset after the table.
size_t ReadDibHeader(const TByteReader& in, size_t headerOffset, int heightDivisor, const char* format,
                     TDibLayout& dib) {
  uint32_t headerSize = 0;
  if (!in.U32Le(headerOffset, headerSize)) throw TInvalidDib{};
  size_t tableOffset = 0;
  uint32_t colorsUsed = 0;
  int entrySize = 4;
  if (headerSize == 12) {
    uint32_t w = 0, h = 0, planes = 0, bits = 0;
    if (!in.U16Le(headerOffset + 4, w) || !in.U16Le(headerOffset + 6, h) ||
        !in.U16Le(headerOffset + 8, planes) || !in.U16Le(headerOffset + 10, bits))
      throw TInvalidDib{};
    dib.width = w;
    dib.height = h;
    dib.bitCount = bits;
    entrySize = 3;
    tableOffset = headerOffset + 12;
  } else if (headerSize >= 40 && headerSize <= 1024) {
    uint32_t w = 0, h = 0, bits = 0;
    if (!in.U32Le(headerOffset + 4, w) || !in.U32Le(headerOffset + 8, h) ||
        !in.U16Le(headerOffset + 14, bits) || !in.U32Le(headerOffset + 16, dib.compression) ||
        !in.U32Le(headerOffset + 32, colorsUsed))
      throw TInvalidDib{};
    dib.width = static_cast<int32_t>(w);
    dib.height = static_cast<int32_t>(h);
    dib.bitCount = bits;
    tableOffset = headerOffset + headerSize;
    if (dib.compression == kBiBitfields || dib.compression == kBiAlphaBitfields) {
      // Masks live inside the larger headers, or follow the 40-byte one.
      const size_t maskOffset = headerOffset + 40;
      const int maskCount = dib.compression == kBiAlphaBitfields ? 4 : 3;
      uint32_t masks[4] = {0, 0, 0, 0};
      const int inHeader = headerSize >= 56 ? 4 : (headerSize >= 52 ? 3 : 0);
      const int count = std::max(inHeader, maskCount);
      for (int i = 0; i < count; ++i)
        if (!in.U32Le(maskOffset + 4 * static_cast<size_t>(i), masks[i])) throw TInvalidDib{};
      if (inHeader == 0) tableOffset += 4 * static_cast<size_t>(maskCount);
      dib.red = TChannelMask::From(masks[0]);
      dib.green = TChannelMask::From(masks[1]);
      dib.blue = TChannelMask::From(masks[2]);
      dib.alpha = TChannelMask::From(masks[3]);
      dib.hasAlpha = masks[3] != 0;
      dib.compression = kBiBitfields;
    }
  } else {
    throw TInvalidDib{};
  }
  if (dib.height < 0) {
    dib.topDown = true;
    dib.height = -dib.height;
  }
  if (heightDivisor > 1) dib.height /= heightDivisor;
  CheckPictureSize(format, dib.width, dib.height);

  switch (dib.bitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
      if (dib.compression != kBiRgb && !(dib.compression == kBiRle8 && dib.bitCount == 8) &&
          !(dib.compression == kBiRle4 && dib.bitCount == 4))
        throw TInvalidDib{};
      break;
    case 16:
    case 24:
    case 32:
      if (dib.compression != kBiRgb && !(dib.compression == kBiBitfields && dib.bitCount != 24))
        throw TInvalidDib{};
      break;
    default:
      throw TInvalidDib{};
  }
  if ((dib.compression == kBiRle4 || dib.compression == kBiRle8) && dib.topDown) throw TInvalidDib{};
  if (dib.compression == kBiRgb && dib.bitCount == 16) {
    dib.red = TChannelMask::From(0x7C00);
    dib.green = TChannelMask::From(0x03E0);
    dib.blue = TChannelMask::From(0x001F);
  }
  if (dib.compression == kBiRgb && dib.bitCount == 32) dib.hasAlpha = true;  // the fourth byte is alpha

  if (dib.bitCount <= 8) {
    const uint32_t full = 1u << dib.bitCount;
    const uint32_t count = colorsUsed == 0 || colorsUsed > full ? full : colorsUsed;
    // Indices beyond a short table show black.
    dib.palette.assign(256, kColor32Black);
    for (uint32_t i = 0; i < count; ++i) {
      const size_t at = tableOffset + i * static_cast<size_t>(entrySize);
      if (!in.Has(at, 3)) throw TInvalidDib{};
      const auto b = in.Bytes();
      dib.palette[i] = Color32(b[at + 2], b[at + 1], b[at]);
    }
    tableOffset += count * static_cast<size_t>(entrySize);
  }
  return tableOffset;
}

size_t RowStride(const TDibLayout& dib) {
  return static_cast<size_t>((dib.width * dib.bitCount + 31) / 32) * 4;
}

void DecodeUncompressedRows(const TByteReader& in, size_t dataOffset, const TDibLayout& dib,
                            TColor32* pixels) {
  const size_t width = static_cast<size_t>(dib.width);
  const size_t height = static_cast<size_t>(dib.height);
  const size_t stride = RowStride(dib);
  const uint8_t* data = in.Bytes().data() + dataOffset;
  const bool masked = dib.compression == kBiBitfields || dib.bitCount == 16;
  for (size_t fileRow = 0; fileRow < height; ++fileRow) {
    const uint8_t* src = data + fileRow * stride;
    const size_t y = dib.topDown ? fileRow : height - 1 - fileRow;
    TColor32* dst = pixels + y * width;
    switch (dib.bitCount) {
      case 1:
      case 2:
      case 4:
      case 8: {
        const uint32_t bits = dib.bitCount;
        const uint32_t perByte = 8 / bits;
        const uint32_t valueMask = (1u << bits) - 1;
        for (size_t x = 0; x < width; ++x) {
          const uint32_t byte = src[x / perByte];
          const uint32_t shift = 8 - bits * (static_cast<uint32_t>(x % perByte) + 1);
          dst[x] = dib.palette[(byte >> shift) & valueMask];
        }
        break;
      }
      case 24:
        for (size_t x = 0; x < width; ++x) dst[x] = Color32(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
        break;
      case 16:
      case 32:
        if (!masked) {
          std::memcpy(dst, src, width * 4);  // BGRA exactly as TColor32 stores it
          break;
        }
        for (size_t x = 0; x < width; ++x) {
          const uint32_t v = dib.bitCount == 16
                                 ? uint32_t{src[2 * x]} | (uint32_t{src[2 * x + 1]} << 8)
                                 : uint32_t{src[4 * x]} | (uint32_t{src[4 * x + 1]} << 8) |
                                       (uint32_t{src[4 * x + 2]} << 16) | (uint32_t{src[4 * x + 3]} << 24);
          const uint32_t a = dib.hasAlpha ? dib.alpha.Extract(v) : 255;
          dst[x] = Color32(dib.red.Extract(v), dib.green.Extract(v), dib.blue.Extract(v), a);
        }
        break;
      default:
        throw TInvalidDib{};
    }
  }
}

// RLE8 and RLE4: runs and literal groups, with end-of-line, end-of-bitmap and delta escapes.
// Pixels the runs never reach keep colour index 0. Rows are made only as the runs reach them, so a
// short file fails before a large declared picture is allocated; the result is bottom row first.
std::vector<TColor32> DecodeRunLengthRows(const TByteReader& in, size_t dataOffset, const TDibLayout& dib) {
  const size_t width = static_cast<size_t>(dib.width);
  const size_t height = static_cast<size_t>(dib.height);
  const bool four = dib.compression == kBiRle4;
  const TColor32 background = dib.palette[0];
  std::vector<TColor32> rows;
  rows.reserve(width * height);
  const auto bytes = in.Bytes();
  if (dataOffset > bytes.size()) throw TInvalidDib{};
  size_t pos = dataOffset;
  size_t x = 0;
  size_t row = 0;
  auto put = [&](uint32_t index) {
    if (x < width && row < height) {
      if (rows.size() < (row + 1) * width) rows.resize((row + 1) * width, background);
      rows[row * width + x] = dib.palette[index];
    }
    ++x;
  };
  while (row < height) {
    if (pos + 2 > bytes.size()) throw TInvalidDib{};
    const uint32_t count = bytes[pos];
    const uint32_t value = bytes[pos + 1];
    pos += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count && x < width; ++i)
        put(four ? ((i & 1) != 0 ? value & 0x0F : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (pos + 2 > bytes.size()) throw TInvalidDib{};
      x += bytes[pos];
      row += bytes[pos + 1];
      pos += 2;
    } else {  // a literal group of `value` pixels, padded to a 16-bit boundary
      const size_t groupBytes = four ? (value + 1) / 2 : value;
      if (pos + groupBytes > bytes.size()) throw TInvalidDib{};
      for (uint32_t i = 0; i < value; ++i) {
        const uint32_t byte = bytes[pos + (four ? i / 2 : i)];
        put(four ? ((i & 1) != 0 ? byte & 0x0F : byte >> 4) : byte);
      }
      pos += groupBytes + (groupBytes & 1);
    }
  }
  rows.resize(width * height, background);
  return rows;
}

// The rows of an uncompressed picture; the last row may lack its fill bytes.
size_t UncompressedBytes(const TDibLayout& dib) {
  const size_t lastRowBytes = (static_cast<size_t>(dib.width) * dib.bitCount + 7) / 8;
  return RowStride(dib) * (static_cast<size_t>(dib.height) - 1) + lastRowBytes;
}

std::vector<TColor32> DecodeDibPixels(const TByteReader& in, size_t dataOffset, const TDibLayout& dib) {
  // A short file fails before the picture is allocated.
  const bool runLength = dib.compression == kBiRle4 || dib.compression == kBiRle8;
  if (!runLength && !in.Has(dataOffset, UncompressedBytes(dib))) throw TInvalidDib{};
  if (runLength) {
    std::vector<TColor32> pixels = DecodeRunLengthRows(in, dataOffset, dib);
    const size_t width = static_cast<size_t>(dib.width);
    const size_t height = static_cast<size_t>(dib.height);
    for (size_t y = 0; y < height / 2; ++y)
      std::swap_ranges(pixels.begin() + static_cast<ptrdiff_t>(y * width),
                       pixels.begin() + static_cast<ptrdiff_t>((y + 1) * width),
                       pixels.begin() + static_cast<ptrdiff_t>((height - 1 - y) * width));
    return pixels;
  }
  std::vector<TColor32> pixels(static_cast<size_t>(dib.width) * static_cast<size_t>(dib.height));
  DecodeUncompressedRows(in, dataOffset, dib, pixels.data());
  return pixels;
}

bool AllAlphaZero(const std::vector<TColor32>& pixels) {
  return std::all_of(pixels.begin(), pixels.end(), [](TColor32 p) { return AlphaOf(p) == 0; });
}

void MakeOpaque(std::vector<TColor32>& pixels) {
  for (TColor32& p : pixels) p |= 0xFF000000u;
}

TDecodedPicture DecodeBmpOrThrow(std::span<const uint8_t> bytes) {
  const TByteReader in(bytes);
  uint32_t signature = 0;
  uint32_t dataOffset = 0;
  if (!in.U16Le(0, signature) || signature != 0x4D42 || !in.U32Le(10, dataOffset)) throw TInvalidDib{};
  TDibLayout dib;
  ReadDibHeader(in, 14, 1, "Bitmap", dib);
  TDecodedPicture picture;
  picture.Kind = TPictureKind::Bitmap;
  picture.Width = static_cast<int32_t>(dib.width);
  picture.Height = static_cast<int32_t>(dib.height);
  picture.Pixels = DecodeDibPixels(in, dataOffset, dib);
  if (dib.bitCount == 32) {
    // A 32-bit file that never set its fourth bytes means opaque, not invisible.
    if (!dib.hasAlpha || AllAlphaZero(picture.Pixels)) MakeOpaque(picture.Pixels);
    picture.BitsPerPixel = 32;
  } else {
    picture.BitsPerPixel = static_cast<int>(dib.bitCount);
  }
  return picture;
}

struct TIconEntry {
  int64_t area = 0;
  uint32_t bitCount = 0;
  uint32_t size = 0;
  uint32_t offset = 0;
};

TDecodedPicture DecodeIconOrThrow(std::span<const uint8_t> bytes) {
  const TByteReader in(bytes);
  uint32_t reserved = 0, type = 0, count = 0;
  if (!in.U16Le(0, reserved) || !in.U16Le(2, type) || !in.U16Le(4, count) || reserved != 0 ||
      (type != 1 && type != 2) || count == 0)
    throw TInvalidDib{};
  // The largest picture in the file, the deepest of equal sizes.
  TIconEntry best;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = 6 + 16 * static_cast<size_t>(i);
    uint32_t w = 0, h = 0, bits = 0;
    TIconEntry entry;
    if (!in.U8(at, w) || !in.U8(at + 1, h) || !in.U16Le(at + 6, bits) || !in.U32Le(at + 8, entry.size) ||
        !in.U32Le(at + 12, entry.offset))
      throw TInvalidDib{};
    entry.area = int64_t{w == 0 ? 256 : w} * (h == 0 ? 256 : h);
    entry.bitCount = bits;
    if (!in.Has(entry.offset, entry.size) || entry.size < 8) continue;
    if (entry.area > best.area || (entry.area == best.area && entry.bitCount > best.bitCount)) best = entry;
  }
  if (best.area == 0) throw TInvalidDib{};
  const auto data = bytes.subspan(best.offset, best.size);

  static constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (std::memcmp(data.data(), kPngSignature, 8) == 0) {
    TDecodedPicture picture = DecodePng(data);
    if (picture.BitsPerPixel < 32) MakeOpaque(picture.Pixels);
    picture.Kind = TPictureKind::IconOrMetafile;
    picture.BitsPerPixel = 32;
    return picture;
  }

  const TByteReader dibIn(data);
  TDibLayout dib;
  const size_t colorOffset = ReadDibHeader(dibIn, 0, 2, "Icon", dib);
  if (dib.compression != kBiRgb && dib.compression != kBiBitfields) throw TInvalidDib{};
  dib.topDown = false;
  TDecodedPicture picture;
  picture.Kind = TPictureKind::IconOrMetafile;
  picture.Width = static_cast<int32_t>(dib.width);
  picture.Height = static_cast<int32_t>(dib.height);
  picture.BitsPerPixel = 32;
  picture.Pixels = DecodeDibPixels(dibIn, colorOffset, dib);

  const bool ownAlpha = dib.bitCount == 32 && dib.hasAlpha && !AllAlphaZero(picture.Pixels);
  if (ownAlpha) return picture;
  // The AND mask: one bit per pixel, bottom row first, set where the icon is transparent.
  const size_t width = static_cast<size_t>(dib.width);
  const size_t height = static_cast<size_t>(dib.height);
  const size_t maskOffset = colorOffset + RowStride(dib) * height;
  const size_t maskStride = (width + 31) / 32 * 4;
  if (!dibIn.Has(maskOffset, maskStride * height)) throw TInvalidDib{};
  const uint8_t* mask = data.data() + maskOffset;
  for (size_t fileRow = 0; fileRow < height; ++fileRow) {
    TColor32* dst = picture.Pixels.data() + (height - 1 - fileRow) * width;
    const uint8_t* bits = mask + fileRow * maskStride;
    for (size_t x = 0; x < width; ++x) {
      const bool transparent = ((bits[x / 8] >> (7 - x % 8)) & 1) != 0;
      dst[x] = transparent ? (dst[x] & 0x00FFFFFFu) : (dst[x] | 0xFF000000u);
    }
  }
  return picture;
}

}  // namespace

TDecodedPicture DecodeBmp(std::span<const uint8_t> bytes) {
  try {
    return DecodeBmpOrThrow(bytes);
  } catch (const TInvalidDib&) {
    throw Error("Bitmap image is not valid");
  }
}

TDecodedPicture DecodeIcon(std::span<const uint8_t> bytes) {
  try {
    return DecodeIconOrThrow(bytes);
  } catch (const TInvalidDib&) {
    throw Error("Icon image is not valid");
  }
}

}  // namespace mirelane
