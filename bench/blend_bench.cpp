// Throughput of blending and resampling at the largest canvas size (2048 x 2048).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "raster/bitmap32.h"
#include "raster/blend.h"
#include "raster/resampler.h"

namespace mirelane {
namespace {

// A fixed pseudo-random sequence, so every run measures the same pixels.
uint32_t NextRandom(uint32_t& state) {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

void FillRandom(TBitmap32& bitmap, uint32_t seed, uint32_t alphaMask, uint32_t alphaSet) {
  for (size_t i = 0; i < bitmap.PixelCount(); ++i)
    bitmap.Bits()[i] = (NextRandom(seed) & (0x00FFFFFFu | alphaMask)) | alphaSet;
}

void BM_BlendRunHalfTransparent(benchmark::State& state) {
  const int n = 2048 * 2048;
  std::vector<TColor32> src(n), dst(n);
  uint32_t seed = 12345;
  for (int i = 0; i < n; ++i) src[i] = 0x80000000u | (NextRandom(seed) & 0x00FFFFFFu);
  for (int i = 0; i < n; ++i) dst[i] = NextRandom(seed);
  for (auto _ : state) {
    BlendRun(src.data(), dst.data(), n);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_BlendRunHalfTransparent)->Unit(benchmark::kMillisecond);

void BM_BlendRunMasterHalfTransparent(benchmark::State& state) {
  const int n = 2048 * 2048;
  std::vector<TColor32> src(n), dst(n);
  uint32_t seed = 777;
  for (int i = 0; i < n; ++i) src[i] = 0x80000000u | (NextRandom(seed) & 0x00FFFFFFu);
  for (int i = 0; i < n; ++i) dst[i] = NextRandom(seed);
  for (auto _ : state) {
    BlendRunMaster(src.data(), dst.data(), n, 200);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_BlendRunMasterHalfTransparent)->Unit(benchmark::kMillisecond);

// A layer drawn at its own size: the block path with BlendRun on every row. Alpha is random,
// so the 0 and 255 short cuts and the blend all occur.
void BM_DrawBlendSameSize2048(benchmark::State& state) {
  TBitmap32 src(2048, 2048), dst(2048, 2048);
  FillRandom(src, 99, 0xFF000000u, 0);
  FillRandom(dst, 7, 0, 0xFF000000u);
  src.SetDrawMode(dmBlend);
  for (auto _ : state) {
    dst.Draw(dst.BoundsRect(), src.BoundsRect(), &src);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 2048 * 2048);
}
BENCHMARK(BM_DrawBlendSameSize2048)->Unit(benchmark::kMillisecond);

// The preview's reduction of a full-size layer: KernelResample with the tent kernel.
void BM_LinearReduce2048To297(benchmark::State& state) {
  TBitmap32 src(2048, 2048), dst(297, 297);
  FillRandom(src, 5, 0xFF000000u, 0);
  src.SetDrawMode(dmBlend);
  src.SetResamplerClassName("TLinearResampler");
  for (auto _ : state) {
    dst.Draw(dst.BoundsRect(), src.BoundsRect(), &src);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 297 * 297);
  state.counters["src_pixels_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 2048 * 2048, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LinearReduce2048To297)->Unit(benchmark::kMillisecond);

// A background picture stretched over the whole canvas: BilinearStretch.
void BM_BilinearStretch640x480To2048(benchmark::State& state) {
  TBitmap32 src(640, 480), dst(2048, 2048);
  FillRandom(src, 11, 0, 0xFF000000u);
  src.SetResamplerClassName("TLinearResampler");
  for (auto _ : state) {
    dst.Draw(dst.BoundsRect(), src.BoundsRect(), &src);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 2048 * 2048);
}
BENCHMARK(BM_BilinearStretch640x480To2048)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirelane
