// Small files that declare huge pictures: every reader refuses them before allocating, naming the size.
#include <gtest/gtest.h>

#include "picture/decode_checks.h"
#include "picture/picture_decoders.h"
#include "picture/picture_fixtures.h"
#include "picture/picture_reader.h"

namespace mirelane {
namespace {

using fixtures::Bytes;
using fixtures::MessageOf;

// The 1,086-byte run-length bitmap that declares 16384 x 16384 pixels and holds two runs.
Bytes RunLengthBomb() {
  Bytes palette;
  for (int i = 0; i < 256; ++i) palette.insert(palette.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
  return fixtures::BmpFile(16384, 16384, 8, 1, palette, {255, 7, 0, 0, 255, 9, 0, 1}, 256);
}

Bytes TargaHeader(uint32_t width, uint32_t height) {
  Bytes out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  fixtures::Le16(out, width);
  fixtures::Le16(out, height);
  out.insert(out.end(), {24, 0});
  return out;
}

Bytes PcxHeader(uint32_t width, uint32_t height) {
  Bytes out(128, 0);
  out[0] = 0x0A;
  out[2] = 1;
  out[3] = 8;
  out[8] = static_cast<uint8_t>(width - 1);
  out[9] = static_cast<uint8_t>((width - 1) >> 8);
  out[10] = static_cast<uint8_t>(height - 1);
  out[11] = static_cast<uint8_t>((height - 1) >> 8);
  out[65] = 1;
  out[66] = static_cast<uint8_t>(width);
  out[67] = static_cast<uint8_t>(width >> 8);
  return out;
}

Bytes SgiHeader(uint32_t width, uint32_t height) {
  Bytes out(512, 0);
  out[1] = 0xDA;  // 474
  out[0] = 0x01;
  out[2] = 1;  // run-length
  out[3] = 1;
  out[5] = 2;
  out[6] = static_cast<uint8_t>(width >> 8);
  out[7] = static_cast<uint8_t>(width);
  out[8] = static_cast<uint8_t>(height >> 8);
  out[9] = static_cast<uint8_t>(height);
  return out;
}

// A small valid file whose size fields (found by their byte pattern) are rewritten.
Bytes JpegDeclaring(uint32_t width, uint32_t height) {
  Bytes jpg = fixtures::GreyJpeg(8, 8, 100);
  for (size_t i = 2; i + 9 < jpg.size(); ++i)
    if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0) {
      jpg[i + 5] = static_cast<uint8_t>(height >> 8);
      jpg[i + 6] = static_cast<uint8_t>(height);
      jpg[i + 7] = static_cast<uint8_t>(width >> 8);
      jpg[i + 8] = static_cast<uint8_t>(width);
      break;
    }
  return jpg;
}

Bytes GifDeclaring(uint32_t width, uint32_t height) {
  Bytes gif = fixtures::GifFile(2, 1, {{0, 0, 0}, {255, 255, 255}}, {{2, 1, {1, 1}}});
  for (size_t i = 13 + 6; i + 9 < gif.size(); ++i)
    if (gif[i] == 0x2C) {
      gif[i + 5] = static_cast<uint8_t>(width);
      gif[i + 6] = static_cast<uint8_t>(width >> 8);
      gif[i + 7] = static_cast<uint8_t>(height);
      gif[i + 8] = static_cast<uint8_t>(height >> 8);
      break;
    }
  return gif;
}

// A 1 x 1 TIFF written with marker sizes, then given the wanted ones in its directory.
Bytes TiffDeclaring(uint32_t width, uint32_t height) {
  Bytes tif = fixtures::TiffFile(0x1357, 1, 1, false, Bytes(0x1357, 7));
  for (size_t i = 8; i + 12 <= tif.size(); i += 2) {
    const uint32_t tag = tif[i] | (tif[i + 1] << 8);
    if ((tag == 256 || tag == 257) && tif[i + 2] == 3 && tif[i + 4] == 1) {  // SHORT, count 1
      const uint32_t value = tag == 256 ? width : height;
      tif[i + 2] = 4;  // LONG
      tif[i + 8] = static_cast<uint8_t>(value);
      tif[i + 9] = static_cast<uint8_t>(value >> 8);
      tif[i + 10] = static_cast<uint8_t>(value >> 16);
      tif[i + 11] = static_cast<uint8_t>(value >> 24);
    }
  }
  return tif;
}

Bytes Ascii(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

TEST(PictureLimits, PicturesBeyondTheLimitAreRefusedWithTheirSize) {
  const std::string limit = " pixels; the limit is 8192 x 8192 pixels, 65535 on a side).";
  const struct Case {
    const char* extension;
    Bytes bytes;
    std::string message;
  } cases[] = {
      {"rle", RunLengthBomb(), "Bitmap image is too large (16384 x 16384" + limit},
      {"png", fixtures::PngFile({{"IHDR", fixtures::Ihdr(8193, 8192, 1, 0)}, {"IEND", {}}}),
       "PNG image is too large (8193 x 8192" + limit},
      {"jpg", JpegDeclaring(8192, 8193), "JPEG image is too large (8192 x 8193" + limit},
      {"gif", GifDeclaring(16384, 4097), "GIF image is too large (16384 x 4097" + limit},
      {"tif", TiffDeclaring(8193, 8193), "TIFF image is too large (8193 x 8193" + limit},
      {"tga", TargaHeader(8193, 8192), "Targa image is too large (8193 x 8192" + limit},
      {"pcx", PcxHeader(8192, 8193), "PCX image is too large (8192 x 8193" + limit},
      {"sgi", SgiHeader(8193, 8193), "SGI image is too large (8193 x 8193" + limit},
      {"pbm", Ascii("P4 8193 8192\n"), "Portable map image is too large (8193 x 8192" + limit},
      // Long and thin: within the pixel count, over the side limit.
      {"pgm", Ascii("P5 65536 1 255\n"), "Portable map image is too large (65536 x 1" + limit},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MessageOf([&] { ReadPictureFromMemory(c.extension, c.bytes); }), c.message) << c.extension;
}

TEST(PictureLimits, ALongBannerWithinThePixelCountLoads) {
  Bytes banner = Ascii("P5 65535 2 255\n");
  banner.resize(banner.size() + 2 * 65535, 40);
  const TDecodedPicture picture = ReadPictureFromMemory("pgm", banner);
  EXPECT_EQ(picture.Width, 65535);
  EXPECT_EQ(picture.Height, 2);
  EXPECT_EQ(picture.Pixels.back(), 0xFF282828u);
}

}  // namespace
}  // namespace mirelane
