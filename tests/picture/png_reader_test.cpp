// The PNG reader: every colour type with its alpha, gamma, interlacing, and the failure messages.
#include <gtest/gtest.h>

#include <cmath>

#include "picture/decode_checks.h"
#include "picture/picture_decoders.h"
#include "picture/picture_fixtures.h"
#include "raster/bitmap32.h"
#include "raster/error.h"

namespace mirelane {
namespace {

using fixtures::Bytes;
using fixtures::PngChunk;

// The surface a PNG loads into: decoding followed by Assign.
std::vector<TColor32> LoadPng(const Bytes& png) {
  return fixtures::Load(DecodePng(png));
}

Bytes SimplePng(uint32_t width, uint32_t height, int depth, int colorType, const Bytes& rows,
                std::vector<PngChunk> extra = {}) {
  const size_t bytesPerRow = rows.size() / height;
  std::vector<PngChunk> chunks = {{"IHDR", fixtures::Ihdr(width, height, depth, colorType)}};
  chunks.insert(chunks.end(), extra.begin(), extra.end());
  chunks.push_back({"IDAT", fixtures::Deflate(fixtures::UnfilteredRows(rows, bytesPerRow))});
  chunks.push_back({"IEND", {}});
  return fixtures::PngFile(chunks);
}

std::string MessageOf(const Bytes& png) {
  return fixtures::MessageOf(DecodePng, png);
}

TEST(DecodePng, RgbaKeepsItsAlpha) {
  const Bytes rows = {10, 20, 30, 0, 40, 50, 60, 128, 70, 80, 90, 255};
  EXPECT_EQ(LoadPng(SimplePng(3, 1, 8, 6, rows)),
            (std::vector<TColor32>{0x000A141Eu, 0x8028323Cu, 0xFF46505Au}));
}

TEST(DecodePng, GreyWithAlphaKeepsItsAlpha) {
  const Bytes rows = {200, 0, 100, 77, 50, 255};
  EXPECT_EQ(LoadPng(SimplePng(3, 1, 8, 4, rows)),
            (std::vector<TColor32>{0x00C8C8C8u, 0x4D646464u, 0xFF323232u}));
}

TEST(DecodePng, RgbWithTransparentWhiteCutsExactlyTheWhitePixels) {
  const Bytes rows = {255, 255, 255, 255, 255, 254, 0, 0, 0, 255, 255, 255};
  const Bytes white = {0, 255, 0, 255, 0, 255};
  EXPECT_EQ(LoadPng(SimplePng(4, 1, 8, 2, rows, {{"tRNS", white}})),
            (std::vector<TColor32>{0x00FFFFFFu, 0xFFFFFFFEu, 0xFF000000u, 0x00FFFFFFu}));
}

TEST(DecodePng, GreyWithTransparentValue) {
  const Bytes rows = {7, 8, 7};
  EXPECT_EQ(LoadPng(SimplePng(3, 1, 8, 0, rows, {{"tRNS", {0, 7}}})),
            (std::vector<TColor32>{0x00070707u, 0xFF080808u, 0x00070707u}));
}

TEST(DecodePng, PaletteAppliesTransparencyToEachEntry) {
  const Bytes palette = {255, 0, 0, 0, 255, 0, 0, 0, 255};
  const Bytes alphas = {0, 128};  // the third entry has no alpha listed: opaque
  const Bytes rows = {0, 1, 2, 1};
  EXPECT_EQ(LoadPng(SimplePng(4, 1, 8, 3, rows, {{"PLTE", palette}, {"tRNS", alphas}})),
            (std::vector<TColor32>{0x00FF0000u, 0x8000FF00u, 0xFF0000FFu, 0x8000FF00u}));
}

TEST(DecodePng, PaletteWithoutTransparencyIsOpaque) {
  const Bytes palette = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(LoadPng(SimplePng(2, 1, 8, 3, {1, 0}, {{"PLTE", palette}})),
            (std::vector<TColor32>{0xFF040506u, 0xFF010203u}));
}

TEST(DecodePng, RgbAndGreyWithoutTransparencyAreOpaque) {
  EXPECT_EQ(LoadPng(SimplePng(1, 1, 8, 2, {1, 2, 3})), (std::vector<TColor32>{0xFF010203u}));
  EXPECT_EQ(LoadPng(SimplePng(1, 1, 8, 0, {9})), (std::vector<TColor32>{0xFF090909u}));
  EXPECT_EQ(DecodePng(SimplePng(1, 1, 8, 2, {1, 2, 3})).BitsPerPixel, 24);
}

TEST(DecodePng, SixteenBitSamplesBecomeEightBits) {
  const Bytes rows = {0xAB, 0xAB, 0x00, 0x00, 0xFF, 0xFF, 0x80, 0x80};
  EXPECT_EQ(LoadPng(SimplePng(1, 1, 16, 6, rows)), (std::vector<TColor32>{0x80AB00FFu}));
}

TEST(DecodePng, OneBitGreyExpandsToBlackAndWhite) {
  EXPECT_EQ(LoadPng(SimplePng(3, 1, 1, 0, {0xA0})),
            (std::vector<TColor32>{0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu}));
}

TEST(DecodePng, InterlacedEqualsPlain) {
  const size_t w = 5, h = 6;
  Bytes pixels;
  for (size_t i = 0; i < w * h * 4; ++i) pixels.push_back(static_cast<uint8_t>(i * 37 + 11));
  const Bytes plain = SimplePng(w, h, 8, 6, pixels);
  const Bytes interlaced =
      fixtures::PngFile({{"IHDR", fixtures::Ihdr(w, h, 8, 6, 1)},
                         {"IDAT", fixtures::Deflate(fixtures::Adam7Rows(pixels, w, h, 4))},
                         {"IEND", {}}});
  EXPECT_EQ(LoadPng(interlaced), LoadPng(plain));
}

TEST(DecodePng, FileGammaCorrectsColourButNotAlpha) {
  const Bytes rows = {0, 64, 128, 100, 255, 200, 1, 50};
  Bytes gamma;
  fixtures::Be32(gamma, 100000);  // 1.0
  const auto loaded = LoadPng(SimplePng(2, 1, 8, 6, rows, {{"gAMA", gamma}}));
  auto expect = [](int v) {
    return static_cast<uint32_t>(std::nearbyint(255.0 * std::pow(v / 255.0, 1 / 2.2)));
  };
  EXPECT_EQ(loaded[0], Color32(expect(0), expect(64), expect(128), 100));
  EXPECT_EQ(loaded[1], Color32(expect(255), expect(200), expect(1), 50));
  EXPECT_EQ(expect(64), 136u);  // the correction really changes the sample

  Bytes neutral;
  fixtures::Be32(neutral, 45455);
  EXPECT_EQ(LoadPng(SimplePng(2, 1, 8, 6, rows, {{"gAMA", neutral}})), LoadPng(SimplePng(2, 1, 8, 6, rows)));
}

TEST(DecodePng, AncillaryUnknownChunksAreSkipped) {
  EXPECT_EQ(LoadPng(SimplePng(1, 1, 8, 2, {5, 6, 7}, {{"teSt", {1, 2, 3}}})),
            (std::vector<TColor32>{0xFF050607u}));
}

TEST(DecodePng, FailureMessages) {
  const Bytes rgb = {1, 2, 3};
  Bytes badCrc = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  fixtures::AppendChunk(badCrc, "IHDR", fixtures::Ihdr(1, 1, 8, 2), true);
  fixtures::AppendChunk(badCrc, "IDAT", fixtures::Deflate({0, 1, 2, 3}));
  fixtures::AppendChunk(badCrc, "IEND", {});
  const std::pair<Bytes, std::string> cases[] = {
      {Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0},
       "Cannot load image. Invalid or unexpected PNG image format."},
      {Bytes{}, "Cannot load image. Invalid or unexpected PNG image format."},
      {badCrc, "Cannot load image. CRC error found in PNG file."},
      {SimplePng(1, 1, 8, 3, {0}, {{"PLTE", {1, 2, 3, 4}}}),
       "Cannot load image. Palette in PNG file is invalid."},
      {fixtures::PngFile({{"IHDR", fixtures::Ihdr(1, 1, 8, 2, 0, 1)}, {"IEND", {}}}),
       "Cannot load image. The compression scheme is not supported for PNG files."},
      {SimplePng(1, 1, 3, 2, rgb), "Invalid color format in PNG file."},
      {SimplePng(1, 1, 8, 5, rgb), "Invalid color format in PNG file."},
      {fixtures::PngFile(
           {{"IHDR", fixtures::Ihdr(1, 1, 8, 2)}, {"IDAT", {0x78, 0x9C, 0xFF, 0xFF, 0xFF}}, {"IEND", {}}}),
       "LZ77 decompression error."},
      {SimplePng(1, 1, 8, 2, rgb, {{"ABCD", {1}}}),
       "Cannot load PNG image. Unexpected but critical chunk detected."},
  };
  for (const auto& [png, message] : cases) EXPECT_EQ(MessageOf(png), message);
}

TEST(DecodePng, TruncatedFileFailsWithAMessage) {
  Bytes pixels(64 * 64 * 4);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 131);
  const Bytes whole = SimplePng(64, 64, 8, 6, pixels);
  for (size_t cut : {size_t{8}, size_t{20}, size_t{40}, whole.size() / 2, whole.size() - 13}) {
    const Bytes part(whole.begin(), whole.begin() + static_cast<long>(cut));
    EXPECT_NE(MessageOf(part), "(no error)") << cut;
  }
}

TEST(DecodePng, OversizedPicturesAreRefusedBeforeAllocation) {
  const std::pair<uint32_t, uint32_t> sizes[] = {{70000, 1}, {1, 65536}, {20000, 20000}};
  for (const auto& [w, h] : sizes) {
    const Bytes png = fixtures::PngFile({{"IHDR", fixtures::Ihdr(w, h, 8, 6)}, {"IEND", {}}});
    const std::string message = MessageOf(png);
    EXPECT_NE(message.find("too large"), std::string::npos) << message;
  }
}

TEST(DecodePng, PictureLargerThanItsDataCanHoldIsRefused) {
  for (int interlace : {0, 1}) {
    const Bytes png = fixtures::PngFile({{"IHDR", fixtures::Ihdr(8000, 8000, 8, 6, interlace)},
                                         {"IDAT", fixtures::Deflate(Bytes(100, 0))},
                                         {"IEND", {}}});
    EXPECT_EQ(MessageOf(png), "LZ77 decompression error.") << interlace;
  }
}

// A 57-byte file: IHDR, then an ancillary chunk claiming 2 GiB with nothing behind it, then IEND.
Bytes ForgedChunkPng(const std::string& type) {
  Bytes out = fixtures::PngFile({{"IHDR", fixtures::Ihdr(1, 1, 8, 0)}});
  fixtures::Be32(out, 0x7FFFFFF0u);
  out.insert(out.end(), type.begin(), type.end());
  fixtures::Be32(out, 0);
  fixtures::AppendChunk(out, "IEND", {});
  return out;
}

TEST(DecodePng, AncillaryChunksWithForgedLengthsFailWithoutReadingThem) {
  for (const char* type : {"tEXt", "zTXt", "iTXt", "pCAL", "sCAL", "sPLT", "iCCP", "eXIf"}) {
    const Bytes png = ForgedChunkPng(type);
    ASSERT_EQ(png.size(), 57u);
    EXPECT_EQ(MessageOf(png), "Cannot load PNG image. The file is truncated.") << type;
  }
}

TEST(DecodePng, TextAndProfileChunksAreSkipped) {
  const Bytes deflatedText = fixtures::Deflate(Bytes{'h', 'i'});
  Bytes ztxt = {'k', 0, 0};
  ztxt.insert(ztxt.end(), deflatedText.begin(), deflatedText.end());
  const std::vector<PngChunk> extra = {
      {"tEXt", {'k', 0, 'v'}},
      {"zTXt", ztxt},
      {"iTXt", {'k', 0, 0, 0, 0, 0, 'v'}},
      {"tIME", {7, 233, 1, 2, 3, 4, 5}},
  };
  EXPECT_EQ(LoadPng(SimplePng(2, 1, 8, 0, {0, 200}, extra)),
            (std::vector<TColor32>{0xFF000000u, 0xFFC8C8C8u}));
}

}  // namespace
}  // namespace mirelane
