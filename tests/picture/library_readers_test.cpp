// The JPEG, GIF and TIFF/EPS readers on small files written with their libraries.
#include <gtest/gtest.h>

#include "picture/decode_checks.h"
#include "picture/picture_decoders.h"
#include "picture/picture_fixtures.h"
#include "picture/picture_writer.h"
#include "raster/bitmap32.h"
#include "raster/error.h"

namespace mirelane {
namespace {

using fixtures::Bytes;

using fixtures::Load;
using fixtures::MessageOf;

// ---- JPEG ----

TEST(DecodeJpeg, ColourPictureLoadsOpaqueAtFullSize) {
  TBitmap32 picture(33, 17);
  picture.Clear(0x40204080u);  // the alpha is not stored
  const TDecodedPicture decoded = DecodeJpeg(EncodeJpg(picture, 96));
  EXPECT_EQ(decoded.Kind, TPictureKind::Other);
  EXPECT_EQ(decoded.Width, 33);
  EXPECT_EQ(decoded.Height, 17);
  for (TColor32 p : Load(decoded)) {
    ASSERT_EQ(AlphaOf(p), 255u);
    ASSERT_NEAR(static_cast<int>(RedOf(p)), 0x20, 2);
    ASSERT_NEAR(static_cast<int>(GreenOf(p)), 0x40, 2);
    ASSERT_NEAR(static_cast<int>(BlueOf(p)), 0x80, 2);
  }
}

TEST(DecodeJpeg, GreyPictureBecomesGreyRgb) {
  for (TColor32 p : Load(DecodeJpeg(fixtures::GreyJpeg(9, 5, 77)))) ASSERT_EQ(p, 0xFF4D4D4Du);
}

TEST(DecodeJpeg, CmykAndYcckAreHandedOnAsTheStoredInks) {
  struct Case {
    const char* name;
    J_COLOR_SPACE stored;
    bool adobe;
    std::vector<JSAMPLE> samples;  // as written in the file
  };
  const Case cases[] = {
      {"plain red", JCS_CMYK, false, {0, 255, 255, 0}},
      {"plain cyan under black", JCS_CMYK, false, {255, 0, 0, 51}},
      // Adobe files hold the inks inverted, and YCCK decodes to those inverted inks.
      {"Adobe red", JCS_CMYK, true, {255, 0, 0, 255}},
      {"Adobe YCCK blue", JCS_YCCK, true, {0, 0, 255, 255}},
      {"Adobe YCCK grey", JCS_YCCK, true, {255, 255, 255, 200}},
  };
  for (const Case& c : cases) {
    const TDecodedPicture picture = DecodeJpeg(fixtures::CmykJpeg(16, 8, c.samples, c.stored, c.adobe));
    ASSERT_EQ(picture.Width, 16) << c.name;
    EXPECT_EQ(picture.Samples, c.adobe ? TSampleSpace::InvertedInks : TSampleSpace::Inks) << c.name;
    // Lossy coding moves a flat colour by a level or two.
    for (const TColor32 p : {picture.Pixels.front(), picture.Pixels.back()})
      for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(int(p >> (8 * i) & 0xFF), int(c.samples[size_t(i)]), 3) << c.name;
  }
}

TEST(DecodeJpeg, BrokenFilesReportTheDecodersOwnWords) {
  const Bytes good = EncodeJpg(TBitmap32(16, 16), 96);
  const struct {
    Bytes bytes;
    const char* message;
  } cases[] = {
      {Bytes{}, "JPEG image is not valid. The file is empty."},
      {Bytes{0x89, 'P', 'N', 'G'}, "JPEG image is not valid. Not a JPEG file: starts with 0x89 0x50."},
      {Bytes{0xFF, 0xD8, 0xFF, 0xD9}, "JPEG image is not valid. JPEG datastream contains no image."},
      {Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2)),
       "JPEG image is not valid. Premature end of JPEG file."},
      {Bytes(good.begin(), good.begin() + 200), "JPEG image is not valid. Premature end of JPEG file."},
  };
  for (const auto& c : cases) EXPECT_EQ(MessageOf(DecodeJpeg, c.bytes), c.message);
}

TEST(DecodeJpeg, OversizedFrameIsRefusedBeforeDecoding) {
  Bytes jpg = EncodeJpg(TBitmap32(8, 8), 96);
  for (size_t i = 2; i + 9 < jpg.size(); ++i)
    if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0) {  // the frame header: height at +5, width at +7
      jpg[i + 5] = 0x4E;
      jpg[i + 6] = 0x20;
      jpg[i + 7] = 0x4E;
      jpg[i + 8] = 0x20;
      break;
    }
  EXPECT_EQ(
      MessageOf(DecodeJpeg, jpg),
      "JPEG image is too large (20000 x 20000 pixels; the limit is 8192 x 8192 pixels, 65535 on a side).");
}

// A small file with its frame header (marker 0xFFC0 or 0xFFC2) declaring 7944 x 7944 pixels.
Bytes JpegDeclaringMore(Bytes jpg, uint8_t frameMarker) {
  for (size_t i = 2; i + 9 < jpg.size(); ++i)
    if (jpg[i] == 0xFF && jpg[i + 1] == frameMarker) {
      jpg[i + 5] = jpg[i + 7] = 0x1F;
      break;
    }
  return jpg;
}

TEST(DecodeJpeg, PictureLargerThanItsDataIsRefused) {
  const struct {
    const char* name;
    Bytes jpg;
  } cases[] = {
      {"progressive", JpegDeclaringMore(fixtures::ProgressiveJpeg(8, 8), 0xC2)},
      {"baseline grey", JpegDeclaringMore(fixtures::GreyJpeg(8, 8, 9), 0xC0)},
      {"baseline CMYK", JpegDeclaringMore(fixtures::CmykJpeg(8, 8, {1, 2, 3, 4}, JCS_CMYK, false), 0xC0)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MessageOf(DecodeJpeg, c.jpg),
              "JPEG image is not valid. The picture data is too short for its size.")
        << c.name;
  // A flat picture compresses about as far as a JPEG can, and still loads.
  EXPECT_EQ(DecodeJpeg(fixtures::GreyJpeg(1024, 1024, 77)).Width, 1024);
  EXPECT_EQ(DecodeJpeg(fixtures::ProgressiveJpeg(8, 8)).Width, 8);
}

// ---- GIF ----

const std::vector<GifColorType> kGifColours = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

TEST(DecodeGif, TransparentIndexGivesAlphaZeroOnExactlyThosePixels) {
  const Bytes gif = fixtures::GifFile(3, 2, kGifColours, {{3, 2, {0, 1, 2, 3, 2, 1}, 2}});
  EXPECT_EQ(Load(DecodeGif(gif)), (std::vector<TColor32>{0xFF000000u, 0xFFFF0000u, 0x0000FF00u, 0xFF0000FFu,
                                                         0x0000FF00u, 0xFFFF0000u}));
}

TEST(DecodeGif, WithoutTransparencyEveryPixelIsOpaque) {
  const Bytes gif = fixtures::GifFile(2, 1, kGifColours, {{2, 1, {3, 0}}});
  EXPECT_EQ(Load(DecodeGif(gif)), (std::vector<TColor32>{0xFF0000FFu, 0xFF000000u}));
}

TEST(DecodeGif, InterlacedRowsArePlacedCorrectly) {
  std::vector<uint8_t> indices;
  for (int y = 0; y < 10; ++y) indices.insert(indices.end(), {static_cast<uint8_t>(y % 4), 0});
  fixtures::GifFrame frame{2, 10, indices};
  frame.interlace = true;
  const auto loaded = Load(DecodeGif(fixtures::GifFile(2, 10, kGifColours, {frame})));
  for (int y = 0; y < 10; ++y) {
    const GifColorType& c = kGifColours[static_cast<size_t>(y % 4)];
    EXPECT_EQ(loaded[static_cast<size_t>(2 * y)], Color32(c.Red, c.Green, c.Blue)) << y;
  }
}

TEST(DecodeGif, AnimatedFileYieldsItsFirstFrame) {
  const Bytes gif = fixtures::GifFile(2, 1, kGifColours, {{2, 1, {1, 1}}, {2, 1, {2, 2}, 0}});
  EXPECT_EQ(Load(DecodeGif(gif)), (std::vector<TColor32>{0xFFFF0000u, 0xFFFF0000u}));
}

TEST(DecodeGif, BrokenFilesFailWithAMessage) {
  const Bytes good = fixtures::GifFile(4, 4, kGifColours, {{4, 4, std::vector<uint8_t>(16, 1)}});
  const Bytes cases[] = {Bytes{}, Bytes{'G', 'I', 'F'},
                         Bytes{'P', 'N', 'G', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0},
                         Bytes(good.begin(), good.end() - 8), Bytes(good.begin(), good.begin() + 13)};
  for (const Bytes& bytes : cases) EXPECT_EQ(MessageOf(DecodeGif, bytes).rfind("GIF image ", 0), 0u);
}

TEST(DecodeGif, OversizedImageIsRefused) {
  Bytes gif = fixtures::GifFile(2, 1, kGifColours, {{2, 1, {1, 1}}});
  for (size_t i = 13 + 12; i + 9 < gif.size(); ++i)
    if (gif[i] == 0x2C) {  // the image descriptor: width at +5, height at +7
      gif[i + 5] = gif[i + 6] = gif[i + 7] = gif[i + 8] = 0xFF;
      break;
    }
  EXPECT_EQ(
      MessageOf(DecodeGif, gif),
      "GIF image is too large (65535 x 65535 pixels; the limit is 8192 x 8192 pixels, 65535 on a side).");
}

TEST(DecodeGif, PictureLargerThanTheFileCanHoldIsRefusedBeforeAllocation) {
  Bytes gif = fixtures::GifFile(2, 1, kGifColours, {{2, 1, {1, 1}}});
  for (size_t i = 13 + 12; i + 9 < gif.size(); ++i)
    if (gif[i] == 0x2C) {
      gif[i + 5] = gif[i + 7] = 0x00;  // 8192 x 8192 pixels from a few bytes of data
      gif[i + 6] = gif[i + 8] = 0x20;
      break;
    }
  EXPECT_EQ(MessageOf(DecodeGif, gif), "GIF image is not valid. The picture data is too short for its size.");
}

// ---- TIFF and EPS ----

TEST(DecodeTiff, RgbLoadsOpaque) {
  const Bytes tiff = fixtures::TiffFile(2, 2, 3, false, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  const TDecodedPicture decoded = DecodeTiff(tiff);
  EXPECT_EQ(decoded.BitsPerPixel, 24);
  EXPECT_EQ(Load(decoded), (std::vector<TColor32>{0xFF010203u, 0xFF040506u, 0xFF070809u, 0xFF0A0B0Cu}));
}

TEST(DecodeTiff, CompressedGreyLoads) {
  const Bytes tiff = fixtures::TiffFile(3, 1, 1, false, {0, 128, 255}, COMPRESSION_ADOBE_DEFLATE);
  EXPECT_EQ(Load(DecodeTiff(tiff)), (std::vector<TColor32>{0xFF000000u, 0xFF808080u, 0xFFFFFFFFu}));
}

TEST(DecodeTiff, AlphaLoadsExactlyAsStored) {
  struct Case {
    const char* name;
    int samples;
    uint16_t compression;
    uint16_t alphaKind;
    Bytes data;
    std::vector<TColor32> expected;
  };
  const Case cases[] = {
      // Low alpha is where a premultiplied round trip loses the colour: 200 at alpha 3 came back as 170.
      {"unassociated RGBA",
       4,
       COMPRESSION_NONE,
       EXTRASAMPLE_UNASSALPHA,
       {200, 100, 50, 3, 10, 20, 30, 0, 240, 120, 60, 128, 1, 2, 3, 255},
       {0x03C86432u, 0x000A141Eu, 0x80F0783Cu, 0xFF010203u}},
      {"unassociated RGBA, LZW",
       4,
       COMPRESSION_LZW,
       EXTRASAMPLE_UNASSALPHA,
       {255, 254, 253, 1, 7, 77, 177, 8, 0, 0, 0, 0, 9, 9, 9, 9},
       {0x01FFFEFDu, 0x08074DB1u, 0x00000000u, 0x09090909u}},
      {"grey with unassociated alpha",
       2,
       COMPRESSION_ADOBE_DEFLATE,
       EXTRASAMPLE_UNASSALPHA,
       {90, 2, 180, 255, 30, 0, 255, 77},
       {0x025A5A5Au, 0xFFB4B4B4u, 0x001E1E1Eu, 0x4DFFFFFFu}},
      // Associated alpha goes through libtiff's RGBA reading and is made straight again.
      {"associated RGBA",
       4,
       COMPRESSION_NONE,
       EXTRASAMPLE_ASSOCALPHA,
       {10, 20, 30, 255, 0, 0, 0, 0, 255, 255, 255, 255, 64, 32, 16, 128},
       {0xFF0A141Eu, 0x00000000u, 0xFFFFFFFFu, 0x80804020u}},
  };
  for (const Case& c : cases) {
    const Bytes tiff = fixtures::TiffFile(2, 2, c.samples, true, c.data, c.compression, c.alphaKind);
    const TDecodedPicture decoded = DecodeTiff(tiff);
    EXPECT_EQ(decoded.BitsPerPixel, 32) << c.name;
    EXPECT_EQ(Load(decoded), c.expected) << c.name;
  }
}

TEST(DecodeTiff, BrokenFilesFailWithAMessage) {
  const Bytes good = fixtures::TiffFile(16, 16, 3, false, Bytes(16 * 16 * 3, 9));
  const struct {
    Bytes bytes;
    const char* message;
  } cases[] = {
      {Bytes{}, "TIFF image is not valid. Cannot read TIFF header."},
      {Bytes{'I', 'I', 42, 0}, "TIFF image is not valid. Cannot read TIFF header."},
      {Bytes{'M', 'M', 0, 42, 0, 0, 0, 8}, "TIFF image is not valid. Can not read TIFF directory count."},
      {Bytes(good.begin(), good.begin() + 300),
       "TIFF image is not valid. Can not read TIFF directory count."},
  };
  for (const auto& c : cases) EXPECT_EQ(MessageOf(DecodeTiff, c.bytes), c.message);
}

Bytes EpsWithPreview(const Bytes& tiff) {
  Bytes eps = {0xC5, 0xD0, 0xD3, 0xC6};
  const Bytes postscript = {'%', '!', 'P', 'S'};
  fixtures::Le32(eps, 30);
  fixtures::Le32(eps, static_cast<uint32_t>(postscript.size()));
  fixtures::Le32(eps, 0);
  fixtures::Le32(eps, 0);
  fixtures::Le32(eps, 30 + static_cast<uint32_t>(postscript.size()));
  fixtures::Le32(eps, static_cast<uint32_t>(tiff.size()));
  fixtures::Le16(eps, 0xFFFF);
  eps.insert(eps.end(), postscript.begin(), postscript.end());
  eps.insert(eps.end(), tiff.begin(), tiff.end());
  return eps;
}

TEST(DecodeEps, ReadsTheTiffPreview) {
  const Bytes tiff = fixtures::TiffFile(2, 1, 3, false, {9, 8, 7, 6, 5, 4});
  EXPECT_EQ(Load(DecodeEps(EpsWithPreview(tiff))), (std::vector<TColor32>{0xFF090807u, 0xFF060504u}));
}

TEST(DecodeEps, FailureMessages) {
  Bytes outside = EpsWithPreview(fixtures::TiffFile(2, 1, 3, false, {9, 8, 7, 6, 5, 4}));
  outside[24] = 0xFF;  // the preview's length now runs past the end
  Bytes noPreview = EpsWithPreview({});
  const std::pair<Bytes, std::string> cases[] = {
      {Bytes{'%', '!', 'P', 'S', '-', 'A', 'd', 'o', 'b', 'e'},
       "EPS image is not valid. The file has no preview header."},
      {noPreview, "EPS image has no TIFF preview."},
      {outside, "EPS image is not valid. The TIFF preview lies outside the file."},
  };
  for (const auto& [eps, message] : cases) EXPECT_EQ(MessageOf(DecodeEps, eps), message);
}

}  // namespace
}  // namespace mirelane
