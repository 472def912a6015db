// The colour step on a 2048 x 2048 picture: through an RGB matrix profile, through the CMYK press
// profile, and the pictures that pay nothing (no profile, or one that is sRGB in all but name).
#include <benchmark/benchmark.h>
#include <lcms2.h>

#include "picture/colour_management.h"
#include "raster/decoded_picture.h"

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
  for (auto _ : state) {
    state.PauseTiming();
    TDecodedPicture picture = source;
    state.ResumeTiming();
    ConvertToSrgb(picture, "bench");
    benchmark::DoNotOptimize(picture.Pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * 2048 * 2048);
}
BENCHMARK(BM_ConvertToSrgb2048)
    ->ArgName("none_srgb_adobe_cmyk")
    ->DenseRange(kNone, kCmykPress)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace mirelane
