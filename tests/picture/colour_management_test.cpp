// Colour management: files made here with Little CMS from a known sRGB picture come back to it, saved
// files say they are sRGB, and an unusable profile warns without refusing the picture.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <lcms2.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "picture/colour_management.h"
#include "picture/picture_fixtures.h"
#include "picture/picture_reader.h"
#include "picture/picture_writer.h"
#include "raster/bitmap32.h"

namespace mirelane {
namespace {

using fixtures::Bytes;

// Muted colours over the whole range of lightness, inside a press's gamut as well as Adobe RGB's.
std::vector<TColor32> KnownPicture() {
  std::vector<TColor32> pixels;
  for (uint32_t y = 0; y < 16; ++y)
    for (uint32_t x = 0; x < 24; ++x) {
      const uint32_t grey = 40 + 10 * y;
      pixels.push_back(Color32(grey + (x % 3) * 12, grey + (x / 3 % 3) * 10, grey + x / 9 * 14));
    }
  return pixels;
}
constexpr uint32_t kWidth = 24, kHeight = 16;

struct Profile {
  cmsHPROFILE handle;
  explicit Profile(cmsHPROFILE p) : handle(p) {}
  ~Profile() { cmsCloseProfile(handle); }
  Bytes Saved() const {
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(handle, nullptr, &size);
    Bytes bytes(size);
    cmsSaveProfileToMem(handle, bytes.data(), &size);
    return bytes;
  }
};

cmsHPROFILE AdobeRgb() {
  const cmsCIExyY white{0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(gamma);
  return profile;
}

// The known picture's samples in the profile's space: 4 ink bytes or B, G, R, A per pixel.
Bytes Separated(cmsHPROFILE to, cmsUInt32Number format, size_t bytesPerPixel) {
  const Profile srgb(cmsCreate_sRGBProfile());
  const std::vector<TColor32> known = KnownPicture();
  Bytes out(known.size() * bytesPerPixel);
  cmsHTRANSFORM t = cmsCreateTransform(
      srgb.handle, TYPE_BGRA_8, to, format,
      bytesPerPixel == 4 && format != TYPE_BGRA_8 ? INTENT_PERCEPTUAL : INTENT_RELATIVE_COLORIMETRIC,
      cmsFLAGS_BLACKPOINTCOMPENSATION);
  cmsDoTransform(t, known.data(), out.data(), static_cast<cmsUInt32Number>(known.size()));
  cmsDeleteTransform(t);
  return out;
}

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
  while (info.next_scanline < kHeight) {
    JSAMPROW row = const_cast<JSAMPROW>(samples.data() + size_t{info.next_scanline} * kWidth * 4);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

Bytes CmykTiffOf(const Bytes& inks, const Bytes& profile) {
  char name[] = "/tmp/mirelane_cmyk_XXXXXX";
  close(mkstemp(name));
  TIFF* tif = TIFFOpen(name, "w");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kHeight);
  TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(profile.size()), profile.data());
  for (uint32_t y = 0; y < kHeight; ++y)
    TIFFWriteScanline(tif, const_cast<uint8_t*>(&inks[y * kWidth * 4]), y, 0);
  TIFFClose(tif);
  Bytes bytes = fixtures::ReadFileBytes(name);
  std::remove(name);
  return bytes;
}

// An RGB PNG (samples B, G, R, A per pixel) with the given ancillary chunks before its data.
Bytes PngOf(const Bytes& bgra, std::vector<fixtures::PngChunk> chunks) {
  Bytes rgb;
  for (size_t i = 0; i < bgra.size(); i += 4) rgb.insert(rgb.end(), {bgra[i + 2], bgra[i + 1], bgra[i]});
  chunks.insert(chunks.begin(), {"IHDR", fixtures::Ihdr(kWidth, kHeight, 8, 2)});
  chunks.push_back({"IDAT", fixtures::Deflate(fixtures::UnfilteredRows(rgb, kWidth * 3))});
  chunks.push_back({"IEND", {}});
  return fixtures::PngFile(chunks);
}

fixtures::PngChunk IccpChunk(const Bytes& profile) {
  Bytes data = {'A', 'd', 'o', 'b', 'e', 0, 0};
  const Bytes packed = fixtures::Deflate(profile);
  data.insert(data.end(), packed.begin(), packed.end());
  return {"iCCP", data};
}

Bytes Be32s(std::initializer_list<uint32_t> values) {
  Bytes out;
  for (uint32_t v : values) fixtures::Be32(out, v);
  return out;
}

double MeanDeltaE(const std::vector<TColor32>& a, const std::vector<TColor32>& b) {
  const Profile srgb(cmsCreate_sRGBProfile());
  const Profile lab(cmsCreateLab4Profile(nullptr));
  cmsHTRANSFORM t =
      cmsCreateTransform(srgb.handle, TYPE_BGRA_8, lab.handle, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
  std::vector<cmsCIELab> la(a.size()), lb(b.size());
  cmsDoTransform(t, a.data(), la.data(), static_cast<cmsUInt32Number>(a.size()));
  cmsDoTransform(t, b.data(), lb.data(), static_cast<cmsUInt32Number>(b.size()));
  cmsDeleteTransform(t);
  double sum = 0;
  for (size_t i = 0; i < la.size(); ++i) sum += cmsDeltaE(&la[i], &lb[i]);
  return sum / static_cast<double>(la.size());
}

TEST(ConvertToSrgb, ProfiledFilesComeBackToTheColoursTheyWereMadeFrom) {
  ASSERT_FALSE(PressIccProfile().empty()) << "the press profile package (libgs-common) is missing";
  const Bytes press = PressIccProfile();
  const Profile pressProfile(cmsOpenProfileFromMem(press.data(), static_cast<cmsUInt32Number>(press.size())));
  const Profile adobe(AdobeRgb());
  const Bytes adobeBytes = adobe.Saved();
  const Bytes inks = Separated(pressProfile.handle, TYPE_CMYK_8, 4);
  // libjpeg marks CMYK files as Adobe's, whose inks are stored inverted, as Photoshop writes them.
  const Bytes invertedInks = Separated(pressProfile.handle, TYPE_CMYK_8_REV, 4);
  const Bytes adobeSamples = Separated(adobe.handle, TYPE_BGRA_8, 4);
  // Adobe RGB's cHRM and a 2.2 gamma; the profile above has 563/256.
  const fixtures::PngChunk chrm{"cHRM", Be32s({31270, 32900, 64000, 33000, 21000, 71000, 15000, 6000})};
  const fixtures::PngChunk gama{"gAMA", Be32s({45455})};
  const struct {
    const char* name;
    const char* extension;
    Bytes file;
    double tolerance;
  } cases[] = {
      {"CMYK JPEG with its press profile", "jpg", JpegOf(invertedInks, true, press), 2},
      {"CMYK JPEG without a profile", "jpg", JpegOf(invertedInks, true, {}), 2},
      {"CMYK TIFF with its press profile", "tif", CmykTiffOf(inks, press), 2},
      {"Adobe RGB PNG", "png", PngOf(adobeSamples, {IccpChunk(adobeBytes)}), 1},
      {"Adobe RGB JPEG", "jpg", JpegOf(adobeSamples, false, adobeBytes), 2},
      {"Adobe RGB PNG by cHRM and gAMA", "png", PngOf(adobeSamples, {chrm, gama}), 2},
  };
  for (const auto& c : cases) {
    TColourNote note;
    const TDecodedPicture picture = ReadPictureFromMemory(c.extension, c.file, &note);
    EXPECT_EQ(picture.Samples, TSampleSpace::Colour) << c.name;
    EXPECT_TRUE(note.Warning.empty()) << c.name << ": " << note.Warning;
    EXPECT_FALSE(note.Profile.empty()) << c.name;
    EXPECT_LT(MeanDeltaE(picture.Pixels, KnownPicture()), c.tolerance) << c.name;
  }
}

TEST(ConvertToSrgb, AnUnusableProfileWarnsAndThePictureLoadsAsSrgb) {
  const std::vector<TColor32> pixels = KnownPicture();
  const auto* first = reinterpret_cast<const uint8_t*>(pixels.data());
  const Bytes known(first, first + pixels.size() * 4);
  Bytes damaged = Profile(AdobeRgb()).Saved();
  damaged.resize(60);
  const struct {
    const char* name;
    Bytes profile;
    const char* reason;
  } cases[] = {
      {"cut short", damaged, "(the profile is damaged)"},
      {"press profile on RGB", PressIccProfile(),
       "(it describes CMYK inks, but the picture holds RGB colours)"},
  };
  for (const auto& c : cases) {
    TColourNote note;
    const TDecodedPicture picture = ReadPictureFromMemory("png", PngOf(known, {IccpChunk(c.profile)}), &note);
    EXPECT_NE(note.Warning.find(c.reason), std::string::npos) << c.name << ": " << note.Warning;
    EXPECT_NE(note.Warning.find("taken as sRGB"), std::string::npos) << c.name;
    EXPECT_EQ(picture.Pixels, KnownPicture()) << c.name;
  }
  const fixtures::TempFolder folder;
  const std::string file = folder.File("cover.png");
  fixtures::WriteBytes(file, PngOf(known, {IccpChunk(damaged)}));
  TBitmap32 surface;
  EXPECT_NE(LoadFromFile(surface, file).Warning.find("\"" + file + "\""), std::string::npos);
  EXPECT_EQ(surface.Width(), int32_t{kWidth});
}

TEST(SaveFormats, JpegAndWebpEmbedTheSrgbProfileAndReadBackUnchanged) {
  TBitmap32 picture(kWidth, kHeight);
  std::copy_n(KnownPicture().data(), kWidth * kHeight, picture.Bits());
  const std::pair<const char*, Bytes> cases[] = {{"jpg", EncodeJpg(picture, 96, 100)},
                                                 {"webp", EncodeWebp(picture)}};
  for (const auto& [extension, file] : cases) {
    const TDecodedPicture raw = PictureFormatFor(extension).Reader(file);
    EXPECT_EQ(raw.IccProfile, SrgbIccProfile()) << extension;
    // A profile that is sRGB in all but name leaves the decoded colours alone.
    EXPECT_EQ(ReadPictureFromMemory(extension, file).Pixels, raw.Pixels) << extension;
  }
  EXPECT_LT(SrgbIccProfile().size(), 1024u);
}

}  // namespace
}  // namespace mirelane
