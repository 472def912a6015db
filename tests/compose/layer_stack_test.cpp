// The stack's fit-to-view mapping, painting stages and Flatten.
#include <gtest/gtest.h>

#include "compose/layer_stack.h"

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

}  // namespace
}  // namespace mirelane
