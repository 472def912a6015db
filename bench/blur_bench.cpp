// Blur throughput at the largest output size: the cost must not depend on the radius.
#include <benchmark/benchmark.h>

#include <random>

#include "raster/blur.h"

namespace mirelane {
namespace {

void FillNoise(TBitmap32& b) {
  std::mt19937 rng(1);
  for (size_t i = 0; i < b.PixelCount(); ++i) b.Bits()[i] = rng();
}

void BM_BlurBitmap2048(benchmark::State& state) {
  TBitmap32 surface(2048, 2048);
  FillNoise(surface);
  const auto radius = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    BlurBitmap(surface, radius);
    benchmark::DoNotOptimize(surface.Bits());
  }
  state.SetItemsProcessed(state.iterations() * 2048 * 2048);
}
BENCHMARK(BM_BlurBitmap2048)->Arg(15)->Arg(100)->Unit(benchmark::kMillisecond);

// The straightforward column walk, to show what the row-order column pass saves.
void BM_BlurColumnWalk2048(benchmark::State& state) {
  TBitmap32 surface(2048, 2048);
  FillNoise(surface);
  const int32_t a = BlurWeight(15);
  for (auto _ : state) {
    for (int32_t x = 0; x < 2048; ++x) BlurColumn(surface, x, a);
    benchmark::DoNotOptimize(surface.Bits());
  }
  state.SetItemsProcessed(state.iterations() * 2048 * 2048);
}
BENCHMARK(BM_BlurColumnWalk2048)->Unit(benchmark::kMillisecond);

void BM_BlurColumns2048(benchmark::State& state) {
  TBitmap32 surface(2048, 2048);
  FillNoise(surface);
  const int32_t a = BlurWeight(15);
  for (auto _ : state) {
    BlurColumns(surface, a);
    benchmark::DoNotOptimize(surface.Bits());
  }
  state.SetItemsProcessed(state.iterations() * 2048 * 2048);
}
BENCHMARK(BM_BlurColumns2048)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirelane
