// Face mapping and disc drawing at output scale: a 1000 x 1400 picture onto a quarter of a
// 2048 x 2048 canvas, and a 1024 x 1024 disc.
#include <benchmark/benchmark.h>

#include "compose/face_mapping.h"
#include "raster/disc.h"

namespace mirelane {
namespace {

void FillPattern(TBitmap32& bmp) {
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x)
      bmp.PixelAt(x, y) = 0xFF000000u | static_cast<TColor32>((x * 2654435761u) ^ (y * 40503u)) >> 8;
}

void BM_MapFaceQuarterCanvas(benchmark::State& state) {
  TBitmap32 source(1000, 1400);
  FillPattern(source);
  TBitmap32 face(2048, 2048);
  for (auto _ : state) {
    // A perspective quad of about 1024 x 1024 pixels.
    MapFace(source, source.BoundsRect(), {500, 480}, {1480, 560}, {1500, 1520}, {480, 1560}, face, true);
    benchmark::DoNotOptimize(face.Bits());
  }
}
BENCHMARK(BM_MapFaceQuarterCanvas)->Unit(benchmark::kMillisecond);

// The same mapping with the cut over the whole canvas, as the stages give it: the figure the
// windowed cut of MapFace is measured against.
void BM_MapFaceCanvasSizedCut(benchmark::State& state) {
  TBitmap32 source(1000, 1400);
  FillPattern(source);
  TBitmap32 face(2048, 2048);
  const TFaceQuad quad{TFacePoint{500, 480}, {1480, 560}, {1500, 1520}, {480, 1560}};
  for (auto _ : state) {
    DrawFacePicture(source, source.BoundsRect(), FaceDrawCorners(quad, true), face);
    TBitmap32 mask(face.Width(), face.Height());
    BuildFaceMask(mask, quad);
    ModulateAlphaByMask(mask, face);
    benchmark::DoNotOptimize(face.Bits());
  }
}
BENCHMARK(BM_MapFaceCanvasSizedCut)->Unit(benchmark::kMillisecond);

void BM_DrawDisc1024(benchmark::State& state) {
  TBitmap32 source(800, 800);
  FillPattern(source);
  for (auto _ : state) {
    auto disc = DrawDisc(source, 1024, 1024);
    benchmark::DoNotOptimize(disc->Bits());
  }
}
BENCHMARK(BM_DrawDisc1024)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirelane
