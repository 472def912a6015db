// Portable maps (pbm, pgm, ppm): the plain and raw forms P1 to P6, samples up to 16 bits.
#include <string>

#include "picture/picture_decoders.h"
#include "raster/error.h"

namespace mirelane {

namespace {

[[noreturn]] void MapFail(const char* why) {
  throw Error(std::string("Portable map image is not valid. ") + why + ".");
}

class TMapScanner {
 public:
  explicit TMapScanner(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  // A decimal number after white space and comments.
  uint32_t Number() {
    SkipSpace();
    if (pos_ >= bytes_.size() || bytes_[pos_] < '0' || bytes_[pos_] > '9') MapFail("A number is missing");
    uint64_t value = 0;
    while (pos_ < bytes_.size() && bytes_[pos_] >= '0' && bytes_[pos_] <= '9') {
      value = value * 10 + (bytes_[pos_++] - '0');
      if (value > 0xFFFFFFu) MapFail("A number is too large");
    }
    return static_cast<uint32_t>(value);
  }
  // A plain bitmap writes its bits as single digits, with or without space between them.
  uint32_t Bit() {
    SkipSpace();
    if (pos_ >= bytes_.size() || (bytes_[pos_] != '0' && bytes_[pos_] != '1')) MapFail("A pixel is missing");
    return bytes_[pos_++] - '0';
  }
  // Exactly one white space character separates the header of a raw map from its samples.
  void EndOfHeader() {
    if (pos_ >= bytes_.size() || !IsSpace(bytes_[pos_])) MapFail("The header is not terminated");
    ++pos_;
  }
  size_t Position() const { return pos_; }

 private:
  static bool IsSpace(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
  }
  void SkipSpace() {
    while (pos_ < bytes_.size()) {
      if (IsSpace(bytes_[pos_])) {
        ++pos_;
      } else if (bytes_[pos_] == '#') {
        while (pos_ < bytes_.size() && bytes_[pos_] != '\n' && bytes_[pos_] != '\r') ++pos_;
      } else {
        break;
      }
    }
  }

  std::span<const uint8_t> bytes_;
  size_t pos_ = 2;
};

}  // namespace

TDecodedPicture DecodePortableMap(std::span<const uint8_t> bytes) {
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] < '1' || bytes[1] > '6')
    MapFail("The signature is missing");
  const int kind = bytes[1] - '0';
  const bool bitmap = kind == 1 || kind == 4;
  const bool colour = kind == 3 || kind == 6;
  const bool raw = kind >= 4;
  TMapScanner scan(bytes);
  const uint32_t width = scan.Number();
  const uint32_t height = scan.Number();
  const uint32_t maxValue = bitmap ? 1 : scan.Number();
  if (maxValue == 0 || maxValue > 65535) MapFail("The largest sample value is invalid");
  CheckPictureSize("Portable map", width, height);
  if (raw) scan.EndOfHeader();

  const size_t w = width;
  const size_t h = height;
  const size_t channels = colour ? 3 : 1;
  const size_t sampleBytes = maxValue > 255 ? 2 : 1;
  size_t pos = scan.Position();
  if (raw) {
    // Raw samples are counted up front: a short file fails before the picture is allocated.
    const size_t needed = bitmap ? (w + 7) / 8 * h : w * h * channels * sampleBytes;
    if (bytes.size() - pos < needed) MapFail("The picture data is truncated");
  } else if (bytes.size() - pos < w * h * channels) {
    MapFail("The picture data is truncated");  // every plain sample takes at least one character
  }

  auto scale = [maxValue](uint32_t v) -> uint32_t {
    if (v > maxValue) MapFail("A sample exceeds the largest value");
    return (v * 255u + maxValue / 2) / maxValue;
  };
  auto rawSample = [&]() -> uint32_t {
    uint32_t v = bytes[pos++];
    if (sampleBytes == 2) v = (v << 8) | bytes[pos++];
    return scale(v);
  };

  TDecodedPicture picture;
  picture.Kind = TPictureKind::Bitmap;
  picture.Width = static_cast<int32_t>(w);
  picture.Height = static_cast<int32_t>(h);
  picture.BitsPerPixel = bitmap ? 1 : (colour ? 24 : 8);
  picture.Pixels.resize(w * h);
  for (size_t y = 0; y < h; ++y) {
    TColor32* row = picture.Pixels.data() + y * w;
    if (kind == 4) {
      const uint8_t* bits = bytes.data() + pos;
      for (size_t x = 0; x < w; ++x)
        row[x] = ((bits[x / 8] >> (7 - x % 8)) & 1) != 0 ? kColor32Black : kColor32White;
      pos += (w + 7) / 8;
      continue;
    }
    for (size_t x = 0; x < w; ++x) {
      if (kind == 1) {
        row[x] = scan.Bit() != 0 ? kColor32Black : kColor32White;  // 1 is black in a bitmap
      } else if (kind == 2) {
        const uint32_t g = scale(scan.Number());
        row[x] = Color32(g, g, g);
      } else if (kind == 3) {
        const uint32_t r = scale(scan.Number());
        const uint32_t g = scale(scan.Number());
        row[x] = Color32(r, g, scale(scan.Number()));
      } else if (kind == 5) {
        const uint32_t g = rawSample();
        row[x] = Color32(g, g, g);
      } else {
        const uint32_t r = rawSample();
        const uint32_t g = rawSample();
        row[x] = Color32(r, g, rawSample());
      }
    }
  }
  return picture;
}

}  // namespace mirelane
