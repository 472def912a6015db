// The stack's fit-to-view mapping, painting stages and Flatten.
#include <gtest/gtest.h>

#include "compose/layer_stack.h"
#include "raster/blend.h"

namespace mirelane {
namespace {

TEST(ImgView, BitmapRectFitsOrCentres) {
  struct Case {
    int32_t w, h;
    TRect expected;
  };
  const Case cases[] = {
      {400, 300, {0, 37, 297, 260}},   // reduced to fit
      {200, 150, {48, 73, 248, 223}},  // 1:1, centred
      {300, 400, {37, 0, 260, 297}},   // taller than wide
      {0, 0, {148, 148, 148, 148}},    // empty: nothing shown
  };
  for (const auto& c : cases) {
    TImgView32 view;
    view.SetViewSize(297, 297);
    view.PrepareBase(c.w, c.h);
    EXPECT_EQ(view.GetBitmapRect(), c.expected) << c.w << "x" << c.h;
  }
}

TEST(ImgView, FlattenDrawsBaseAndVisibleLayersOnly) {
  TImgView32 view;
  view.SetViewSize(297, 297);
  view.PrepareBase(4, 2);
  view.Bitmap().Clear(0xFF0000FFu);
  for (TColor32 color : {0xFFFF0000u, 0x8000FF00u}) {
    TBitmapLayer& layer = view.Layers().Add();
    layer.Scaled = true;
    layer.Location = {0, 0, 4, 2};
    layer.Bitmap().SetSize(4, 2);
    layer.Bitmap().SetDrawMode(dmBlend);
    layer.Bitmap().FillRectClipped(0, 0, 2, 2, color);
  }
  view.Layers()[1].SetVisible(false);
  TBitmap32 target(4, 2);
  view.Flatten(target);
  EXPECT_EQ(target.PixelAt(0, 0), 0xFFFF0000u);
  EXPECT_EQ(target.PixelAt(3, 1), 0xFF0000FFu);
  view.Layers()[1].SetVisible(true);
  view.Flatten(target);
  EXPECT_EQ(target.PixelAt(1, 1), 0xFF808000u);  // half green over opaque red: the core's colour, opaque
}

TEST(ImgView, PaintShowsCheckerboardAroundAndFrameButFlattenDoesNot) {
  TImgView32 view;
  view.SetViewSize(40, 40);
  view.PrepareBase(20, 10);  // transparent base: the checkerboard shows through
  TBitmap32 screen;
  view.Paint(screen);
  ASSERT_EQ(screen.Width(), 40);
  EXPECT_EQ(screen.PixelAt(0, 0), 0xFF000000u);    // frame
  EXPECT_EQ(screen.PixelAt(1, 1), 0xFFB0B0B0u);    // grey top-left tile
  EXPECT_EQ(screen.PixelAt(9, 1), 0xFFFFFFFFu);    // white next tile
  EXPECT_EQ(screen.PixelAt(9, 9), 0xFFB0B0B0u);    // grey diagonal tile
  EXPECT_EQ(screen.PixelAt(39, 20), 0xFF000000u);  // right edge of the frame
  TBitmap32 target(20, 10);
  view.Flatten(target);
  for (size_t i = 0; i < target.PixelCount(); ++i) ASSERT_EQ(target.Bits()[i], 0u);
}

// The preview is the saved picture composed over the checkerboard, pixel for pixel at 1:1.
TEST(ImgView, PreviewShowsTheFlattenedPictureOverTheCheckerboard) {
  TImgView32 view;
  view.SetViewSize(40, 30);
  view.PrepareBase(24, 16);  // transparent base
  const TColor32 colours[] = {0x80FF0000u, 0x4000FF80u, 0xC0203040u};
  for (int i = 0; i < 3; ++i) {
    TBitmapLayer& layer = view.Layers().Add();
    layer.Scaled = true;
    layer.Location = {0, 0, 24, 16};
    layer.Bitmap().SetSize(24, 16);
    layer.Bitmap().SetDrawMode(dmBlend);
    layer.Bitmap().SetMasterAlpha(i == 1 ? 200 : 255);
    layer.Bitmap().FillRectClipped(i * 6, i * 4, i * 6 + 12, i * 4 + 9, colours[i]);
  }
  TBitmap32 flat(24, 16);
  view.Flatten(flat);
  TBitmap32 checker(40, 30);
  PaintCheckerboard(checker, 40, 30);
  TBitmap32 screen;
  view.Paint(screen);
  const TRect shown = view.GetBitmapRect();
  ASSERT_EQ(shown.Width(), 24);
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 24; ++x) {
      const int32_t sx = shown.Left + x, sy = shown.Top + y;
      ASSERT_EQ(screen.PixelAt(sx, sy), MergePixel(flat.PixelAt(x, y), checker.PixelAt(sx, sy)))
          << x << "," << y;
    }
  // Where the layers overlap the saved picture is translucent and the preview is not.
  EXPECT_GT(AlphaOf(flat.PixelAt(7, 5)), 0u);
  EXPECT_LT(AlphaOf(flat.PixelAt(7, 5)), 255u);
  EXPECT_EQ(AlphaOf(screen.PixelAt(shown.Left + 7, shown.Top + 5)), 255u);
}

// Translucent layers over a transparent base: the result alpha is the "over" alpha, not the
// blend core's, and the colour is the layers' own where only one covers the pixel.
TEST(ImgView, FlattenOverTransparentKeepsTrueAlpha) {
  TImgView32 view;
  view.PrepareBase(2, 1);
  for (TColor32 c : {0x80FFFFFFu, 0x80000000u}) {
    TBitmapLayer& layer = view.Layers().Add();
    layer.Location = {0, 0, 2, 1};
    layer.Bitmap().SetSize(2, 1);
    layer.Bitmap().SetDrawMode(dmBlend);
    layer.Bitmap().PixelAt(0, 0) = c;
  }
  view.Layers()[0].Bitmap().PixelAt(1, 0) = 0x80FFFFFFu;
  TBitmap32 target(2, 1);
  view.Flatten(target);
  EXPECT_EQ(target.PixelAt(0, 0), 0xC0565656u);  // black half over white half: alpha 0.75, a third white
  EXPECT_EQ(target.PixelAt(1, 0), 0x80FFFFFFu);  // the blend core would give 0x40808080
}

}  // namespace
}  // namespace mirelane
