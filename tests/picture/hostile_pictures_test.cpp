// Damaged pictures of every kind the readers take: cut short anywhere and with bytes changed at random,
// each is either a consistent picture or refused with our error, never a memory fault (run under
// AddressSanitizer by make test-asan).
#include <gtest/gtest.h>

#include <random>

#include "picture/picture_fixtures.h"
#include "picture/picture_reader.h"
#include "picture/picture_writer.h"
#include "raster/bitmap32.h"
#include "raster/error.h"

namespace mirelane {
namespace {

using fixtures::Bytes;

// Whatever the reader makes of the bytes must be a whole picture or an Error.
void ExpectConsistentOrRefused(const char* extension, const Bytes& bytes, const std::string& what) {
  try {
    TColourNote note;
    const TDecodedPicture picture = ReadPictureFromMemory(extension, bytes, &note);
    EXPECT_TRUE(picture.Width > 0 && picture.Height > 0 && picture.Samples == TSampleSpace::Colour &&
                picture.Pixels.size() == size_t(picture.Width) * size_t(picture.Height))
        << what;
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()), "") << what;
  }
}

TEST(HostilePictures, CutOrCorruptedFilesAreConsistentPicturesOrRefusals) {
  TBitmap32 picture(23, 17);
  for (size_t i = 0; i < picture.PixelCount(); ++i)
    picture.Bits()[i] = static_cast<TColor32>(i * 2654435761u);
  const std::string ppm = "P6 4 3 255\n" + std::string(36, '\x55');
  const struct {
    const char* extension;
    Bytes bytes;
  } files[] = {
      {"png", EncodePng(picture, 96)},
      {"jpg", EncodeJpg(picture, 96)},
      {"bmp", EncodeBmp(picture, 96)},
      {"webp", EncodeWebp(picture)},
      {"webp", EncodeWebp(picture, {false, 50})},
      {"gif", fixtures::GifFile(4, 2, {{0, 0, 0}, {255, 0, 0}}, {{4, 2, {0, 1, 1, 0, 1, 0, 0, 1}}})},
      {"tif", fixtures::TiffFile(4, 3, 3, false, Bytes(36, 7))},
      {"jpg", fixtures::CmykJpeg(8, 8, {10, 200, 30, 40}, JCS_CMYK, true)},
      {"ppm", Bytes(ppm.begin(), ppm.end())},
  };
  // Each trial cuts the file short at random or changes one to four of its bytes.
  std::mt19937 random(20261210);
  for (const auto& file : files)
    for (int trial = 0; trial < 200; ++trial) {
      Bytes bent = file.bytes;
      if (trial % 4 == 0) bent.resize(random() % bent.size());
      for (int flips = trial % 4 == 0 ? 0 : 1 + int(random() % 4); flips > 0; --flips)
        bent[random() % bent.size()] ^= static_cast<uint8_t>(1 + random() % 255);
      ExpectConsistentOrRefused(file.extension, bent,
                                std::string(file.extension) + " trial " + std::to_string(trial));
    }
}

}  // namespace
}  // namespace mirelane
