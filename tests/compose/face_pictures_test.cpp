// Renders a small box shot (front, side and top faces sharing edges) and two discs into PNG files
// under the build folder, so that edges, seams and rings can be looked at; also checks the seams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "compose/face_mapping.h"
#include "raster/disc.h"
#include "support/png_dump.h"

namespace mirelane {
namespace {

std::string PictureDir() {
  const std::filesystem::path dir = std::filesystem::path(MIRELANE_BINARY_DIR) / "pictures";
  std::filesystem::create_directories(dir);
  return dir.string();
}

// A picture with a checker of coloured squares, so that mapping errors show.
std::unique_ptr<TBitmap32> Artwork(int w, int h, TColor32 a, TColor32 b) {
  auto bmp = std::make_unique<TBitmap32>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      bmp->PixelAt(x, y) = ((x / 25) + (y / 25)) % 2 ? a : b;
    }
  return bmp;
}

// A nearest-neighbour enlargement of a part of a picture, to see single pixels at edges.
std::unique_ptr<TBitmap32> ZoomCrop(const TBitmap32& bmp, int left, int top, int w, int h, int factor) {
  auto out = std::make_unique<TBitmap32>(w * factor, h * factor);
  for (int y = 0; y < h * factor; ++y)
    for (int x = 0; x < w * factor; ++x)
      out->PixelAt(x, y) = bmp.PixelAt(left + x / factor, top + y / factor);
  return out;
}

void Stack(TBitmap32& canvas, TBitmap32& layer) {
  layer.SetDrawMode(dmBlend);
  canvas.Draw(0, 0, &layer);
}

// Two white faces meeting along a slanted edge, stacked on a 400 x 300 canvas of the given colour.
std::unique_ptr<TBitmap32> TwoWhiteFacesOn(TColor32 background) {
  auto canvasOwned = std::make_unique<TBitmap32>(400, 300);
  TBitmap32& canvas = *canvasOwned;
  canvas.Clear(background);
  TBitmap32 white(50, 50);
  white.Clear(0xFFFFFFFFu);
  TBitmap32 face(400, 300);
  MapFace(white, white.BoundsRect(), {60, 90}, {250, 110}, {250, 280}, {60, 250}, face, true);
  Stack(canvas, face);
  MapFace(white, white.BoundsRect(), {110, 40}, {340, 80}, {250, 110}, {60, 90}, face, true);
  Stack(canvas, face);
  return canvasOwned;
}

TEST(FacePictures, BoxShotFacesMeetWithoutSeam) {
  const int w = 400, h = 300;
  TBitmap32 canvas(w, h);
  canvas.Clear(0xFF000000u);  // black shows any gap between the faces at once
  const auto front = Artwork(200, 250, 0xFFE04040u, 0xFFF0F0F0u);
  const auto side = Artwork(100, 250, 0xFF4040E0u, 0xFFF0F0F0u);
  const auto top = Artwork(200, 100, 0xFF40C040u, 0xFFF0F0F0u);
  TBitmap32 face(w, h);
  MapFace(*front, front->BoundsRect(), {60, 90}, {250, 110}, {250, 280}, {60, 250}, face, true);
  Stack(canvas, face);
  MapFace(*side, side->BoundsRect(), {250, 110}, {340, 80}, {340, 240}, {250, 280}, face, true);
  Stack(canvas, face);
  MapFace(*top, top->BoundsRect(), {110, 40}, {340, 80}, {250, 110}, {60, 90}, face, true);
  Stack(canvas, face);
  const std::string path = PictureDir() + "/box_shot.png";
  ASSERT_TRUE(testing::DumpPng(canvas, path)) << path;
  ASSERT_TRUE(
      testing::DumpPng(*ZoomCrop(canvas, 230, 95, 40, 30, 10), PictureDir() + "/box_shot_corner_zoom.png"));
  ASSERT_TRUE(
      testing::DumpPng(*ZoomCrop(canvas, 120, 80, 40, 30, 10), PictureDir() + "/box_shot_top_edge_zoom.png"));

  // Along the shared vertical edge (x = 250) both neighbours are fully inside a face: no black.
  for (int y = 120; y < 270; ++y) {
    EXPECT_GT(IntensityOf(canvas.PixelAt(249, y)), 20u) << "front side of seam, y " << y << " in " << path;
    EXPECT_GT(IntensityOf(canvas.PixelAt(250, y)), 20u) << "side side of seam, y " << y << " in " << path;
  }
}

// Two white faces over black meeting along a slanted edge: the darkest pixel on the shared edge
// shows how much of the background leaks through where both faces cover a pixel in part.
TEST(FacePictures, SlantedSharedEdgeLeaksLittle) {
  const auto canvasOwned = TwoWhiteFacesOn(0xFF000000u);
  const TBitmap32& canvas = *canvasOwned;
  ASSERT_TRUE(
      testing::DumpPng(*ZoomCrop(canvas, 120, 80, 40, 30, 10), PictureDir() + "/slanted_edge_zoom.png"));
  uint32_t darkest = 255;
  for (int x = 70; x < 240; ++x) {
    const int y = 90 + (x - 60) * 20 / 190;  // the shared edge passes through this row or the next
    for (int dy = -1; dy <= 1; ++dy) darkest = std::min(darkest, IntensityOf(canvas.PixelAt(x, y + dy)));
  }
  std::printf("darkest pixel on the slanted shared edge: %u of 255\n", darkest);
  // Without the enlargement AGG's own darkened edge would show here; the mask keeps the leak small.
  EXPECT_GE(darkest, 190u);
}

// White faces on a white background: a dark fringe (AGG's own darkened edge showing through the
// cut) would show as grey pixels along the outline.
TEST(FacePictures, NoDarkFringeOnWhite) {
  const auto canvasOwned = TwoWhiteFacesOn(0xFFFFFFFFu);
  const TBitmap32& canvas = *canvasOwned;
  uint32_t darkest = 255;
  for (size_t i = 0; i < canvas.PixelCount(); ++i) darkest = std::min(darkest, IntensityOf(canvas.Bits()[i]));
  EXPECT_EQ(darkest, 255u);
}

TEST(FacePictures, DiscsAreDrawnCentred) {
  const auto art = Artwork(300, 300, 0xFFE0A020u, 0xFF2060E0u);
  const auto round = DrawDisc(*art, 300, 300);
  const auto oval = DrawDisc(*art, 360, 200);
  const auto large = DrawLargeDiscAreaDisc(*art, 300, 300);
  for (const auto& [bmp, name] : {std::pair{round.get(), "disc_round"}, std::pair{oval.get(), "disc_oval"},
                                  std::pair{large.get(), "disc_large_area"}}) {
    TBitmap32 canvas(bmp->Width(), bmp->Height());
    canvas.Clear(0xFFFFFFFFu);
    bmp->SetDrawMode(dmBlend);
    canvas.Draw(0, 0, bmp);
    const std::string path = PictureDir() + "/" + name + ".png";
    ASSERT_TRUE(testing::DumpPng(canvas, path)) << path;
    const int cx = canvas.Width() / 2, cy = canvas.Height() / 2;
    ASSERT_TRUE(testing::DumpPng(*ZoomCrop(canvas, cx - 35, cy - 35, 70, 70, 6),
                                 PictureDir() + "/" + name + "_centre_zoom.png"));
    // The disc is symmetric about its centre in both directions (the picture is not, so test alpha).
    const int cw = bmp->Width(), ch = bmp->Height();
    for (int y = 0; y < ch; y += 7)
      for (int x = 0; x < cw; x += 7)
        EXPECT_NEAR(AlphaOf(bmp->PixelAt(x, y)), AlphaOf(bmp->PixelAt(cw - 1 - x, ch - 1 - y)), 2)
            << name << " at " << x << "," << y;
  }
}

}  // namespace
}  // namespace mirelane
