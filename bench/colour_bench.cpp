// The colour step on a 2048 x 2048 picture: through an RGB matrix profile, through the CMYK press
// profile, and the pictures that pay nothing (no profile, or one that is sRGB in all but name); and
// the reference shot at 2048 x 2048 with its front artwork as each kind of file.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <lcms2.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "compose/layer_stack.h"
#include "picture/colour_management.h"
#include "picture/picture_reader.h"
#include "raster/bitmap32.h"
#include "raster/decoded_picture.h"
#include "support/sample_sources.h"
#include "templates/render_template.h"

namespace mirelane {
namespace {

std::vector<uint8_t> WideGamutProfile() {
  const cmsCIExyY white{0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  std::vector<uint8_t> bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  cmsFreeToneCurve(gamma);
  return bytes;
}

enum Case { kNone, kSrgbTagged, kAdobeRgb, kCmykPress };

void BM_ConvertToSrgb2048(benchmark::State& state) {
  const auto which = static_cast<Case>(state.range(0));
  TDecodedPicture source;
  source.Width = source.Height = 2048;
  source.Pixels.resize(size_t{2048} * 2048);
  uint32_t seed = 7;
  for (TColor32& p : source.Pixels) p = (seed = seed * 1664525u + 1013904223u) | 0xFF000000u;
  if (which == kSrgbTagged) source.IccProfile = SrgbIccProfile();
  if (which == kAdobeRgb) source.IccProfile = WideGamutProfile();
  if (which == kCmykPress) source.Samples = TSampleSpace::InvertedInks;
  // Converted in place again and again: what the bytes hold changes, the work per pixel does not.
  const TSampleSpace samples = source.Samples;
  for (auto _ : state) {
    source.Samples = samples;
    ConvertToSrgb(source, "bench");
    benchmark::DoNotOptimize(source.Pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * 2048 * 2048);
}
BENCHMARK(BM_ConvertToSrgb2048)
    ->ArgName("none_srgb_adobe_cmyk")
    ->DenseRange(kNone, kCmykPress)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// examples/front.png as a JPEG of the kind asked for: sRGB (tagged, as the program saves it), Adobe RGB
// with its profile, or CMYK separated for the press profile and carrying it, as print files come.
std::filesystem::path FrontJpeg(Case which) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("mirelane_bench_front_" + std::to_string(int(which)) + ".jpg");
  if (std::filesystem::exists(file)) return file;
  TDecodedPicture front = ReadPicture(std::string(MIRELANE_SOURCE_DIR) + "/examples/front.png");
  const std::vector<uint8_t> profile = which == kCmykPress  ? PressIccProfile()
                                       : which == kAdobeRgb ? WideGamutProfile()
                                                            : SrgbIccProfile();
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHPROFILE target = cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
  const bool inks = which == kCmykPress;
  cmsHTRANSFORM t = cmsCreateTransform(srgb, TYPE_BGRA_8, target, inks ? TYPE_CMYK_8_REV : TYPE_BGRA_8,
                                       INTENT_PERCEPTUAL, cmsFLAGS_BLACKPOINTCOMPENSATION);
  std::vector<TColor32> samples(front.Pixels.size());
  cmsDoTransform(t, front.Pixels.data(), samples.data(), static_cast<cmsUInt32Number>(samples.size()));
  cmsDeleteTransform(t);
  cmsCloseProfile(target);
  cmsCloseProfile(srgb);
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(front.Width);
  info.image_height = static_cast<JDIMENSION>(front.Height);
  info.input_components = 4;
  info.in_color_space = inks ? JCS_CMYK : JCS_EXT_BGRX;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 92, TRUE);
  jpeg_start_compress(&info, TRUE);
  jpeg_write_icc_profile(&info, profile.data(), static_cast<unsigned>(profile.size()));
  while (info.next_scanline < info.image_height) {
    JSAMPROW row =
        reinterpret_cast<JSAMPROW>(samples.data() + size_t{info.next_scanline} * size_t(front.Width));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(buffer), static_cast<std::streamsize>(size));
  std::free(buffer);
  return file;
}

void BM_ReferenceShot2048WithFront(benchmark::State& state) {
  const auto which = static_cast<Case>(state.range(0));
  LayerSources sources = testing::SampleSources(MIRELANE_SOURCE_DIR);
  sources[2].PicturePath = FrontJpeg(which == kNone ? kSrgbTagged : which).string();
  EditingState editing;
  TImgView32 view;
  for (auto _ : state) {
    RenderContext context{editing, sources, std::filesystem::path(MIRELANE_SOURCE_DIR) / "data"};
    RenderTemplate(view, 2048, 2048, context);
    benchmark::DoNotOptimize(view.Layers().Count());
  }
}
BENCHMARK(BM_ReferenceShot2048WithFront)
    ->ArgName("srgb_adobe_cmyk")
    ->Arg(kSrgbTagged)
    ->Arg(kAdobeRgb)
    ->Arg(kCmykPress)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace mirelane
