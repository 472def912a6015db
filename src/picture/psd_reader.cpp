// Photoshop pictures (psd, pdd): the merged image of grey, indexed, RGB or CMYK files with 8 or 16
// bits, raw or PackBits coded, with its alpha channel (not for CMYK) and its ICC profile.
#include <algorithm>
#include <string>

#include "picture/byte_reader.h"
#include "picture/picture_decoders.h"
#include "raster/error.h"

namespace mirelane {

namespace {

[[noreturn]] void PsdFail(const char* why) {
  throw Error(std::string("Photoshop image is not valid. ") + why + ".");
}

constexpr uint32_t kModeGrey = 1, kModeIndexed = 2, kModeRgb = 3, kModeCmyk = 4;

// Skips one section that starts with its 32-bit length; returns the offset after it.
size_t SkipSection(const TByteReader& in, size_t pos, std::span<const uint8_t>* content = nullptr) {
  uint32_t length = 0;
  if (!in.U32Be(pos, length) || !in.Has(pos + 4, length)) PsdFail("A section runs past the end of the file");
  if (content != nullptr) *content = in.Bytes().subspan(pos + 4, length);
  return pos + 4 + length;
}

// PackBits: a count n below 128 copies n + 1 bytes, above 128 repeats the next byte 257 - n times.
void UnpackRow(std::span<const uint8_t> packed, uint8_t* out, size_t length) {
  size_t pos = 0;
  size_t done = 0;
  while (done < length) {
    if (pos >= packed.size()) PsdFail("A compressed row is too short");
    const uint32_t n = packed[pos++];
    if (n < 128) {
      const size_t count = n + 1;
      if (count > length - done || count > packed.size() - pos) PsdFail("A compressed row is invalid");
      std::copy_n(packed.data() + pos, count, out + done);
      pos += count;
      done += count;
    } else if (n > 128) {
      const size_t count = 257 - n;
      if (count > length - done || pos >= packed.size()) PsdFail("A compressed row is invalid");
      std::fill_n(out + done, count, packed[pos++]);
      done += count;
    }
  }
}

// The merged image is composited over white where it is transparent; undo that matte.
uint32_t RemoveWhiteMatte(uint32_t stored, uint32_t alpha) {
  if (alpha == 0 || alpha == 255) return stored;
  const int64_t value = ((int64_t{stored} - 255 + alpha) * 255 + alpha / 2) / alpha;
  return static_cast<uint32_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

// Image resource 1039 holds the ICC profile. Each resource: "8BIM", its id, a Pascal name padded to an
// even length, and its data padded likewise; a malformed list simply has no profile.
std::vector<uint8_t> EmbeddedProfile(std::span<const uint8_t> resources) {
  const TByteReader in(resources);
  size_t pos = 0;
  while (in.Has(pos, 8) && std::equal(resources.begin() + static_cast<long>(pos),
                                      resources.begin() + static_cast<long>(pos) + 4, "8BIM")) {
    uint32_t id = 0, nameLength = 0, length = 0;
    in.U16Be(pos + 4, id);
    in.U8(pos + 6, nameLength);
    const size_t lengthAt = pos + 6 + ((nameLength + 2) & ~size_t{1});
    if (!in.U32Be(lengthAt, length) || !in.Has(lengthAt + 4, length)) return {};
    if (id == 1039)
      return std::vector<uint8_t>(resources.begin() + static_cast<long>(lengthAt) + 4,
                                  resources.begin() + static_cast<long>(lengthAt + 4 + length));
    pos = lengthAt + 4 + ((size_t{length} + 1) & ~size_t{1});
  }
  return {};
}

}  // namespace

TDecodedPicture DecodePsd(std::span<const uint8_t> bytes) {
  const TByteReader in(bytes);
  if (bytes.size() < 26 || bytes[0] != '8' || bytes[1] != 'B' || bytes[2] != 'P' || bytes[3] != 'S')
    PsdFail("The signature is missing");
  uint32_t version = 0, channels = 0, height = 0, width = 0, depth = 0, mode = 0;
  in.U16Be(4, version);
  in.U16Be(12, channels);
  in.U32Be(14, height);
  in.U32Be(18, width);
  in.U16Be(22, depth);
  in.U16Be(24, mode);
  if (version != 1) PsdFail("Only version 1 files are supported");
  if (depth != 8 && depth != 16) PsdFail("The channel depth is not supported");
  const uint32_t colourChannels = mode == kModeRgb ? 3 : (mode == kModeCmyk ? 4 : 1);
  if ((mode != kModeGrey && mode != kModeIndexed && mode != kModeRgb && mode != kModeCmyk) ||
      channels < colourChannels || channels > 56)
    PsdFail("The colour mode is not supported");
  CheckPictureSize("Photoshop", width, height);

  std::span<const uint8_t> colourData;
  size_t pos = SkipSection(in, 26, &colourData);
  std::span<const uint8_t> resources;
  pos = SkipSection(in, pos, &resources);
  pos = SkipSection(in, pos);  // layers and masks
  uint32_t compression = 0;
  if (!in.U16Be(pos, compression)) PsdFail("The picture data is missing");
  pos += 2;
  if (mode == kModeIndexed && colourData.size() < 768) PsdFail("The colour table is missing");

  // Only the colour channels and the one alpha channel after them are needed. The inks of a CMYK
  // file fill all four bytes of a pixel until the colour step, so its extra channels (in print
  // files mostly saved selections and spot colours) are left out and the white matte stays.
  const bool cmyk = mode == kModeCmyk;
  const bool hasAlpha = channels > colourChannels && mode != kModeIndexed && !cmyk;
  const uint32_t used = colourChannels + (hasAlpha ? 1 : 0);
  const size_t sampleBytes = depth / 8;
  const size_t rowBytes = size_t{width} * sampleBytes;
  const size_t planeSize = size_t{width} * height;
  // The data must be able to fill the picture before the picture is allocated: raw rows are all
  // there, and every PackBits row is long enough for its width (two bytes yield at most 128).
  if (compression == 0) {
    if (!in.Has(pos, rowBytes * height * used)) PsdFail("The picture data is truncated");
  } else if (compression == 1) {
    if (!in.Has(pos, size_t{height} * channels * 2)) PsdFail("The row table is truncated");
    size_t total = 0;
    for (size_t i = 0; i < size_t{height} * used; ++i) {
      uint32_t packedLength = 0;
      in.U16Be(pos + 2 * i, packedLength);
      if (size_t{packedLength} * 64 < rowBytes) PsdFail("A compressed row is too short");
      total += packedLength;
    }
    if (!in.Has(pos + size_t{height} * channels * 2, total)) PsdFail("The picture data is truncated");
  } else {
    PsdFail("The compression is not supported");
  }
  TDecodedPicture picture;
  picture.IccProfile = EmbeddedProfile(resources);
  picture.Kind = TPictureKind::Bitmap;
  picture.Width = static_cast<int32_t>(width);
  picture.Height = static_cast<int32_t>(height);
  picture.BitsPerPixel = hasAlpha ? 32 : 24;
  // Each channel goes straight into one byte of the pixels (grey and palette indices into red), and
  // the colours are finished in place afterwards.
  picture.Pixels.assign(planeSize, 0xFF000000u);
  std::vector<uint8_t> row(rowBytes);
  size_t dataPos = compression == 1 ? pos + size_t{height} * channels * 2 : pos;
  for (uint32_t c = 0; c < used; ++c) {
    const uint32_t shift = cmyk ? 8 * c : (hasAlpha && c == used - 1 ? 24 : 16 - 8 * c);
    const uint32_t keep = ~(0xFFu << shift);
    for (uint32_t y = 0; y < height; ++y) {
      const uint8_t* source = nullptr;
      if (compression == 0) {
        source = bytes.data() + dataPos;
        dataPos += rowBytes;
      } else {
        uint32_t packedLength = 0;
        in.U16Be(pos + (size_t{c} * height + y) * 2, packedLength);
        if (!in.Has(dataPos, packedLength)) PsdFail("The picture data is truncated");
        UnpackRow(bytes.subspan(dataPos, packedLength), row.data(), rowBytes);
        dataPos += packedLength;
        source = row.data();
      }
      TColor32* out = picture.Pixels.data() + size_t{y} * width;
      for (size_t x = 0; x < width; ++x)
        out[x] = (out[x] & keep) | (uint32_t{source[x * sampleBytes]} << shift);  // the high byte
    }
  }
  if (cmyk) {
    picture.Samples = TSampleSpace::InvertedInks;  // Photoshop stores 255 for no ink
    return picture;
  }
  for (TColor32& p : picture.Pixels) {
    const uint32_t a = AlphaOf(p);
    uint32_t r = RedOf(p), g = r, b = r;
    if (mode == kModeRgb) {
      g = GreenOf(p);
      b = BlueOf(p);
    } else if (mode == kModeIndexed) {
      // The table holds 256 reds, then 256 greens, then 256 blues.
      g = colourData[256 + r];
      b = colourData[512 + r];
      r = colourData[r];
    }
    p = Color32(RemoveWhiteMatte(r, a), RemoveWhiteMatte(g, a), RemoveWhiteMatte(b, a), a);
  }
  return picture;
}

}  // namespace mirelane
