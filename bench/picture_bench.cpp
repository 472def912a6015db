// Picture file speed: decoding a large JPEG and an RGBA PNG, encoding a 2048 x 2048 picture in each format.
#include <benchmark/benchmark.h>

#include <memory>

#include "picture/picture_decoders.h"
#include "picture/picture_writer.h"
#include "raster/bitmap32.h"

namespace mirelane {
namespace {

// A picture with smooth gradients, a transparent margin and varying alpha; with grain it also carries
// three bits of noise per channel, which is the hard case for deflate at level 9.
std::unique_ptr<TBitmap32> ShotLikePicture(int width, int height, bool grainy = true) {
  auto picture = std::make_unique<TBitmap32>(width, height);
  uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    TColor32* row = picture->ScanLine(y);
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const uint32_t grain = grainy ? (seed >> 29) & 7 : 0;
      const uint32_t r = (static_cast<uint32_t>(x) * 255 / static_cast<uint32_t>(width) + grain) & 0xFF;
      const uint32_t g = (static_cast<uint32_t>(y) * 255 / static_cast<uint32_t>(height) + grain) & 0xFF;
      const uint32_t b = ((static_cast<uint32_t>(x ^ y) >> 3) + grain) & 0xFF;
      const uint32_t a =
          x < width / 8 ? 0 : (x < width / 4 ? static_cast<uint32_t>(x * 255 / (width / 4)) : 255);
      row[x] = Color32(r, g, b, a);
    }
  }
  return picture;
}

const TBitmap32& Picture2048() {
  static const auto picture = ShotLikePicture(2048, 2048);
  return *picture;
}

const TBitmap32& SmoothPicture2048() {
  static const auto picture = ShotLikePicture(2048, 2048, false);
  return *picture;
}

void BM_DecodeJpeg4000x3000(benchmark::State& state) {
  static const std::vector<uint8_t> jpeg = EncodeJpg(*ShotLikePicture(4000, 3000), 96);
  for (auto _ : state) {
    TDecodedPicture picture = DecodeJpeg(jpeg);
    benchmark::DoNotOptimize(picture.Pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * 4000 * 3000);
  state.counters["file_MB"] = static_cast<double>(jpeg.size()) / 1e6;
}
BENCHMARK(BM_DecodeJpeg4000x3000)->Unit(benchmark::kMillisecond);

void BM_DecodePngRgba2048(benchmark::State& state) {
  static const std::vector<uint8_t> png = EncodePng(Picture2048(), 96);
  for (auto _ : state) {
    TDecodedPicture picture = DecodePng(png);
    benchmark::DoNotOptimize(picture.Pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * 2048 * 2048);
  state.counters["file_MB"] = static_cast<double>(png.size()) / 1e6;
}
BENCHMARK(BM_DecodePngRgba2048)->Unit(benchmark::kMillisecond);

std::vector<uint8_t> Png(const TBitmap32& picture) {
  return EncodePng(picture, 96);
}
std::vector<uint8_t> Jpg(const TBitmap32& picture) {
  return EncodeJpg(picture, 96);
}
std::vector<uint8_t> Bmp(const TBitmap32& picture) {
  return EncodeBmp(picture, 96);
}
std::vector<uint8_t> WebpLossless(const TBitmap32& picture) {
  return EncodeWebp(picture);
}
std::vector<uint8_t> WebpQuality80(const TBitmap32& picture) {
  return EncodeWebp(picture, {false, 80});
}

template <std::vector<uint8_t> (*Encode)(const TBitmap32&), bool Smooth = false>
void EncodePicture2048(benchmark::State& state) {
  const TBitmap32& picture = Smooth ? SmoothPicture2048() : Picture2048();
  size_t bytes = 0;
  for (auto _ : state) {
    const std::vector<uint8_t> file = Encode(picture);
    bytes = file.size();
    benchmark::DoNotOptimize(file.data());
  }
  state.SetItemsProcessed(state.iterations() * 2048 * 2048);
  state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_EncodePng_2048(benchmark::State& state) {
  EncodePicture2048<Png>(state);
}
void BM_EncodePng_2048_Smooth(benchmark::State& state) {
  EncodePicture2048<Png, true>(state);
}
void BM_EncodeJpg_2048(benchmark::State& state) {
  EncodePicture2048<Jpg>(state);
}
void BM_EncodeBmp_2048(benchmark::State& state) {
  EncodePicture2048<Bmp>(state);
}
void BM_EncodeWebpLossless_2048_Smooth(benchmark::State& state) {
  EncodePicture2048<WebpLossless, true>(state);
}
void BM_EncodeWebpQuality80_2048_Smooth(benchmark::State& state) {
  EncodePicture2048<WebpQuality80, true>(state);
}
BENCHMARK(BM_EncodePng_2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePng_2048_Smooth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeJpg_2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeBmp_2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeWebpLossless_2048_Smooth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeWebpQuality80_2048_Smooth)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirelane
