// The pieces one scene layer is made of, at the largest canvas (2048 x 2048): where a render's time goes.
#include <benchmark/benchmark.h>

#include "compose/face_mapping.h"
#include "raster/bitmap32.h"
#include "raster/blur.h"
#include "raster/tonal.h"

namespace mirelane {
namespace {

constexpr int32_t kSide = 2048;

void BM_Part_AllocateCanvasSurface(benchmark::State& state) {
  for (auto _ : state) {
    TBitmap32 surface(kSide, kSide);
    benchmark::DoNotOptimize(surface.Bits());
  }
}
BENCHMARK(BM_Part_AllocateCanvasSurface)->Unit(benchmark::kMillisecond);

void BM_Part_ClearCanvas(benchmark::State& state) {
  TBitmap32 surface(kSide, kSide);
  for (auto _ : state) surface.Clear(0xFF336699u);
}
BENCHMARK(BM_Part_ClearCanvas)->Unit(benchmark::kMillisecond);

void BM_Part_AssignCanvas(benchmark::State& state) {
  TBitmap32 a(kSide, kSide), b;
  for (auto _ : state) b.Assign(&a);
}
BENCHMARK(BM_Part_AssignCanvas)->Unit(benchmark::kMillisecond);

// A face of about a quarter of the canvas, as a box front is, from a canvas-sized colour source.
void BM_Part_MapFaceColour(benchmark::State& state) {
  TBitmap32 source(kSide, kSide), face(kSide, kSide);
  source.SetDrawMode(dmBlend);
  source.Clear(0xFF336699u);
  for (auto _ : state)
    MapFace(source, source.BoundsRect(), {600, 400}, {1300, 500}, {1300, 1500}, {600, 1400}, face, true);
}
BENCHMARK(BM_Part_MapFaceColour)->Unit(benchmark::kMillisecond);

void BM_Part_MapFacePicture(benchmark::State& state) {
  TBitmap32 source(600, 800), face(kSide, kSide);
  source.SetDrawMode(dmBlend);
  for (int32_t y = 0; y < 800; ++y)
    for (int32_t x = 0; x < 600; ++x) source.PixelAt(x, y) = Color32(x & 255, y & 255, 90);
  for (auto _ : state)
    MapFace(source, source.BoundsRect(), {600, 400}, {1300, 500}, {1300, 1500}, {600, 1400}, face, true);
}
BENCHMARK(BM_Part_MapFacePicture)->Unit(benchmark::kMillisecond);

void BM_Part_BlurCanvas(benchmark::State& state) {
  TBitmap32 surface(kSide, kSide);
  surface.FillRectClipped(600, 400, 1300, 1500, 0xFF336699u);
  for (auto _ : state) BlurBitmap(surface, 15);
}
BENCHMARK(BM_Part_BlurCanvas)->Unit(benchmark::kMillisecond);

void BM_Part_FadeCanvas(benchmark::State& state) {
  TBitmap32 surface(kSide, kSide);
  for (auto _ : state) {
    surface.Clear(0xFF336699u);
    FadeReflection(surface, 50);
  }
}
BENCHMARK(BM_Part_FadeCanvas)->Unit(benchmark::kMillisecond);

// One layer of a flattened picture: a face over a quarter of the canvas, transparent elsewhere.
void BM_Part_BlendLayer(benchmark::State& state) {
  TBitmap32 layer(kSide, kSide), target(kSide, kSide);
  layer.SetDrawMode(dmBlend);
  layer.FillRectClipped(600, 400, 1300, 1500, 0xFF336699u);
  for (auto _ : state) target.Draw(0, 0, &layer);
}
BENCHMARK(BM_Part_BlendLayer)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirelane
