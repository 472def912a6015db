// Faces that share an edge: which edges are shared, the strips along them, and white faces over black
// that must meet without the background showing while every other pixel stays as each face alone gives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "compose/scene_builder.h"
#include "compose/shared_edges.h"
#include "support/layer_plans.h"
#include "support/png_dump.h"

namespace mirelane {
namespace {

using testing::Layer;
using testing::Quad;

constexpr Quad kLeft{100, 100, 300, 120, 300, 400, 100, 380};
constexpr Quad kRight{300, 120, 500, 100, 500, 380, 300, 400};  // its D-A is kLeft's B-C

struct SharingCase {
  const char* name;
  std::vector<LayerPlan> layers;
  std::vector<std::vector<SharedEdge>> expected;
};

TEST(FindSharedEdges, EdgesOfFaceKindsWithTheSameCornersInEitherOrder) {
  const Quad rightReversed{300, 400, 500, 380, 500, 100, 300, 120};
  const Quad offByOne{301, 120, 500, 100, 500, 380, 300, 400};
  const Quad sameQuad = kLeft;
  const std::vector<SharingCase> cases = {
      {"left then right",
       {Layer("normal", "FRONT", kLeft), Layer("normal", "SIDE", kRight)},
       {{{1, 1}}, {{3, 0}}}},
      {"corners listed the other way round, custom picture and colour faces",
       {Layer("customfile", "a.png", kLeft), Layer("customcolor", "clRed", rightReversed)},
       {{{1, 1}}, {{3, 0}}}},
      {"a corner one unit apart",
       {Layer("normal", "FRONT", kLeft), Layer("normal", "SIDE", offByOne)},
       {{}, {}}},
      {"reflections, shading and shadows are no faces",
       {Layer("reflection", "FRONT", kLeft), Layer("reflection", "SIDE", kRight),
        Layer("shade", "down", kRight), Layer("shadow", "none", kRight), Layer("roundrect", "SIDE", kRight),
        Layer("disc", "DISC", kRight)},
       {{}, {}, {}, {}, {}, {}}},
      {"a shade between two faces does not hide the sharing",
       {Layer("normal", "FRONT", kLeft), Layer("shade", "down", kLeft), Layer("normal", "SIDE", kRight)},
       {{{1, 2}}, {}, {{3, 0}}}},
      {"the same quad twice shares all four edges",
       {Layer("normal", "FRONT", kLeft), Layer("normal", "SIDE", sameQuad)},
       {{{0, 1}, {1, 1}, {2, 1}, {3, 1}}, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}}},
      {"two corners on one point make no edge; both sides of the fold lie on the right face",
       {Layer("normal", "FRONT", {300, 120, 300, 120, 300, 400, 300, 400}), Layer("normal", "SIDE", kRight)},
       {{{1, 1}, {3, 1}}, {{3, 0}}}},
  };
  for (const SharingCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindSharedEdges(c.layers), c.expected);
  }
}

struct StripCase {
  const char* name;
  TFaceQuad quad;  // the strip is taken of this quad
  double from, to;
  bool empty;
  double area;  // expected, in square pixels
};

double AreaOf(const TFixedContour& contour) {
  double area = 0;
  for (size_t i = 0; i < contour.size(); ++i) {
    const TFixedPoint& a = contour[i];
    const TFixedPoint& b = contour[(i + 1) % contour.size()];
    area += (static_cast<double>(a.X) * b.Y - static_cast<double>(b.X) * a.Y) / 65536.0 / 65536.0;
  }
  return std::fabs(area) / 2;
}

TEST(EdgeStrip, PartOfAQuadWithinADistanceBeyondAnEdge) {
  // The face (10, 10)-(20, 30) with its right edge B-C at x = 20.
  const TFaceQuad face{TFacePoint{10, 10}, {20, 10}, {20, 30}, {10, 30}};
  const TFaceQuad right{TFacePoint{20, 10}, {40, 10}, {40, 30}, {20, 30}};
  const TFaceQuad slantedRight{TFacePoint{20, 10}, {40, 10}, {40, 50}, {20, 30}};
  const std::vector<StripCase> cases = {
      {"beyond, into the face on the right", right, 0, 1.5, false, 30},
      {"along the inside of the face", face, -1.5, 0, false, 30},
      {"beyond, bounded by the other face's slanted bottom edge", slantedRight, 0, 1.5, false,
       1.5 * 20 + 1.5 * 1.5 / 2},
      {"the face itself lies on the near side", face, 0, 1.5, true, 0},
  };
  for (const StripCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TFixedContour strip = EdgeStrip(face, 1, c.quad, c.from, c.to);
    EXPECT_EQ(strip.empty(), c.empty);
    if (!c.empty) {
      EXPECT_NEAR(AreaOf(strip), c.area, 1e-3);
    }
    for (const TFixedPoint& p : strip) {
      const double x = p.X / 65536.0;
      EXPECT_GE(x, 20 + c.from - 1e-4);
      EXPECT_LE(x, 20 + c.to + 1e-4);
    }
  }
}

TEST(SharedEdgeGrowth, OnlyFacesOnOppositeSidesOfTheEdgeMeet) {
  auto canvas = [](const LayerPlan& l) {
    return TFaceQuad{TFacePoint{l.A.X, l.A.Y}, {l.B.X, l.B.Y}, {l.C.X, l.C.Y}, {l.D.X, l.D.Y}};
  };
  // Side by side: the earlier grows beyond and both are redrawn along the edge; the later does not grow.
  std::vector<TFaceGrowth> g =
      SharedEdgeGrowth({Layer("normal", "FRONT", kLeft), Layer("normal", "SIDE", kRight)}, canvas);
  ASSERT_EQ(g.size(), 2u);
  EXPECT_EQ(g[0].Beyond.size(), 1u);
  EXPECT_EQ(g[0].Along.size(), 1u);
  EXPECT_TRUE(g[1].Beyond.empty());
  EXPECT_EQ(g[1].Along.size(), 1u);
  // A cover on the same quad shares every edge but lies over the face: both keep their own outline.
  g = SharedEdgeGrowth({Layer("normal", "FRONT", kLeft), Layer("customfile", "case.png", kLeft)}, canvas);
  EXPECT_TRUE(g[0].Empty());
  EXPECT_TRUE(g[1].Empty());
}

// White faces over black: the earlier one "normal" from the front slot, the later one from the side slot.
struct SeamCase {
  const char* name;
  Quad earlier, later;
  // The shared edge in template units.
  int x0, y0, x1, y1;
};

const SeamCase kSeamCases[] = {
    {"vertical", kLeft, kRight, 300, 120, 300, 400},
    {"slanted, a box top behind its front",
     {100, 200, 500, 260, 500, 560, 100, 500},
     {260, 130, 660, 190, 500, 260, 100, 200},
     100,
     200,
     500,
     260},
    {"45 degrees",
     {100, 100, 300, 100, 500, 300, 100, 300},
     {300, 100, 600, 100, 700, 300, 500, 300},
     300,
     100,
     500,
     300},
    {"45 degrees, later corners the other way round",
     {100, 100, 300, 100, 500, 300, 100, 300},
     {500, 300, 700, 300, 600, 100, 300, 100},
     300,
     100,
     500,
     300},
    {"nearly flat, a thin face over a wide one",
     {100, 300, 700, 290, 700, 500, 100, 500},
     {110, 270, 710, 262, 700, 290, 100, 300},
     100,
     300,
     700,
     290},
    {"nearly flat, a thin face first",
     {110, 270, 710, 262, 700, 290, 100, 300},
     {100, 300, 700, 290, 700, 500, 100, 500},
     100,
     300,
     700,
     290},
};

struct Size {
  int32_t width, height;
};

class SeamTest : public ::testing::TestWithParam<Size> {
 protected:
  // A small white picture in both slots: a slot colour would fill a canvas-sized picture, which costs
  // far more to map at 2048 x 1536 and gives the same white.
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '_');  // parameterised names end in "/0"
    dir_ = std::filesystem::temp_directory_path() / ("mirelane_seams_" + name);
    std::filesystem::create_directories(dir_);
    TBitmap32 white(64, 64);
    white.Clear(0xFFFFFFFFu);
    const std::string file = (dir_ / "white.png").string();
    ASSERT_TRUE(testing::DumpPng(white, file));
    for (const char* slot : {"Front", "Side"}) {
      sources_[SourceIndexOf(slot)].UseColor = false;
      sources_[SourceIndexOf(slot)].PicturePath = file;
    }
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // The scene's layers, as built, each put at its box's place on a canvas-sized picture.
  std::vector<TBitmap32> Build(std::vector<LayerPlan> layers) {
    Scene scene;
    scene.Name = "seams";
    scene.Layers = std::move(layers);
    TImgView32 view;
    view.PrepareBase(GetParam().width, GetParam().height);
    BuildScene(scene, view, SceneInputs{state_, sources_, {}, 1});
    std::vector<TBitmap32> built;
    for (int i = 0; i < view.Layers().Count(); ++i) {
      const TBitmapLayer& layer = view.Layers()[i];
      TBitmap32 canvas(GetParam().width, GetParam().height);
      canvas.SetDrawMode(layer.Bitmap().DrawMode());
      canvas.SetCombineMode(layer.Bitmap().CombineMode());
      canvas.SetMasterAlpha(layer.Bitmap().MasterAlpha());
      const auto left = static_cast<int32_t>(layer.Location.Left),
                 top = static_cast<int32_t>(layer.Location.Top);
      for (int32_t y = 0; y < layer.Bitmap().Height(); ++y)
        std::copy_n(layer.Bitmap().ScanLine(y), layer.Bitmap().Width(), canvas.ScanLine(top + y) + left);
      built.push_back(std::move(canvas));
    }
    return built;
  }

  // The layers stacked over opaque black.
  TBitmap32 OverBlack(std::vector<TBitmap32>& layers) {
    TImgView32 view;
    view.PrepareBase(GetParam().width, GetParam().height);
    view.Bitmap().Clear(0xFF000000u);
    for (TBitmap32& picture : layers) {
      TBitmapLayer& layer = view.Layers().Add();
      layer.Scaled = true;
      layer.Location =
          TFloatRect{0, 0, static_cast<float>(GetParam().width), static_cast<float>(GetParam().height)};
      layer.Bitmap() = std::move(picture);
    }
    TBitmap32 flat(GetParam().width, GetParam().height);
    view.Flatten(flat);
    return flat;
  }

  std::filesystem::path dir_;
  EditingState state_;
  LayerSources sources_;
};

// Distance from the pixel's centre to the segment.
double DistanceToSegment(double px, double py, double x0, double y0, double x1, double y1) {
  const double dx = x1 - x0, dy = y1 - y0;
  const double t = std::clamp(((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
}

TEST_P(SeamTest, SharedEdgesShowNoBackgroundAndEveryOtherPixelIsEachFaceAlone) {
  const Size size = GetParam();
  const CanvasMapping map = MakeCanvasMapping(size.width, size.height, 800, 600);
  for (const SeamCase& c : kSeamCases) {
    SCOPED_TRACE(c.name);
    const LayerPlan earlier = Layer("normal", "FRONT", c.earlier), later = Layer("normal", "SIDE", c.later);
    std::vector<TBitmap32> both = Build({earlier, later});
    std::vector<TBitmap32> alone = Build({earlier});
    alone.push_back(std::move(Build({later})[0]));
    ASSERT_EQ(both.size(), 2u);

    const double x0 = map.MapX(c.x0), y0 = map.MapY(c.y0), x1 = map.MapX(c.x1), y1 = map.MapY(c.y1);
    // Away from the shared edge each layer is what it is alone: its outer edges keep their cut.
    // Where the earlier face grew past its own outline, the later face covers the pixel too.
    size_t grown = 0, changedAway = 0, grownOutsideLater = 0;
    for (int32_t y = 0; y < size.height; ++y) {
      for (int32_t x = 0; x < size.width; ++x) {
        if (DistanceToSegment(x + 0.5, y + 0.5, x0, y0, x1, y1) > 4)
          changedAway += (both[0].PixelAt(x, y) != alone[0].PixelAt(x, y)) +
                         (both[1].PixelAt(x, y) != alone[1].PixelAt(x, y));
        if (AlphaOf(alone[0].PixelAt(x, y)) == 0 && AlphaOf(both[0].PixelAt(x, y)) > 0) {
          ++grown;
          grownOutsideLater += AlphaOf(both[1].PixelAt(x, y)) == 0;
        }
      }
    }
    EXPECT_EQ(changedAway, 0u);
    EXPECT_EQ(grownOutsideLater, 0u);
    if (x0 != x1) {
      EXPECT_GT(grown, 0u);  // a vertical edge on a pixel column has nothing to grow into
    }
    // Every pixel the shared edge crosses, its ends aside (they lie on the outer outline too), is white.
    const TBitmap32 before = OverBlack(alone);
    const TBitmap32 after = OverBlack(both);
    const double length = std::hypot(x1 - x0, y1 - y0);
    int darkestBefore = 255, darkestAfter = 255;
    for (int step = 0, steps = static_cast<int>(length * 20); step <= steps; ++step) {
      const double t = static_cast<double>(step) / steps;
      if (std::min(t, 1 - t) * length < 2) continue;
      const int32_t x = static_cast<int32_t>(std::floor(x0 + (x1 - x0) * t));
      const int32_t y = static_cast<int32_t>(std::floor(y0 + (y1 - y0) * t));
      for (const auto& [picture, darkest] :
           {std::pair{&before, &darkestBefore}, std::pair{&after, &darkestAfter}}) {
        const TColor32 p = picture->PixelAt(x, y);
        *darkest = std::min({*darkest, static_cast<int>(RedOf(p)), static_cast<int>(GreenOf(p)),
                             static_cast<int>(BlueOf(p))});
      }
    }
    EXPECT_GE(darkestAfter, 250);
    // The faces stacked alone do show the seam, except on a vertical edge on a pixel column.
    if (x0 != x1) {
      EXPECT_LT(darkestBefore, 250);
    }
  }
}

// Faces reaching a billion units off the canvas still meet without a seam where the canvas shows them.
TEST_P(SeamTest, FacesReachingFarOffTheCanvas) {
  constexpr int kFar = 1000000000;
  const LayerPlan below = Layer("normal", "FRONT", {-kFar, 200, kFar, 210, kFar, 500, -kFar, 490});
  const LayerPlan above = Layer("normal", "SIDE", {-kFar, -100, kFar, -90, kFar, 210, -kFar, 200});
  std::vector<TBitmap32> both = Build({below, above});
  ASSERT_EQ(both.size(), 2u);
  const TBitmap32 flat = OverBlack(both);
  const CanvasMapping map = MakeCanvasMapping(GetParam().width, GetParam().height, 800, 600);
  // The edge is level on the canvas (10 units over two billion); the row it lies on and its neighbours.
  for (int32_t y = map.MapY(205) - 1; y <= map.MapY(205) + 1; ++y)
    for (int32_t x = 0; x < GetParam().width; ++x)
      ASSERT_GE(IntensityOf(flat.PixelAt(x, y)), 250u) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Sizes, SeamTest, ::testing::Values(Size{400, 300}, Size{2048, 1536}),
                         [](const ::testing::TestParamInfo<Size>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

}  // namespace
}  // namespace mirelane
