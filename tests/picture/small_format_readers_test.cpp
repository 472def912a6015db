// The Targa, Photoshop, PCX, SGI and portable map readers on hand-made files.
#include <gtest/gtest.h>

#include "picture/decode_checks.h"
#include "picture/picture_decoders.h"
#include "picture/picture_fixtures.h"
#include "picture/picture_reader.h"
#include "raster/bitmap32.h"
#include "raster/error.h"

namespace mirelane {
namespace {

using fixtures::Bytes;
using fixtures::Load;
using fixtures::MessageOf;
using fixtures::Pixels;

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

// ---- Targa ----

Bytes TargaFile(int width, int height, int bits, uint8_t descriptor, const Bytes& pixels) {
  Bytes out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  fixtures::Le16(out, static_cast<uint32_t>(width));
  fixtures::Le16(out, static_cast<uint32_t>(height));
  out.push_back(static_cast<uint8_t>(bits));
  out.push_back(descriptor);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

TEST(DecodeTarga, TwentyFourBitsBottomUpAreOpaque) {
  const Bytes pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};  // blue, green / red, white
  EXPECT_EQ(Load(DecodeTarga(TargaFile(2, 2, 24, 0, pixels))),
            (Pixels{0xFFFF0000u, 0xFFFFFFFFu, 0xFF0000FFu, 0xFF00FF00u}));
}

TEST(DecodeTarga, ThirtyTwoBitsTopDownKeepAlpha) {
  const Bytes pixels = {1, 2, 3, 0, 4, 5, 6, 200};
  EXPECT_EQ(Load(DecodeTarga(TargaFile(2, 1, 32, 0x28, pixels))), (Pixels{0x00030201u, 0xC8060504u}));
}

TEST(DecodeTarga, EveryStorageOrderEndsTopLeftFirst) {
  // Four pixels 1, 2, 3, 4 in file order on a 2 x 2 picture.
  const Bytes pixels = {1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0};
  const struct {
    uint8_t descriptor;
    Pixels expected;
  } cases[] = {
      {0x00, {0xFF000003u, 0xFF000004u, 0xFF000001u, 0xFF000002u}},  // bottom row first
      {0x20, {0xFF000001u, 0xFF000002u, 0xFF000003u, 0xFF000004u}},  // top row first
      {0x10, {0xFF000004u, 0xFF000003u, 0xFF000002u, 0xFF000001u}},  // bottom first, right to left
      {0x30, {0xFF000002u, 0xFF000001u, 0xFF000004u, 0xFF000003u}},  // top first, right to left
  };
  for (const auto& c : cases)
    EXPECT_EQ(Load(DecodeTarga(TargaFile(2, 2, 24, c.descriptor, pixels))), c.expected) << int(c.descriptor);
  // An odd number of rows keeps its middle row.
  EXPECT_EQ(Load(DecodeTarga(TargaFile(1, 3, 24, 0, {1, 0, 0, 2, 0, 0, 3, 0, 0}))),
            (Pixels{0xFF000003u, 0xFF000002u, 0xFF000001u}));
}

TEST(DecodeTarga, BrokenFilesFailWithAMessage) {
  Bytes runs = TargaFile(4, 1, 24, 0, {0x82, 1, 2, 3});  // a run of 3, then nothing
  runs[2] = 10;
  const std::pair<Bytes, std::string> cases[] = {
      {Bytes{0, 0, 2}, "Targa image is not valid. The header is missing."},
      {TargaFile(2, 2, 24, 0, {1, 2}), "Targa image is not valid. The picture data is truncated."},
      {runs, "Targa image is not valid. The picture data is truncated."},
      {TargaFile(2, 2, 12, 0, {}), "Targa image is not valid. The pixel depth is not supported."},
      {Text("8BPS0000000000000000000000"), "Targa image is not valid. The picture type is not supported."},
      {TargaFile(0, 2, 24, 0, {}), "Targa image has no pixels."},
  };
  for (const auto& [bytes, message] : cases) EXPECT_EQ(MessageOf(DecodeTarga, bytes), message);
}

TEST(DecodeTarga, RunLengthAndColourMapped) {
  Bytes rle = TargaFile(3, 1, 24, 0x20, {0x81, 1, 2, 3, 0x00, 4, 5, 6});
  rle[2] = 10;
  EXPECT_EQ(Load(DecodeTarga(rle)), (Pixels{0xFF030201u, 0xFF030201u, 0xFF060504u}));
  Bytes mapped = {0, 1, 1, 0, 0, 2, 0, 24, 0, 0, 0, 0, 2, 0, 1, 0, 8, 0x20, 9, 8, 7, 3, 2, 1, 1, 0};
  EXPECT_EQ(Load(DecodeTarga(mapped)), (Pixels{0xFF010203u, 0xFF070809u}));
}

// ---- Photoshop ----

Bytes PsdFile(int width, int height, int channels, const Bytes& planes) {
  Bytes out = Text("8BPS");
  fixtures::Be16(out, 1);
  out.insert(out.end(), 6, 0);
  fixtures::Be16(out, static_cast<uint32_t>(channels));
  fixtures::Be32(out, static_cast<uint32_t>(height));
  fixtures::Be32(out, static_cast<uint32_t>(width));
  fixtures::Be16(out, 8);
  fixtures::Be16(out, 3);  // RGB
  fixtures::Be32(out, 0);  // colour mode data
  fixtures::Be32(out, 0);  // image resources
  fixtures::Be32(out, 0);  // layers and masks
  fixtures::Be16(out, 0);  // raw image data
  out.insert(out.end(), planes.begin(), planes.end());
  return out;
}

TEST(DecodePsd, RgbAndRgbaPlanes) {
  EXPECT_EQ(Load(DecodePsd(PsdFile(2, 1, 3, {10, 20, 30, 40, 50, 60}))), (Pixels{0xFF0A1E32u, 0xFF14283Cu}));
}

TEST(DecodePsd, AlphaIsKeptAndTheWhiteMatteRemoved) {
  // The second pixel is red 255, green 0, blue 130 at alpha 51, stored composited over white.
  EXPECT_EQ(Load(DecodePsd(PsdFile(2, 1, 4, {10, 255, 30, 204, 50, 230, 0, 51}))),
            (Pixels{0x000A1E32u, 0x33FF0082u}));
}

TEST(DecodePsd, CmykPlanesAreInksForTheColourStep) {
  // Two pixels: no ink at all, and full black; Photoshop stores the inks inverted.
  Bytes cmyk = PsdFile(2, 1, 4, {255, 255, 255, 255, 255, 255, 255, 0});
  cmyk[25] = 4;
  const TDecodedPicture inks = DecodePsd(cmyk);
  EXPECT_EQ(inks.Samples, TSampleSpace::InvertedInks);
  EXPECT_EQ(inks.Pixels, (Pixels{0xFFFFFFFFu, 0x00FFFFFFu}));
  const TDecodedPicture colours = ReadPictureFromMemory("psd", cmyk);
  EXPECT_EQ(colours.Samples, TSampleSpace::Colour);
  for (int shift : {0, 8, 16}) {
    EXPECT_GE(int(colours.Pixels[0] >> shift & 0xFF), 250) << "paper is white";
    EXPECT_LE(int(colours.Pixels[1] >> shift & 0xFF), 60) << "black ink is dark";
  }
  EXPECT_EQ(AlphaOf(colours.Pixels[1]), 255u);
}

TEST(DecodePsd, GreyAndIndexedPlanes) {
  Bytes grey = PsdFile(2, 1, 2, {40, 200, 255, 0});
  grey[25] = 1;  // grey mode, with an alpha channel
  EXPECT_EQ(Load(DecodePsd(grey)), (Pixels{0xFF282828u, 0x00C8C8C8u}));

  Bytes indexed = Text("8BPS");
  fixtures::Be16(indexed, 1);
  indexed.insert(indexed.end(), 6, 0);
  fixtures::Be16(indexed, 1);
  fixtures::Be32(indexed, 1);
  fixtures::Be32(indexed, 2);
  fixtures::Be16(indexed, 8);
  fixtures::Be16(indexed, 2);  // indexed
  fixtures::Be32(indexed, 768);
  Bytes table(768, 0);
  table[1] = 11;        // red of entry 1
  table[256 + 1] = 22;  // green
  table[512 + 1] = 33;  // blue
  table[2] = 255;
  indexed.insert(indexed.end(), table.begin(), table.end());
  fixtures::Be32(indexed, 0);
  fixtures::Be32(indexed, 0);
  fixtures::Be16(indexed, 0);
  indexed.insert(indexed.end(), {1, 2});
  EXPECT_EQ(Load(DecodePsd(indexed)), (Pixels{0xFF0B1621u, 0xFFFF0000u}));
}

TEST(DecodePsd, PackBitsRows) {
  Bytes planes;
  for (int c = 0; c < 3; ++c) fixtures::Be16(planes, 2);     // one row per channel, two bytes each
  planes.insert(planes.end(), {0xFE, 7, 0xFE, 8, 0x00, 9});  // 3 x 7, 3 x 8, then a literal 9 ... too short
  Bytes file = PsdFile(3, 1, 3, planes);
  file[file.size() - planes.size() - 1] = 1;  // compression: PackBits
  EXPECT_EQ(MessageOf(DecodePsd, file), "Photoshop image is not valid. A compressed row is too short.");
  Bytes good;
  for (int c = 0; c < 3; ++c) fixtures::Be16(good, 2);
  good.insert(good.end(), {0xFE, 7, 0xFE, 8, 0xFE, 9});
  Bytes goodFile = PsdFile(3, 1, 3, good);
  goodFile[goodFile.size() - good.size() - 1] = 1;
  EXPECT_EQ(Load(DecodePsd(goodFile)), Pixels(3, 0xFF070809u));
}

TEST(DecodePsd, BrokenFilesFailWithAMessage) {
  Bytes huge = PsdFile(2, 1, 3, {1, 2, 3, 4, 5, 6});
  huge[14] = huge[18] = 0x01;  // 16 million rows and columns
  EXPECT_EQ(MessageOf(DecodePsd, Text("GIF89a")), "Photoshop image is not valid. The signature is missing.");
  EXPECT_EQ(MessageOf(DecodePsd, PsdFile(2, 2, 3, {1, 2})).rfind("Photoshop image is not valid. ", 0), 0u);
  EXPECT_EQ(MessageOf(DecodePsd, huge),
            "Photoshop image is too large (16777218 x 16777217 pixels; the limit is 8192 x 8192 pixels, "
            "65535 on a side).");
}

// ---- PCX ----

Bytes PcxHeader(int width, int height, int bits, int planes, int bytesPerLine) {
  Bytes out(128, 0);
  out[0] = 0x0A;
  out[1] = 5;
  out[2] = 1;
  out[3] = static_cast<uint8_t>(bits);
  out[8] = static_cast<uint8_t>(width - 1);
  out[10] = static_cast<uint8_t>(height - 1);
  out[65] = static_cast<uint8_t>(planes);
  out[66] = static_cast<uint8_t>(bytesPerLine);
  return out;
}

TEST(DecodePcx, EightBitsWithRunsAndTheTrailingPalette) {
  Bytes file = PcxHeader(3, 2, 8, 1, 4);
  // Row 1: a run of three 2s and a literal 0. Row 2: literal 1, then a run of 3 x 0xC5 (a value needing a
  // run).
  const Bytes data = {0xC3, 2, 0, 1, 0xC3, 0xC5};
  file.insert(file.end(), data.begin(), data.end());
  file.push_back(0x0C);
  Bytes palette(768, 0);
  palette[3 * 1] = 255;         // 1: red
  palette[3 * 2 + 1] = 255;     // 2: green
  palette[3 * 0xC5 + 2] = 255;  // 0xC5: blue
  file.insert(file.end(), palette.begin(), palette.end());
  EXPECT_EQ(Load(DecodePcx(file)),
            (Pixels{0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFFFF0000u, 0xFF0000FFu, 0xFF0000FFu}));
}

TEST(DecodePcx, TwentyFourBitsInThreePlanes) {
  Bytes file = PcxHeader(2, 1, 8, 3, 2);
  const Bytes data = {10, 20, 30, 40, 50, 60};
  file.insert(file.end(), data.begin(), data.end());
  EXPECT_EQ(Load(DecodePcx(file)), (Pixels{0xFF0A1E32u, 0xFF14283Cu}));
}

TEST(DecodePcx, SixteenColoursInFourBitPlanes) {
  Bytes file = PcxHeader(2, 1, 1, 4, 2);
  file[16 + 3 * 5] = 0xAB;  // colour 5 = planes 0 and 2 set
  const Bytes data = {0x80, 0, 0, 0, 0x80, 0, 0, 0};
  file.insert(file.end(), data.begin(), data.end());
  EXPECT_EQ(Load(DecodePcx(file)), (Pixels{0xFFAB0000u, 0xFF000000u}));
}

TEST(DecodePcx, FailureMessages) {
  Bytes truncated = PcxHeader(4, 4, 8, 3, 4);
  truncated.push_back(0xC5);
  Bytes shortLines = PcxHeader(16, 1, 8, 3, 4);
  Bytes noPalette = PcxHeader(2, 1, 8, 1, 2);
  noPalette.insert(noPalette.end(), {1, 2});
  const std::pair<Bytes, std::string> cases[] = {
      {Bytes{0x0A, 5, 1}, "PCX image is not valid. The header is missing."},
      {truncated, "PCX image is not valid. The picture data is truncated."},
      {shortLines, "PCX image is not valid. The line length is too short."},
      {noPalette, "PCX image is not valid. The colour table is missing."},
      {PcxHeader(2, 1, 3, 1, 2), "PCX image is not valid. The colour layout is not supported."},
  };
  for (const auto& [bytes, message] : cases) EXPECT_EQ(MessageOf(DecodePcx, bytes), message);
}

// ---- SGI ----

Bytes SgiHeader(int storage, int width, int height, int channels) {
  Bytes out;
  fixtures::Be16(out, 474);
  out.push_back(static_cast<uint8_t>(storage));
  out.push_back(1);
  fixtures::Be16(out, 3);
  fixtures::Be16(out, static_cast<uint32_t>(width));
  fixtures::Be16(out, static_cast<uint32_t>(height));
  fixtures::Be16(out, static_cast<uint32_t>(channels));
  out.resize(512, 0);
  return out;
}

TEST(DecodeSgi, PlainRgbPlanesBottomRowFirst) {
  Bytes file = SgiHeader(0, 1, 2, 3);
  const Bytes planes = {1, 2, 3, 4, 5, 6};  // red bottom, red top, green bottom, ...
  file.insert(file.end(), planes.begin(), planes.end());
  EXPECT_EQ(Load(DecodeSgi(file)), (Pixels{0xFF020406u, 0xFF010305u}));
}

TEST(DecodeSgi, GreyChannelsFillRedGreenAndBlue) {
  const struct {
    int channels;
    Bytes planes;
    Pixels expected;
  } cases[] = {
      {1, {10, 20}, {0xFF141414u, 0xFF0A0A0Au}},
      {2, {10, 20, 0, 128}, {0x80141414u, 0x000A0A0Au}},
      // Channels beyond the fourth are ignored.
      {5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 9}, {0x08020406u, 0x07010305u}},
  };
  for (const auto& c : cases) {
    Bytes file = SgiHeader(0, 1, 2, c.channels);
    file.insert(file.end(), c.planes.begin(), c.planes.end());
    EXPECT_EQ(Load(DecodeSgi(file)), c.expected) << c.channels;
  }
}

TEST(DecodeSgi, RunLengthRgbaKeepsAlpha) {
  Bytes file = SgiHeader(1, 3, 1, 4);
  // Four rows (one per channel): the start table, the length table, then the runs.
  const Bytes runs[4] = {{0x03, 200, 0}, {0x83, 1, 2, 3, 0}, {0x03, 0, 0}, {0x02, 255, 0x01, 0, 0}};
  uint32_t at = 512 + 4 * 8;
  for (const Bytes& r : runs) {
    fixtures::Be32(file, at);
    at += static_cast<uint32_t>(r.size());
  }
  for (const Bytes& r : runs) fixtures::Be32(file, static_cast<uint32_t>(r.size()));
  for (const Bytes& r : runs) file.insert(file.end(), r.begin(), r.end());
  EXPECT_EQ(Load(DecodeSgi(file)), (Pixels{0xFFC80100u, 0xFFC80200u, 0x00C80300u}));
}

TEST(DecodeSgi, FailureMessages) {
  Bytes badRun = SgiHeader(1, 2, 1, 1);
  fixtures::Be32(badRun, 520);
  fixtures::Be32(badRun, 3);
  badRun.insert(badRun.end(), {0x05, 1, 0});  // a run of 5 in a row of 2
  Bytes truncated = SgiHeader(0, 4, 4, 3);
  truncated.push_back(1);
  const std::pair<Bytes, std::string> cases[] = {
      {Bytes{1, 0xDA}, "SGI image is not valid. The header is missing."},
      {truncated, "SGI image is not valid. The picture data is truncated."},
      {badRun, "SGI image is not valid. A run leaves the picture row."},
      {SgiHeader(2, 1, 1, 1), "SGI image is not valid. The header values are not supported."},
      {SgiHeader(0, 0, 1, 1), "SGI image has no pixels."},
  };
  for (const auto& [bytes, message] : cases) EXPECT_EQ(MessageOf(DecodeSgi, bytes), message);
}

// ---- Portable maps ----

TEST(DecodePortableMap, EveryForm) {
  constexpr TColor32 kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;
  const std::pair<Bytes, Pixels> cases[] = {
      {Text("P1\n# comment\n3 1\n1 0 1\n"), {kBlack, kWhite, kBlack}},
      {Text("P1 3 1 101"), {kBlack, kWhite, kBlack}},
      {Text("P2 2 1 10 0 10"), {kBlack, kWhite}},
      {Text("P2 1 1 4 2"), {0xFF808080u}},
      {Text("P3 1 1 255 1 2 3"), {0xFF010203u}},
      {Bytes{'P', '4', ' ', '3', ' ', '1', '\n', 0xA0}, {kBlack, kWhite, kBlack}},
      {Bytes{'P', '5', ' ', '2', ' ', '1', ' ', '2', '5', '5', '\n', 7, 200}, {0xFF070707u, 0xFFC8C8C8u}},
      {Bytes{'P', '5', ' ', '1', ' ', '1', ' ', '6', '5', '5', '3', '5', '\n', 0x80, 0x00}, {0xFF808080u}},
      {Bytes{'P', '6', '#', 'x', '\n', '1', ' ', '1', ' ', '2', '5', '5', '\r', 9, 8, 7}, {0xFF090807u}},
  };
  for (const auto& [bytes, pixels] : cases)
    EXPECT_EQ(Load(DecodePortableMap(bytes)), pixels) << std::string(bytes.begin(), bytes.begin() + 2);
}

TEST(DecodePortableMap, FailureMessages) {
  const std::pair<Bytes, std::string> cases[] = {
      {Text("P7 1 1"), "Portable map image is not valid. The signature is missing."},
      {Text("P2 2"), "Portable map image is not valid. A number is missing."},
      {Text("P2 1 1 0 0"), "Portable map image is not valid. The largest sample value is invalid."},
      {Text("P2 1 1 9 10"), "Portable map image is not valid. A sample exceeds the largest value."},
      {Text("P6 2 2 255\nabc"), "Portable map image is not valid. The picture data is truncated."},
      {Text("P6 1 1 255"), "Portable map image is not valid. The header is not terminated."},
      {Text("P1 2 1 1 x"), "Portable map image is not valid. A pixel is missing."},
      {Text("P5 99999999999 1 255\n"), "Portable map image is not valid. A number is too large."},
      {Text("P5 70000 1 255\n"),
       "Portable map image is too large (70000 x 1 pixels; the limit is 8192 x 8192 pixels, 65535 on a "
       "side)."},
      {Text("P5 20000 20000 255\n"),
       "Portable map image is too large (20000 x 20000 pixels; the limit is 8192 x 8192 pixels, 65535 on a "
       "side)."},
  };
  for (const auto& [bytes, message] : cases) EXPECT_EQ(MessageOf(DecodePortableMap, bytes), message);
}

}  // namespace
}  // namespace mirelane
