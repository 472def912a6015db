// Colour management: files made here with Little CMS from a known sRGB picture come back to it, saved
// files say they are sRGB, and an unusable profile warns without refusing the picture.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <lcms2.h>

#include <cstdlib>

#include "picture/colour_management.h"
#include "picture/picture_fixtures.h"
#include "picture/picture_reader.h"
#include "picture/picture_writer.h"
#include "raster/bitmap32.h"

namespace mirelane {
namespace {

using fixtures::Bytes;
constexpr uint32_t kWidth = 24, kHeight = 16;

// Muted colours over the whole range of lightness, inside a press's gamut as well as Adobe RGB's.
std::vector<TColor32> KnownPicture() {
  std::vector<TColor32> pixels;
  for (uint32_t y = 0; y < kHeight; ++y)
    for (uint32_t x = 0; x < kWidth; ++x) {
      const uint32_t grey = 40 + 10 * y;
      pixels.push_back(Color32(grey + (x % 3) * 12, grey + (x / 3 % 3) * 10, grey + x / 9 * 14));
    }
  return pixels;
}

// The known picture's samples in a profile's space, four bytes a pixel (inks, or B, G, R, A).
Bytes Separated(const Bytes& profile, cmsUInt32Number format) {
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHPROFILE to = cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
  const std::vector<TColor32> known = KnownPicture();
  Bytes out(known.size() * 4);
  cmsHTRANSFORM t = cmsCreateTransform(
      srgb, TYPE_BGRA_8, to, format, format == TYPE_BGRA_8 ? INTENT_RELATIVE_COLORIMETRIC : INTENT_PERCEPTUAL,
      cmsFLAGS_BLACKPOINTCOMPENSATION);
  cmsDoTransform(t, known.data(), out.data(), static_cast<cmsUInt32Number>(known.size()));
  cmsDeleteTransform(t);
  cmsCloseProfile(to);
  cmsCloseProfile(srgb);
  return out;
}

// libjpeg marks CMYK files as Adobe's, whose inks are stored inverted, as Photoshop writes them.
Bytes JpegOf(const Bytes& samples, bool inks, const Bytes& profile) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = kWidth;
  info.image_height = kHeight;
  info.input_components = 4;
  info.in_color_space = inks ? JCS_CMYK : JCS_EXT_BGRX;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;  // no colour subsampling
  jpeg_start_compress(&info, TRUE);
  if (!profile.empty()) jpeg_write_icc_profile(&info, profile.data(), static_cast<unsigned>(profile.size()));
  for (JSAMPROW row; info.next_scanline < kHeight; jpeg_write_scanlines(&info, &row, 1))
    row = const_cast<JSAMPROW>(samples.data() + size_t{info.next_scanline} * kWidth * 4);
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// An RGB PNG of B, G, R, A samples with the given ancillary chunks before its data.
Bytes PngOf(const Bytes& bgra, std::vector<fixtures::PngChunk> chunks) {
  Bytes rgb;
  for (size_t i = 0; i < bgra.size(); i += 4) rgb.insert(rgb.end(), {bgra[i + 2], bgra[i + 1], bgra[i]});
  chunks.insert(chunks.begin(), {"IHDR", fixtures::Ihdr(kWidth, kHeight, 8, 2)});
  chunks.push_back({"IDAT", fixtures::Deflate(fixtures::UnfilteredRows(rgb, kWidth * 3))});
  chunks.push_back({"IEND", {}});
  return fixtures::PngFile(chunks);
}

fixtures::PngChunk IccpChunk(const Bytes& profile) {
  Bytes data = {'A', 0, 0};
  const Bytes packed = fixtures::Deflate(profile);
  data.insert(data.end(), packed.begin(), packed.end());
  return {"iCCP", data};
}

double MeanDeltaE(const std::vector<TColor32>& a, const std::vector<TColor32>& b) {
  cmsHPROFILE srgb = cmsCreate_sRGBProfile(), lab = cmsCreateLab4Profile(nullptr);
  cmsHTRANSFORM t = cmsCreateTransform(srgb, TYPE_BGRA_8, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
  std::vector<cmsCIELab> la(a.size()), lb(b.size());
  cmsDoTransform(t, a.data(), la.data(), static_cast<cmsUInt32Number>(a.size()));
  cmsDoTransform(t, b.data(), lb.data(), static_cast<cmsUInt32Number>(b.size()));
  cmsDeleteTransform(t);
  cmsCloseProfile(lab);
  cmsCloseProfile(srgb);
  double sum = 0;
  for (size_t i = 0; i < la.size(); ++i) sum += cmsDeltaE(&la[i], &lb[i]);
  return sum / static_cast<double>(la.size());
}

Bytes Be32s(std::initializer_list<uint32_t> values) {
  Bytes out;
  for (uint32_t v : values) fixtures::Be32(out, v);
  return out;
}

// Profiled files come back to the colours they were made from; a profile that cannot be used is
// passed over with a warning naming the file, and the picture loads as sRGB.
TEST(ConvertToSrgb, FilesComeBackToTheColoursTheyWereMadeFromOrWarn) {
  // Both profiles come with the press profile's package: Adobe RGB (1998) as Ghostscript ships it.
  const Bytes press = PressIccProfile();
  const Bytes adobe = fixtures::ReadFileBytes("/usr/share/color/icc/ghostscript/a98.icc");
  ASSERT_FALSE(press.empty() || adobe.empty()) << "the profiles of libgs-common are missing";
  const Bytes inks = Separated(press, TYPE_CMYK_8), inverted = Separated(press, TYPE_CMYK_8_REV);
  const Bytes adobeSamples = Separated(adobe, TYPE_BGRA_8);
  const std::vector<TColor32> known = KnownPicture();
  const Bytes srgb(reinterpret_cast<const uint8_t*>(known.data()),
                   reinterpret_cast<const uint8_t*>(known.data()) + known.size() * 4);
  // Adobe RGB's chromaticities with a 2.2 gamma, described without a profile.
  const fixtures::PngChunk chrm{"cHRM", Be32s({31270, 32900, 64000, 33000, 21000, 71000, 15000, 6000})};
  const fixtures::PngChunk gama{"gAMA", Be32s({45455})};
  const struct {
    const char* name;
    Bytes file;
    const char* warning;  // the reason given, or null
  } cases[] = {
      {"cmyk-profiled.jpg", JpegOf(inverted, true, press), nullptr},
      {"cmyk-bare.jpg", JpegOf(inverted, true, {}), nullptr},
      {"cmyk.tif",
       fixtures::TiffFile(kWidth, kHeight, 4, false, inks, COMPRESSION_NONE, 0, PHOTOMETRIC_SEPARATED, press),
       nullptr},
      {"adobe.png", PngOf(adobeSamples, {IccpChunk(adobe)}), nullptr},
      {"adobe.jpg", JpegOf(adobeSamples, false, adobe), nullptr},
      {"adobe-chrm.png", PngOf(adobeSamples, {chrm, gama}), nullptr},
      {"cut.png", PngOf(srgb, {IccpChunk(Bytes(press.begin(), press.begin() + 60))}),
       "the profile is damaged"},
      {"press.png", PngOf(srgb, {IccpChunk(press)}),
       "it describes CMYK inks, but the picture holds RGB colours"},
  };
  const fixtures::TempFolder folder;
  for (const auto& c : cases) {
    const std::string file = folder.File(c.name);
    fixtures::WriteBytes(file, c.file);
    TColourNote note;
    const TDecodedPicture picture = ReadPicture(file, &note);
    EXPECT_EQ(note.Warning, c.warning == nullptr
                                ? std::string()
                                : "The colour profile embedded in \"" + file + "\" cannot be used (" +
                                      c.warning + "); its colours are taken as sRGB.");
    EXPECT_EQ(note.Profile.empty(), c.warning != nullptr) << c.name;
    EXPECT_LT(MeanDeltaE(picture.Pixels, known), 2.0) << c.name;
  }
}

TEST(SaveFormats, SavedJpegAndWebpCarryTheSrgbProfileAndReadBackUnchanged) {
  TBitmap32 picture(kWidth, kHeight);
  std::copy_n(KnownPicture().data(), kWidth * kHeight, picture.Bits());
  EXPECT_LT(SrgbIccProfile().size(), 1024u);
  const std::pair<const char*, Bytes> cases[] = {{"jpg", EncodeJpg(picture, 96, 100)},
                                                 {"webp", EncodeWebp(picture)}};
  for (const auto& [extension, file] : cases) {
    const TDecodedPicture raw = PictureFormatFor(extension).Reader(file);
    EXPECT_EQ(raw.IccProfile, SrgbIccProfile()) << extension;
    // A profile that is sRGB in all but name leaves the decoded colours alone.
    EXPECT_EQ(ReadPictureFromMemory(extension, file).Pixels, raw.Pixels) << extension;
  }
}

}  // namespace
}  // namespace mirelane
