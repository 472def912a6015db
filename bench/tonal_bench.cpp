// Tonal effects at the largest output size.
#include <benchmark/benchmark.h>

#include "raster/tonal.h"

namespace mirelane {
namespace {

void BM_FadeReflection2048(benchmark::State& state) {
  TBitmap32 surface(2048, 2048);
  for (auto _ : state) {
    state.PauseTiming();
    surface.Clear(0xFF808080u);  // every row has alpha to fade
    state.ResumeTiming();
    // 5 % of 2048 gives a ramp of 102 rows (step 3): the rest of the surface is cleared to alpha 0.
    FadeReflection(surface, static_cast<uint8_t>(state.range(0)));
    benchmark::DoNotOptimize(surface.Bits());
  }
  state.SetItemsProcessed(state.iterations() * 2048 * 2048);
}
BENCHMARK(BM_FadeReflection2048)->Arg(5)->Arg(24)->Unit(benchmark::kMillisecond);

void BM_AlphaFromMask2048(benchmark::State& state) {
  TBitmap32 mask(2048, 2048), target(2048, 2048);
  for (size_t i = 0; i < mask.PixelCount(); ++i)
    mask.Bits()[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u);
  target.Clear(0xFF336699u);
  for (auto _ : state) {
    AlphaFromMask(mask, target);
    benchmark::DoNotOptimize(target.Bits());
  }
  state.SetItemsProcessed(state.iterations() * 2048 * 2048);
}
BENCHMARK(BM_AlphaFromMask2048)->Unit(benchmark::kMillisecond);

void BM_AdjustBrightness2048(benchmark::State& state) {
  TBitmap32 surface(2048, 2048);
  surface.Clear(0x80808080u);
  int32_t amount = 1;
  for (auto _ : state) {
    AdjustBrightness(surface, amount);
    amount = -amount;
    benchmark::DoNotOptimize(surface.Bits());
  }
  state.SetItemsProcessed(state.iterations() * 2048 * 2048);
}
BENCHMARK(BM_AdjustBrightness2048)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirelane
