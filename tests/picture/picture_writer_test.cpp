// The PNG, BMP and JPEG writers against their byte layouts, round trips and the file safety rules.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "picture/colour_management.h"
#include "picture/decode_checks.h"
#include "picture/picture_fixtures.h"
#include "picture/picture_reader.h"
#include "picture/picture_writer.h"
#include "raster/bitmap32.h"
#include "raster/error.h"

namespace mirelane {
namespace {

using fixtures::Bytes;
using fixtures::ReadBe32;
using fixtures::ReadLe32;

struct Chunk {
  std::string type;
  Bytes data;
};

std::vector<Chunk> ParseChunks(const Bytes& png) {
  std::vector<Chunk> chunks;
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = ReadBe32(png.data() + at);
    Chunk c;
    c.type.assign(png.begin() + static_cast<long>(at + 4), png.begin() + static_cast<long>(at + 8));
    c.data.assign(png.begin() + static_cast<long>(at + 8), png.begin() + static_cast<long>(at + 8 + length));
    const uint32_t crc = ReadBe32(png.data() + at + 8 + length);
    EXPECT_EQ(crc, static_cast<uint32_t>(crc32(0, png.data() + at + 4, length + 4))) << c.type;
    chunks.push_back(std::move(c));
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  return chunks;
}

Bytes ZlibStream(const std::vector<Chunk>& chunks) {
  Bytes stream;
  for (const auto& c : chunks)
    if (c.type == "IDAT") stream.insert(stream.end(), c.data.begin(), c.data.end());
  return stream;
}

Bytes InflatedImageData(const std::vector<Chunk>& chunks) {
  const Bytes stream = ZlibStream(chunks);
  Bytes out(8 << 20);
  uLongf size = static_cast<uLongf>(out.size());
  EXPECT_EQ(uncompress(out.data(), &size, stream.data(), static_cast<uLong>(stream.size())), Z_OK);
  out.resize(size);
  return out;
}

std::unique_ptr<TBitmap32> NoisePicture(int width, int height, uint32_t seed) {
  auto picture = std::make_unique<TBitmap32>(width, height);
  std::mt19937 random(seed);
  for (size_t i = 0; i < picture->PixelCount(); ++i) picture->Bits()[i] = random();
  return picture;
}

TEST(DpiToPixelsPerMetre, AlwaysRoundsUp) {
  const std::pair<int, int32_t> cases[] = {{60, 2363},  {72, 2835},   {96, 3780},
                                           {150, 5906}, {300, 11812}, {600, 23623}};
  for (const auto& [dpi, ppm] : cases) EXPECT_EQ(DpiToPixelsPerMetre(dpi), ppm) << dpi;
}

TEST(EncodePng, PhysicalChunkCarriesTheResolution) {
  const TBitmap32 picture(1, 1);
  const std::pair<int, Bytes> cases[] = {
      {96, {0x00, 0x00, 0x0E, 0xC4, 0x00, 0x00, 0x0E, 0xC4, 0x01}},
      {300, {0x00, 0x00, 0x2E, 0x24, 0x00, 0x00, 0x2E, 0x24, 0x01}},
  };
  for (const auto& [dpi, expected] : cases) {
    const auto chunks = ParseChunks(EncodePng(picture, dpi));
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_EQ(chunks[2].type, "pHYs");
    EXPECT_EQ(chunks[2].data, expected) << dpi;
  }
}

TEST(EncodePng, HeaderIsEightBitRgbaWithoutInterlace) {
  const auto chunks = ParseChunks(EncodePng(TBitmap32(300, 2), 96));
  ASSERT_EQ(chunks[0].type, "IHDR");
  EXPECT_EQ(chunks[0].data, (Bytes{0, 0, 1, 44, 0, 0, 0, 2, 8, 6, 0, 0, 0}));
}

TEST(EncodePng, OnePixelStreamIsSubFilteredRgba) {
  TBitmap32 picture(1, 1);
  picture.PixelAt(0, 0) = 0x80FF0000u;
  EXPECT_EQ(InflatedImageData(ParseChunks(EncodePng(picture, 96))), (Bytes{1, 255, 0, 0, 128}));
}

TEST(EncodePng, SecondPixelIsTheDifferenceToTheFirst) {
  TBitmap32 picture(2, 1);
  picture.PixelAt(0, 0) = 0xFF102030u;
  picture.PixelAt(1, 0) = 0xFF102030u;
  EXPECT_EQ(InflatedImageData(ParseChunks(EncodePng(picture, 96))), (Bytes{1, 16, 32, 48, 255, 0, 0, 0, 0}));
}

TEST(EncodePng, SubDifferencesWrapAround) {
  TBitmap32 picture(2, 2);
  picture.PixelAt(0, 0) = 0x01020304u;
  picture.PixelAt(1, 0) = 0x00010203u;  // each channel one less: differences of 255
  picture.PixelAt(0, 1) = 0xFFFFFFFFu;
  picture.PixelAt(1, 1) = 0x10FFFFFFu;
  const Bytes expected = {1, 2, 3, 4, 1, 255, 255, 255, 255, 1, 255, 255, 255, 255, 0, 0, 0, 0x11};
  EXPECT_EQ(InflatedImageData(ParseChunks(EncodePng(picture, 96))), expected);
}

TEST(EncodePng, LargePictureIsSplitIntoFullIdatPieces) {
  const auto chunks = ParseChunks(EncodePng(*NoisePicture(512, 512, 7), 96));
  ASSERT_GE(chunks.size(), 5u);
  EXPECT_EQ(chunks[0].type, "IHDR");
  EXPECT_EQ(chunks[1].type, "sRGB");
  EXPECT_EQ(chunks[1].data, Bytes{0});  // perceptual
  EXPECT_EQ(chunks[2].type, "pHYs");
  EXPECT_EQ(chunks.back().type, "IEND");
  EXPECT_TRUE(chunks.back().data.empty());
  size_t idats = 0;
  for (size_t i = 3; i + 1 < chunks.size(); ++i) {
    ASSERT_EQ(chunks[i].type, "IDAT");
    ++idats;
    if (i + 2 < chunks.size())
      EXPECT_EQ(chunks[i].data.size(), 65535u);
    else
      EXPECT_LT(chunks[i].data.size(), 65535u);
  }
  EXPECT_GT(idats, 10u);  // a megabyte of noise does not compress
}

TEST(EncodePng, ZlibStreamHasAValidHeaderAndChecksum) {
  const auto chunks = ParseChunks(EncodePng(*NoisePicture(40, 30, 5), 96));
  const Bytes stream = ZlibStream(chunks);
  ASSERT_GE(stream.size(), 6u);
  EXPECT_EQ(stream[0], 0x78);                        // deflate with a 32 KiB window
  EXPECT_EQ((stream[0] * 256 + stream[1]) % 31, 0);  // header check bits
  EXPECT_EQ(stream[1] & 0x20, 0);                    // no preset dictionary
  const Bytes rows = InflatedImageData(chunks);
  const uint32_t adler = static_cast<uint32_t>(adler32(1, rows.data(), static_cast<uInt>(rows.size())));
  EXPECT_EQ(ReadBe32(stream.data() + stream.size() - 4), adler);
}

// Rows of one colour each, a different colour every row.
std::unique_ptr<TBitmap32> HorizontalBands(int width, int height) {
  auto picture = std::make_unique<TBitmap32>(width, height);
  for (int y = 0; y < height; ++y)
    std::fill(picture->ScanLine(y), picture->ScanLine(y) + width,
              Color32(y * 37 & 255, y * 11 & 255, 90, 255 - y % 7));
  return picture;
}

// The same row of noise from `firstRepeated` down, above it horizontal bands.
std::unique_ptr<TBitmap32> BandsOverRepeatedNoise(int width, int height, int firstRepeated) {
  auto picture = HorizontalBands(width, height);
  const auto noise = NoisePicture(width, 1, 3);
  for (int y = firstRepeated; y < height; ++y)
    std::copy(noise->ScanLine(0), noise->ScanLine(0) + width, picture->ScanLine(y));
  return picture;
}

// A gentle ramp along each row, every row the same.
std::unique_ptr<TBitmap32> RepeatedRamp(int width, int height) {
  auto picture = std::make_unique<TBitmap32>(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture->PixelAt(x, y) = Color32(100 + x, 200 - x, 60 + 2 * x, 255);
  return picture;
}

Bytes RowFilterBytes(const Bytes& rows, int width) {
  Bytes filters;
  for (size_t at = 0; at < rows.size(); at += size_t(width) * 4 + 1) filters.push_back(rows[at]);
  return filters;
}

TEST(EncodePng, EachRowTakesTheFilterLeavingSmallerDifferences) {
  constexpr uint8_t kSub = 1, kUp = 2;
  struct Case {
    const char* name;
    std::unique_ptr<TBitmap32> picture;
    Bytes filters;
  };
  Case cases[] = {
      {"one row", HorizontalBands(6, 1), {kSub}},
      {"bands: each row one colour", HorizontalBands(6, 4), {kSub, kSub, kSub, kSub}},
      // The first row's Up differences are to zeros, its whole ramp; below, Up leaves zeros.
      {"repeated ramp", RepeatedRamp(6, 4), {kSub, kUp, kUp, kUp}},
      {"a short ramp repeated", RepeatedRamp(1, 3), {kSub, kUp, kUp}},
  };
  for (const Case& c : cases) {
    const Bytes rows = InflatedImageData(ParseChunks(EncodePng(*c.picture, 96)));
    EXPECT_EQ(RowFilterBytes(rows, c.picture->Width()), c.filters) << c.name;
  }
}

TEST(EncodePng, UpFilteredRowIsTheDifferenceToTheRowAbove) {
  const auto picture = RepeatedRamp(2, 2);
  picture->PixelAt(1, 1) = Color32(100, 200, 62, 0);  // second row: only the last pixel differs
  const Bytes rows = InflatedImageData(ParseChunks(EncodePng(*picture, 96)));
  const Bytes second(rows.begin() + 9, rows.end());
  EXPECT_EQ(second, (Bytes{2, 0, 0, 0, 0, 255, 1, 0, 1}));
}

TEST(EncodePng, RoundTripKeepsEveryByte) {
  struct Case {
    const char* name;
    std::unique_ptr<TBitmap32> picture;
  };
  // The large ones are filtered in two halves; 401 rows split inside the repeated noise, so the lower
  // half's first row is Up filtered against the upper half's last.
  Case cases[] = {
      {"noise", NoisePicture(37, 23, 11)},
      {"one pixel wide", NoisePicture(1, 9, 12)},
      {"Sub rows", HorizontalBands(40, 12)},
      {"Up rows", RepeatedRamp(40, 12)},
      {"large, both filters", BandsOverRepeatedNoise(700, 401, 100)},
      {"large noise, odd height", NoisePicture(613, 511, 13)},
  };
  for (const Case& c : cases) {
    const TBitmap32& picture = *c.picture;
    const Bytes png = EncodePng(picture, 96);
    TBitmap32 loaded;
    loaded.Assign(ReadPictureFromMemory("png", png));
    ASSERT_EQ(loaded.Width(), picture.Width()) << c.name;
    ASSERT_EQ(loaded.Height(), picture.Height()) << c.name;
    EXPECT_TRUE(std::equal(picture.Bits(), picture.Bits() + picture.PixelCount(), loaded.Bits())) << c.name;
  }
  const auto mixed = BandsOverRepeatedNoise(700, 401, 100);
  const Bytes filters = RowFilterBytes(InflatedImageData(ParseChunks(EncodePng(*mixed, 96))), 700);
  EXPECT_EQ(filters[50], 1);
  EXPECT_EQ(filters[200], 2);
}

TEST(EncodeBmp, HeaderFieldsAndResolution) {
  const Bytes bmp = EncodeBmp(TBitmap32(3, 2), 300);
  ASSERT_EQ(bmp.size(), 54u + 3 * 2 * 4);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  const std::pair<size_t, uint32_t> fields[] = {{2, 78},     {6, 0},      {10, 54}, {14, 40},
                                                {18, 3},     {22, 2},     {30, 0},  {34, 24},
                                                {38, 11812}, {42, 11812}, {46, 0},  {50, 0}};
  for (const auto& [offset, value] : fields) EXPECT_EQ(ReadLe32(bmp.data() + offset), value) << offset;
  EXPECT_EQ(bmp[26] | bmp[27] << 8, 1);
  EXPECT_EQ(bmp[28] | bmp[29] << 8, 32);
  EXPECT_EQ(ReadLe32(EncodeBmp(TBitmap32(1, 1), 96).data() + 38), 3780u);
}

TEST(EncodeBmp, RowsBottomFirstWithAlphaByte) {
  TBitmap32 picture(2, 2);
  picture.PixelAt(0, 0) = 0x11223344u;
  picture.PixelAt(1, 0) = 0x55667788u;
  picture.PixelAt(0, 1) = 0x99AABBCCu;
  picture.PixelAt(1, 1) = 0x00DDEEFFu;
  const Bytes bmp = EncodeBmp(picture, 96);
  const Bytes pixels(bmp.begin() + 54, bmp.end());
  EXPECT_EQ(pixels, (Bytes{0xCC, 0xBB, 0xAA, 0x99, 0xFF, 0xEE, 0xDD, 0x00, 0x44, 0x33, 0x22, 0x11, 0x88, 0x77,
                           0x66, 0x55}));
}

TEST(EncodeBmp, RoundTripKeepsAlpha) {
  const auto noise = NoisePicture(5, 4, 3);
  TBitmap32& picture = *noise;
  picture.PixelAt(0, 0) = 0x00123456u;  // some alpha is non-zero, so all of it is kept
  TBitmap32 loaded;
  loaded.Assign(ReadPictureFromMemory("bmp", EncodeBmp(picture, 96)));
  EXPECT_TRUE(std::equal(picture.Bits(), picture.Bits() + picture.PixelCount(), loaded.Bits()));
}

// SaveBmp writes the rows straight from the picture; the file must be what EncodeBmp builds, for
// pictures of one row, one column and odd sizes alike.
TEST(SaveBmp, StreamedFileEqualsTheEncodedOne) {
  fixtures::TempFolder folder;
  const struct { int32_t width, height; } sizes[] = {{1, 1}, {7, 1}, {1, 9}, {13, 5}};
  for (const auto& size : sizes) {
    const auto noise = NoisePicture(size.width, size.height, 11);
    const std::string name = folder.File("streamed.bmp");
    SaveBmp(*noise, name, 150);
    EXPECT_EQ(fixtures::ReadFileBytes(name), EncodeBmp(*noise, 150)) << size.width << " x " << size.height;
  }
}

TEST(EncodeJpg, JfifSegmentCarriesDotsPerInch) {
  const std::pair<int, Bytes> cases[] = {{96, {1, 0x00, 0x60, 0x00, 0x60}},
                                         {300, {1, 0x01, 0x2C, 0x01, 0x2C}}};
  for (const auto& [dpi, expected] : cases) {
    const Bytes jpg = EncodeJpg(TBitmap32(8, 8), dpi);
    ASSERT_GT(jpg.size(), 20u);
    EXPECT_EQ(Bytes(jpg.begin(), jpg.begin() + 13),
              (Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1}));
    EXPECT_EQ(Bytes(jpg.begin() + 13, jpg.begin() + 18), expected) << dpi;
    EXPECT_EQ(jpg[18], 0);
    EXPECT_EQ(jpg[19], 0);
  }
}

// The frame header: baseline (SOF0), three components, luminance sampled 2x2, chroma 1x1.
TEST(EncodeJpg, BaselineWithTwoByTwoLuminance) {
  const Bytes jpg = EncodeJpg(TBitmap32(17, 9), 96);
  size_t at = 2;
  bool sawFrame = false;
  int quantTables = 0;
  while (at + 4 <= jpg.size() && jpg[at] == 0xFF) {
    const uint8_t marker = jpg[at + 1];
    const size_t length = (size_t{jpg[at + 2]} << 8) | jpg[at + 3];
    EXPECT_NE(marker, 0xC2) << "progressive frame";
    if (marker == 0xDB) {
      ++quantTables;
      // Quality 90 scales the standard luminance table's first entry 16 to 3.
      if (jpg[at + 4] == 0) {
        EXPECT_EQ(jpg[at + 5], 3);
      }
    }
    if (marker == 0xC0) {
      sawFrame = true;
      EXPECT_EQ(jpg[at + 4], 8);
      EXPECT_EQ((jpg[at + 5] << 8) | jpg[at + 6], 9);
      EXPECT_EQ((jpg[at + 7] << 8) | jpg[at + 8], 17);
      ASSERT_EQ(jpg[at + 9], 3);
      EXPECT_EQ(jpg[at + 11], 0x22);
      EXPECT_EQ(jpg[at + 14], 0x11);
      EXPECT_EQ(jpg[at + 17], 0x11);
    }
    if (marker == 0xDA) break;
    at += 2 + length;
  }
  EXPECT_TRUE(sawFrame);
  EXPECT_GE(quantTables, 1);
}

TEST(EncodeJpg, AlphaIsIgnoredAndColoursAreNotComposited) {
  TBitmap32 picture(16, 16);
  picture.Clear(0x00C86432u);  // fully transparent, colour bytes kept
  TBitmap32 loaded;
  loaded.Assign(ReadPictureFromMemory("jpg", EncodeJpg(picture, 96)));
  for (size_t i = 0; i < loaded.PixelCount(); ++i) {
    const TColor32 p = loaded.Bits()[i];
    ASSERT_EQ(AlphaOf(p), 255u);
    ASSERT_NEAR(static_cast<int>(RedOf(p)), 0xC8, 3);
    ASSERT_NEAR(static_cast<int>(GreenOf(p)), 0x64, 3);
    ASSERT_NEAR(static_cast<int>(BlueOf(p)), 0x32, 3);
  }
}

TEST(EncodeJpg, QualityScalesTheLuminanceTable) {
  // The standard table's first entry 16, scaled by the IJG rule: 3 at 90, 16 at 50, 80 at 10.
  const std::pair<int, int> cases[] = {{90, 3}, {50, 16}, {10, 80}, {100, 1}};
  for (const auto& [quality, expected] : cases) {
    const Bytes jpg = EncodeJpg(TBitmap32(8, 8), 96, quality);
    size_t at = 2;
    int first = -1;
    while (at + 5 < jpg.size() && jpg[at] == 0xFF && jpg[at + 1] != 0xDA) {
      if (jpg[at + 1] == 0xDB && jpg[at + 4] == 0) first = jpg[at + 5];
      at += 2 + ((size_t{jpg[at + 2]} << 8) | jpg[at + 3]);
    }
    EXPECT_EQ(first, expected) << quality;
  }
}

TEST(Encoders, RefuseAnEmptyPicture) {
  const TBitmap32 empty;
  EXPECT_THROW(EncodePng(empty, 96), Error);
  EXPECT_THROW(EncodeBmp(empty, 96), Error);
  EXPECT_THROW(EncodeJpg(empty, 96), Error);
  EXPECT_THROW(EncodeWebp(empty), Error);
}

// A picture libjpeg cannot store fails in libjpeg's own words, not with its message number.
TEST(EncodeJpg, FailureIsToldInWords) {
  const TBitmap32 wide(65501, 1);
  EXPECT_EQ(fixtures::MessageOf([&] { EncodeJpg(wide, 96); }),
            "Cannot build the JPEG image. Maximum supported image dimension is 65500 pixels");
}

TEST(Encoders, RefuseAQualityOutsideOneToHundred) {
  const TBitmap32 picture(2, 2);
  const struct {
    int quality;
    bool webp;
    std::string message;
  } cases[] = {
      {0, true, "WebP quality must be from 1 to 100 (got 0)."},
      {101, true, "WebP quality must be from 1 to 100 (got 101)."},
      {0, false, "JPEG quality must be from 1 to 100 (got 0)."},
      {-5, false, "JPEG quality must be from 1 to 100 (got -5)."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fixtures::MessageOf([&] {
                if (c.webp)
                  EncodeWebp(picture, {false, c.quality});
                else
                  EncodeJpg(picture, 96, c.quality);
              }),
              c.message);
  }
  // Lossless WebP has no quality to check.
  EXPECT_FALSE(EncodeWebp(picture, {true, 0}).empty());
}

// The RIFF container's first chunk tells how the picture was coded.
// The picture's chunk types ("ALPH+VP8 " for lossy alpha) after the extended header and the sRGB profile
// that every saved file carries.
std::string FirstWebpChunk(const Bytes& webp) {
  EXPECT_GE(webp.size(), 16u);
  EXPECT_EQ(std::string(webp.begin(), webp.begin() + 4), "RIFF");
  EXPECT_EQ(std::string(webp.begin() + 8, webp.begin() + 12), "WEBP");
  EXPECT_EQ(ReadLe32(webp.data() + 4), webp.size() - 8);
  std::vector<std::string> types;
  for (size_t pos = 12; pos + 8 <= webp.size();) {
    types.emplace_back(webp.begin() + static_cast<long>(pos), webp.begin() + static_cast<long>(pos) + 4);
    const uint32_t length = ReadLe32(webp.data() + pos + 4);
    if (types.back() == "ICCP") {
      EXPECT_EQ(Bytes(webp.begin() + long(pos) + 8, webp.begin() + long(pos + 8 + length)), SrgbIccProfile());
    }
    pos += 8 + length + (length & 1);
  }
  EXPECT_GE(types.size(), 3u);
  if (types.size() < 3) return {};
  EXPECT_EQ(types[0], "VP8X");
  EXPECT_EQ(types[1], "ICCP");
  std::string picture = types[2];
  for (size_t i = 3; i < types.size(); ++i) picture += "+" + types[i];
  return picture;
}

TEST(EncodeWebp, LosslessKeepsEveryByteAlphaAndHiddenColoursIncluded) {
  const std::pair<int, int> sizes[] = {{1, 1}, {37, 23}, {300, 5}};
  for (const auto& [width, height] : sizes) {
    const auto noise = NoisePicture(width, height, static_cast<uint32_t>(width));
    TBitmap32& picture = *noise;
    picture.PixelAt(0, 0) = 0x00C0FFEEu;  // fully transparent, colour still kept
    const Bytes webp = EncodeWebp(picture);
    EXPECT_EQ(FirstWebpChunk(webp), "VP8L") << width;
    TBitmap32 loaded;
    loaded.Assign(ReadPictureFromMemory("webp", webp));
    ASSERT_EQ(loaded.Width(), width);
    ASSERT_EQ(loaded.Height(), height);
    EXPECT_TRUE(std::equal(picture.Bits(), picture.Bits() + picture.PixelCount(), loaded.Bits())) << width;
  }
}

// A smooth picture with a graded alpha: lossy coding keeps the alpha exactly and the colours near.
std::unique_ptr<TBitmap32> SmoothPicture(bool withAlpha) {
  auto picture = std::make_unique<TBitmap32>(64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      picture->PixelAt(x, y) = Color32(static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 5), 128,
                                       withAlpha ? static_cast<uint8_t>(255 - x * 2) : 255);
  return picture;
}

TEST(EncodeWebp, LossyKeepsAlphaExactAndColoursCloseAtItsQuality) {
  const struct {
    int quality;
    bool alpha;
    std::string chunk;
    int tolerance;
  } cases[] = {{90, true, "ALPH+VP8 ", 12},
               {90, false, "VP8 ", 12},
               {100, true, "ALPH+VP8 ", 8},
               {20, false, "VP8 ", 40}};
  for (const auto& c : cases) {
    const auto original = SmoothPicture(c.alpha);
    const Bytes webp = EncodeWebp(*original, {false, c.quality});
    EXPECT_EQ(FirstWebpChunk(webp), c.chunk) << c.quality;
    TBitmap32 loaded;
    loaded.Assign(ReadPictureFromMemory("webp", webp));
    ASSERT_EQ(loaded.Width(), 64);
    int worst = 0;
    for (size_t i = 0; i < loaded.PixelCount(); ++i) {
      const TColor32 want = original->Bits()[i], got = loaded.Bits()[i];
      ASSERT_EQ(AlphaOf(got), AlphaOf(want)) << c.quality << " pixel " << i;
      for (int shift : {0, 8, 16})
        worst = std::max(worst, std::abs(static_cast<int>((want >> shift) & 0xFF) -
                                         static_cast<int>((got >> shift) & 0xFF)));
    }
    EXPECT_LE(worst, c.tolerance) << c.quality;
  }
}

TEST(EncodeWebp, LowerQualityMakesASmallerFile) {
  const auto noise = NoisePicture(64, 64, 21);
  const size_t low = EncodeWebp(*noise, {false, 10}).size();
  const size_t high = EncodeWebp(*noise, {false, 90}).size();
  EXPECT_LT(low, high);
}

TEST(SavePicture, QualityReachesJpegAndWebp) {
  fixtures::TempFolder folder;
  const auto picture = SmoothPicture(true);
  TSaveQuality lossy;
  lossy.JpegQuality = 50;
  lossy.Webp = {false, 50};
  const struct {
    std::string name;
    TSaveQuality quality;
    Bytes expected;
  } cases[] = {
      {"lossless.webp", TSaveQuality{}, EncodeWebp(*picture)},
      {"lossy.webp", lossy, EncodeWebp(*picture, {false, 50})},
      {"default.jpg", TSaveQuality{}, EncodeJpg(*picture, 72)},
      {"fifty.jpg", lossy, EncodeJpg(*picture, 72, 50)},
  };
  for (const auto& c : cases) {
    SavePicture(*picture, folder.File(c.name), 72, c.quality);
    EXPECT_EQ(fixtures::ReadFileBytes(folder.File(c.name)), c.expected) << c.name;
  }
}

Bytes Signature(const std::string& path, size_t n) {
  Bytes bytes = fixtures::ReadFileBytes(path);
  bytes.resize(std::min(bytes.size(), n));
  return bytes;
}

TEST(SavePicture, ChoosesTheWriterByExtensionIgnoringCase) {
  fixtures::TempFolder folder;
  const auto noise = NoisePicture(4, 3, 5);
  TBitmap32& picture = *noise;
  const Bytes png = {0x89, 'P', 'N', 'G'}, jpeg = {0xFF, 0xD8, 0xFF, 0xE0},
              bmp = {'B', 'M', 54 + 4 * 3 * 4, 0}, riff = {'R', 'I', 'F', 'F'};
  const std::pair<std::string, Bytes> cases[] = {
      {"a.png", png},   {"b.PNG", png},   {"c.jpg", jpeg},  {"d.JPG", jpeg}, {"e.jpeg", jpeg},
      {"f.jpe", jpeg},  {"g.jfif", jpeg}, {"h.JPEG", jpeg}, {"i.bmp", bmp},  {"j.BmP", bmp},
      {"k.x.png", png}, {"l.webp", riff}, {"m.WEBP", riff},
  };
  for (const auto& [name, magic] : cases) {
    SavePicture(picture, folder.File(name), 96);
    EXPECT_EQ(Signature(folder.File(name), 4), magic) << name;
  }
}

TEST(SavePicture, RefusesOtherExtensionsAndWritesNothing) {
  fixtures::TempFolder folder;
  const TBitmap32 picture(2, 2);
  for (const std::string name :
       {"picture.gif", "picture", "picture.tiff", "folder.png/picture", "picture.png."}) {
    try {
      SavePicture(picture, folder.File(name), 96);
      ADD_FAILURE() << name;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(".jpg (JPEG), .png (PNG), .bmp (BMP) or .webp (WebP)"),
                std::string::npos);
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

// The target's folder is a regular file, which no one can create files in, root included: the
// temporary file cannot be made, and the file standing in the folder's place keeps its bytes.
TEST(SavePicture, UnwritableFolderReportsAndKeepsThePreviousFile) {
  fixtures::TempFolder folder;
  const std::string notAFolder = folder.File("afile");
  fixtures::WriteBytes(notAFolder, Bytes{1, 2, 3});
  const std::string target = notAFolder + "/shot.png";
  try {
    SavePicture(*NoisePicture(3, 3, 1), target, 96);
    ADD_FAILURE() << "saved below a regular file";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + target + "\". " + std::strerror(ENOTDIR));
  }
  EXPECT_EQ(fixtures::ReadFileBytes(notAFolder), (Bytes{1, 2, 3}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

// Works also for root, whom folder permissions do not stop: the target is a folder that cannot be replaced.
TEST(SavePicture, FailedReplacementKeepsTheTargetAndRemovesTheTemporaryFile) {
  fixtures::TempFolder folder;
  const std::string target = folder.File("shot.png");
  std::filesystem::create_directory(target);
  fixtures::WriteBytes(target + "/inside", Bytes{4});
  try {
    SavePicture(*NoisePicture(3, 3, 1), target, 96);
    ADD_FAILURE() << "replaced a folder";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + target + "\". ", 0), 0u) << e.what();
  }
  EXPECT_EQ(fixtures::ReadFileBytes(target + "/inside"), Bytes{4});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST(SavePicture, MissingFolderReportsCannotCreate) {
  fixtures::TempFolder folder;
  const std::string target = folder.File("missing/shot.bmp");
  try {
    SavePicture(TBitmap32(1, 1), target, 96);
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + target + "\". No such file or directory");
  }
}

TEST(SavePicture, ReplacesAnExistingFileWholeAndLeavesNoTemporaryFile) {
  fixtures::TempFolder folder;
  const std::string target = folder.File("shot.bmp");
  fixtures::WriteBytes(target, Bytes(5000, 7));
  const auto noise = NoisePicture(2, 2, 9);
  TBitmap32& picture = *noise;
  SavePicture(picture, target, 96);
  EXPECT_EQ(fixtures::ReadFileBytes(target), EncodeBmp(picture, 96));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST(SavePicture, SavingTwiceWritesIdenticalFiles) {
  fixtures::TempFolder folder;
  const auto noise = NoisePicture(20, 10, 4);
  TBitmap32& picture = *noise;
  for (const std::string ext : {"png", "jpg", "bmp", "webp"}) {
    SavePicture(picture, folder.File("one." + ext), 150);
    SavePicture(picture, folder.File("two." + ext), 150);
    EXPECT_EQ(fixtures::ReadFileBytes(folder.File("one." + ext)),
              fixtures::ReadFileBytes(folder.File("two." + ext)))
        << ext;
  }
}

}  // namespace
}  // namespace mirelane
