// The Windows bitmap and icon readers on hand-made files of every supported layout.
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
using fixtures::Pixels;

// Blue, green, red, reserved: red, green, blue and white.
const Bytes kPalette = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
constexpr TColor32 kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kWhite = 0xFFFFFFFFu;

TEST(DecodeBmp, TwentyFourBitsBottomUpWithRowPadding) {
  // Bottom row first: (blue, white), then the top row (red, green); each row padded to 8 bytes.
  const Bytes data = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
  const TDecodedPicture picture = DecodeBmp(fixtures::BmpFile(2, 2, 24, 0, {}, data));
  EXPECT_EQ(picture.BitsPerPixel, 24);
  EXPECT_EQ(Load(picture), (Pixels{kRed, kGreen, kBlue, kWhite}));
}

TEST(DecodeBmp, NegativeHeightMeansTopRowFirst) {
  const Bytes data = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
  EXPECT_EQ(Load(DecodeBmp(fixtures::BmpFile(2, -2, 24, 0, {}, data))),
            (Pixels{kRed, kGreen, kBlue, kWhite}));
}

TEST(DecodeBmp, ThirtyTwoBitsKeepTheirAlpha) {
  const Bytes data = {1, 2, 3, 0, 4, 5, 6, 128};
  EXPECT_EQ(Load(DecodeBmp(fixtures::BmpFile(2, 1, 32, 0, {}, data))), (Pixels{0x00030201u, 0x80060504u}));
}

TEST(DecodeBmp, ThirtyTwoBitsWithAllFourthBytesZeroLoadOpaque) {
  const Bytes data = {1, 2, 3, 0, 4, 5, 6, 0};
  EXPECT_EQ(Load(DecodeBmp(fixtures::BmpFile(2, 1, 32, 0, {}, data))), (Pixels{0xFF030201u, 0xFF060504u}));
}

TEST(DecodeBmp, PalettedDepths) {
  struct Case {
    uint16_t bits;
    Bytes row;
  };
  // The indices 0, 1, 2, 3, 0 in each depth (2 bits: the Windows CE layout).
  const Case cases[] = {
      {8, {0, 1, 2, 3, 0, 0, 0, 0}},
      {4, {0x01, 0x23, 0x00, 0x00}},
      {2, {0x1B, 0x00, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    const Pixels loaded = Load(DecodeBmp(fixtures::BmpFile(5, 1, c.bits, 0, kPalette, c.row, 4)));
    EXPECT_EQ(loaded, (Pixels{kRed, kGreen, kBlue, kWhite, kRed})) << c.bits;
  }
  const Bytes oneBit = {0xA0, 0, 0, 0};
  EXPECT_EQ(Load(DecodeBmp(
                fixtures::BmpFile(3, 1, 1, 0, Bytes(kPalette.begin(), kPalette.begin() + 8), oneBit, 2))),
            (Pixels{kGreen, kRed, kGreen}));
}

TEST(DecodeBmp, IndicesBeyondAShortPaletteShowBlack) {
  const Bytes row = {0, 5, 0, 0};
  EXPECT_EQ(
      Load(DecodeBmp(fixtures::BmpFile(2, 1, 8, 0, Bytes(kPalette.begin(), kPalette.begin() + 4), row, 1))),
      (Pixels{kRed, 0xFF000000u}));
}

TEST(DecodeBmp, RunLengthEightBits) {
  // Bottom row: a run of 3 x index 1, end of line. Top row: a literal group 2, 0, 3, then end of bitmap.
  const Bytes data = {3, 1, 0, 0, 0, 3, 2, 0, 3, 0, 0, 1};
  EXPECT_EQ(Load(DecodeBmp(fixtures::BmpFile(3, 2, 8, 1, kPalette, data, 4))),
            (Pixels{kBlue, kRed, kWhite, kGreen, kGreen, kGreen}));
}

TEST(DecodeBmp, RunLengthFourBitsWithDelta) {
  // Bottom row: a run of 2 alternating 1 and 2; a delta 1 right and 1 up; a literal group 3, 3, 0 whose
  // last pixel falls outside the row; end of bitmap. Pixels no run reaches keep index 0.
  const Bytes data = {2, 0x12, 0, 2, 1, 1, 0, 3, 0x33, 0x00, 0, 1};
  EXPECT_EQ(Load(DecodeBmp(fixtures::BmpFile(5, 2, 4, 2, kPalette, data, 4))),
            (Pixels{kRed, kRed, kRed, kWhite, kWhite, kGreen, kBlue, kRed, kRed, kRed}));
}

TEST(DecodeBmp, SixteenBitsFiveFiveFiveAndBitFields) {
  // 0x7C00 is full red in 5-5-5; 0xF800 is full red in 5-6-5 bit fields; 0x07E0 full green.
  const Bytes data555 = {0x00, 0x7C, 0x1F, 0x00};
  EXPECT_EQ(Load(DecodeBmp(fixtures::BmpFile(2, 1, 16, 0, {}, data555))), (Pixels{kRed, kBlue}));
  Bytes masks;
  fixtures::Le32(masks, 0xF800);
  fixtures::Le32(masks, 0x07E0);
  fixtures::Le32(masks, 0x001F);
  const Bytes data565 = {0x00, 0xF8, 0xE0, 0x07};
  EXPECT_EQ(Load(DecodeBmp(fixtures::BmpFile(2, 1, 16, 3, {}, data565, 0, masks))), (Pixels{kRed, kGreen}));
}

TEST(DecodeBmp, ReadsWhatSaveBmpWrites) {
  TBitmap32 picture(3, 2);
  for (int i = 0; i < 6; ++i) picture.Bits()[i] = 0x10203040u * static_cast<uint32_t>(i + 1);
  const Pixels loaded = Load(DecodeBmp(EncodeBmp(picture, 96)));
  EXPECT_EQ(loaded, Pixels(picture.Bits(), picture.Bits() + 6));
}

TEST(DecodeBmp, BrokenFilesAreNotValid) {
  const Bytes row = {0, 0, 255, 0};
  Bytes lyingOffset = fixtures::BmpFile(1, 1, 24, 0, {}, row);
  lyingOffset[10] = 0xF0;
  Bytes badHeader = fixtures::BmpFile(1, 1, 24, 0, {}, row);
  badHeader[14] = 7;
  const Bytes cases[] = {
      Bytes{},
      Bytes{'B', 'M'},
      Bytes{'X', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0},
      fixtures::BmpFile(4, 4, 24, 0, {}, row),             // pixel data missing
      fixtures::BmpFile(1, 1, 7, 0, {}, row),              // no such depth
      fixtures::BmpFile(1, 1, 24, 1, {}, row),             // RLE8 on 24 bits
      fixtures::BmpFile(2, -2, 8, 1, kPalette, {0, 1}),    // RLE top-down
      fixtures::BmpFile(3, 2, 8, 1, kPalette, {3, 1, 0}),  // runs stop mid-escape
      fixtures::BmpFile(1, 1, 8, 0, {}, {}, 200),          // palette past the end
      lyingOffset,
      badHeader,
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(MessageOf(DecodeBmp, cases[i]), "Bitmap image is not valid") << "case " << i;
}

TEST(DecodeBmp, OversizedHeadersAreRefusedBeforeAllocation) {
  const std::pair<int32_t, int32_t> sizes[] = {{70000, 1}, {1, -70000}, {20000, 20000}};
  for (const auto& [w, h] : sizes) {
    const std::string message = MessageOf(DecodeBmp, fixtures::BmpFile(w, h, 24, 0, {}, {1, 2, 3, 4}));
    EXPECT_EQ(message.rfind("Bitmap image is too large", 0), 0u) << message;
  }
}

// ---- Icons ----

// An icon file holding the given pictures, each a DIB (or PNG) with its size byte pair.
Bytes IconFile(const std::vector<std::pair<std::pair<int, int>, Bytes>>& images) {
  Bytes out;
  fixtures::Le16(out, 0);
  fixtures::Le16(out, 1);
  fixtures::Le16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (const auto& [size, data] : images) {
    out.push_back(static_cast<uint8_t>(size.first));
    out.push_back(static_cast<uint8_t>(size.second));
    out.push_back(0);
    out.push_back(0);
    fixtures::Le16(out, 1);
    fixtures::Le16(out, 32);
    fixtures::Le32(out, static_cast<uint32_t>(data.size()));
    fixtures::Le32(out, offset);
    offset += static_cast<uint32_t>(data.size());
  }
  for (const auto& image : images) out.insert(out.end(), image.second.begin(), image.second.end());
  return out;
}

// The DIB part of a BMP file with the icon's doubled height, followed by the AND mask.
Bytes IconDib(int32_t width, int32_t height, uint16_t bits, const Bytes& palette, const Bytes& colours,
              const Bytes& mask) {
  const Bytes bmp = fixtures::BmpFile(width, 2 * height, bits, 0, palette, colours,
                                      static_cast<uint32_t>(palette.size() / 4));
  Bytes dib(bmp.begin() + 14, bmp.end());
  dib.insert(dib.end(), mask.begin(), mask.end());
  return dib;
}

TEST(DecodeIcon, ThirtyTwoBitIconKeepsItsGradedAlpha) {
  // Bottom row (1, 2, 3, 255) (4, 5, 6, 0); top row (7, 8, 9, 255) (10, 11, 12, 128).
  const Bytes colours = {1, 2, 3, 255, 4, 5, 6, 0, 7, 8, 9, 255, 10, 11, 12, 128};
  const Bytes mask(8, 0);
  const TDecodedPicture icon = DecodeIcon(IconFile({{{2, 2}, IconDib(2, 2, 32, {}, colours, mask)}}));
  EXPECT_EQ(icon.Kind, TPictureKind::IconOrMetafile);
  EXPECT_EQ(icon.Pixels, (Pixels{0xFF090807u, 0x800C0B0Au, 0xFF030201u, 0x00060504u}));
  // Through Assign opaque pixels stay, clear ones show white, and the half-covered one keeps its alpha.
  EXPECT_EQ(Load(icon), (Pixels{0xFF090807u, 0x800C0B0Au, 0xFF030201u, 0x00FFFFFFu}));

  // A soft edge: every level of alpha survives loading.
  const Bytes soft = {9, 9, 9, 1, 9, 9, 9, 64, 9, 9, 9, 200, 9, 9, 9, 254};
  const TDecodedPicture edge = DecodeIcon(IconFile({{{4, 1}, IconDib(4, 1, 32, {}, soft, Bytes(4, 0))}}));
  EXPECT_EQ(Load(edge), (Pixels{0x01090909u, 0x40090909u, 0xC8090909u, 0xFE090909u}));
}

TEST(DecodeIcon, AndMaskCutsTransparentPixelsOfAPalettedIcon) {
  const Bytes colours = {0x01, 0x23, 0, 0};  // one row of 4 pixels: indices 0, 1, 2, 3
  Bytes mask = {0x50, 0, 0, 0};              // pixels 1 and 3 transparent
  const TDecodedPicture icon = DecodeIcon(IconFile({{{4, 1}, IconDib(4, 1, 4, kPalette, colours, mask)}}));
  EXPECT_EQ(icon.Pixels, (Pixels{kRed, kGreen & 0x00FFFFFFu, kBlue, kWhite & 0x00FFFFFFu}));
}

TEST(DecodeIcon, LargestPictureIsChosenAndPngEntriesAreRead) {
  TBitmap32 big(3, 3);
  big.Clear(0x80102030u);
  const Bytes png = EncodePng(big, 96);
  const Bytes small = IconDib(1, 1, 32, {}, {1, 2, 3, 255}, {0, 0, 0, 0});
  const TDecodedPicture icon = DecodeIcon(IconFile({{{1, 1}, small}, {{3, 3}, png}}));
  EXPECT_EQ(icon.Width, 3);
  EXPECT_EQ(icon.Pixels, Pixels(9, 0x80102030u));
}

TEST(DecodeIcon, BrokenFilesAreNotValid) {
  Bytes missingMask = IconFile({{{2, 1}, IconDib(2, 1, 24, {}, {1, 2, 3, 4, 5, 6, 0, 0}, {})}});
  const Bytes cases[] = {
      Bytes{},
      Bytes{0, 0, 1, 0, 0, 0},
      Bytes{0, 0, 3, 0, 1, 0},
      IconFile({{{1, 1}, Bytes{40, 0, 0, 0, 1}}}),
      missingMask,
  };
  for (const Bytes& bytes : cases) EXPECT_EQ(MessageOf(DecodeIcon, bytes), "Icon image is not valid");
}

}  // namespace
}  // namespace mirelane
