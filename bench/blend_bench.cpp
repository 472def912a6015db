// Blending throughput: BlendRun over half-transparent pixels.
#include <benchmark/benchmark.h>

#include <vector>

#include "raster/blend.h"

namespace mirelane {
namespace {

void BM_BlendRunHalfTransparent(benchmark::State& state) {
  const int n = 2048 * 2048;
  std::vector<TColor32> src(n), dst(n);
  for (int i = 0; i < n; ++i) src[i] = 0x80000000u | static_cast<TColor32>(i * 2654435761u >> 8);
  for (auto _ : state) {
    BlendRun(src.data(), dst.data(), n);
    benchmark::DoNotOptimize(dst.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_BlendRunHalfTransparent)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirelane
