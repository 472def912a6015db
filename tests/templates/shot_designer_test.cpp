// The shot designer's geometry as the template shows it: where the front, side and top land for a
// camera, the proportions taken from the artwork, and that every shape renders a solid object.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>

#include "compose/layer_kind.h"
#include "raster/error.h"
#include "templates/ini_file.h"
#include "templates/render_template.h"
#include "templates/shot_designer.h"
#include "templates/template.h"
#include "templates/template_writer.h"

namespace mirelane {
namespace {

namespace fs = std::filesystem;

struct Box2 {
  double x0, y0, x1, y1;
  double Cx() const { return (x0 + x1) / 2; }
  double Cy() const { return (y0 + y1) / 2; }
  double W() const { return x1 - x0; }
  double H() const { return y1 - y0; }
};

double Area(const DesignedLayer& l) {
  double twice = 0;
  for (int i = 0; i < 4; ++i) {
    const DesignedPoint& p = l.Corners[i];
    const DesignedPoint& q = l.Corners[(i + 1) % 4];
    twice += static_cast<double>(p.X) * q.Y - static_cast<double>(q.X) * p.Y;
  }
  return std::abs(twice) / 2;
}

// The largest layer of this type and source: a book's board edges take the front picture too.
std::optional<DesignedLayer> FindLayer(const DesignedTemplate& t, const std::string& type,
                                       const std::string& source) {
  std::optional<DesignedLayer> found;
  for (const DesignedLayer& l : t.Layers)
    if (LayerTypeKeyword(l.Type) == type && SourceText(l.Type, l.Source) == source &&
        (!found || Area(l) > Area(*found)))
      found = l;
  return found;
}

double CentroidX(const DesignedLayer& l) {
  return (l.Corners[0].X + l.Corners[1].X + l.Corners[2].X + l.Corners[3].X) / 4.0;
}

Box2 Bounds(const DesignedLayer& l) {
  Box2 b{1e9, 1e9, -1e9, -1e9};
  for (const DesignedPoint& p : l.Corners) {
    b.x0 = std::min<double>(b.x0, p.X);
    b.y0 = std::min<double>(b.y0, p.Y);
    b.x1 = std::max<double>(b.x1, p.X);
    b.y1 = std::max<double>(b.y1, p.Y);
  }
  return b;
}

DesignedTemplate Design(ShotShape shape, ShotProportions size, ShotCamera camera) {
  return DesignShot(SingleObjectDesign(shape, size, camera));
}

TEST(ShotShapes, KeywordsReadBackAndNamesAreTheirOwn) {
  std::vector<std::string_view> names;
  for (ShotShape shape : AllShotShapes()) {
    EXPECT_EQ(ShotShapeOf(ShotShapeKeyword(shape)), shape);
    EXPECT_FALSE(ShotShapeName(shape).empty());
    EXPECT_EQ(std::count(names.begin(), names.end(), ShotShapeName(shape)), 0) << ShotShapeName(shape);
    names.push_back(ShotShapeName(shape));
  }
  EXPECT_EQ(ShotShapeOf("Box"), std::nullopt) << "keywords in exact case";
  EXPECT_EQ(ShotShapeOf("DVD case"), std::nullopt) << "a name is not a keyword";
}

TEST(ShotProportions, PositiveFiniteAndAtMostAThousandfold) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<ShotProportions, bool> cases[] = {
      {{1, 1, 1}, true},  {{1, 1000, 1}, true}, {{0.001, 1, 0.5}, true}, {{1, 1000.01, 1}, false},
      {{0, 1, 1}, false}, {{1, -1, 1}, false},  {{1, 1, inf}, false},    {{1, std::nan(""), 1}, false},
  };
  for (const auto& [p, allowed] : cases) {
    EXPECT_EQ(ProportionsAllowed(p), allowed) << p.Width << ":" << p.Height << ":" << p.Depth;
    if (allowed)
      EXPECT_NO_THROW(CheckShotProportions(p));
    else
      EXPECT_THROW(CheckShotProportions(p), Error);
  }
}

// The template text a design is saved as reads back as the very layers designed.
TEST(ShotDesigner, SavedTextReadsBackAsTheDesignedLayers) {
  for (ShotShape shape : AllShotShapes()) {
    for (const bool lying : {false, true}) {
      if (lying && !ShapeCanLie(shape)) continue;
      SCOPED_TRACE(std::string(ShotShapeKeyword(shape)) + (lying ? " lying" : ""));
      const DesignedTemplate t = DesignShot(SingleObjectDesign(
          shape, ProportionsFromArtwork(shape, std::nullopt, std::nullopt), {30, 25, 40}, lying));
      const Scene scene = SceneOf(ReadTemplate(IniFile::FromText(TemplateText(t))), "designed");
      EXPECT_EQ(scene.Width, t.Width);
      EXPECT_EQ(scene.Height, t.Height);
      ASSERT_EQ(scene.Layers.size(), t.Layers.size());
      for (size_t i = 0; i < t.Layers.size(); ++i) {
        const DesignedLayer& designed = t.Layers[i];
        const LayerPlan& read = scene.Layers[i];
        EXPECT_EQ(read.Kind, designed.Type) << i;
        EXPECT_EQ(read.Source.Slot, designed.Source.Slot) << i;
        EXPECT_EQ(read.Source.Direction, designed.Source.Direction) << i;
        const TemplatePoint corners[4] = {read.A, read.B, read.C, read.D};
        for (int k = 0; k < 4; ++k) {
          EXPECT_EQ(corners[k].X, designed.Corners[k].X) << i << "/" << k;
          EXPECT_EQ(corners[k].Y, designed.Corners[k].Y) << i << "/" << k;
        }
      }
    }
  }
}

TEST(ShotDesigner, StraightOnTheFrontIsAnUprightRectangleInTheArtworksProportions) {
  struct Case {
    ShotShape shape;
    const char* type;
    ArtworkSize front;
  };
  const Case cases[] = {
      {ShotShape::Box, "normal", {800, 1000}},    {ShotShape::Box, "normal", {1200, 500}},
      {ShotShape::DvdCase, "normal", {530, 750}}, {ShotShape::JewelCase, "normal", {600, 600}},
      {ShotShape::Book, "normal", {640, 1000}},   {ShotShape::Card, "roundrect", {900, 600}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(ShotShapeKeyword(c.shape)) + " " + std::to_string(c.front.Width) + "x" +
                 std::to_string(c.front.Height));
    const ShotProportions size = ProportionsFromArtwork(c.shape, c.front, ArtworkSize{100, 1000});
    const DesignedTemplate t = Design(c.shape, size, {0, 0, 0});
    const auto front = FindLayer(t, c.type, "FRONT");
    ASSERT_TRUE(front);
    const auto& q = front->Corners;
    // A above D, B above C, A left of B, D left of C, the edges axis-parallel within rounding.
    EXPECT_NEAR(q[0].Y, q[1].Y, 1);
    EXPECT_NEAR(q[3].Y, q[2].Y, 1);
    EXPECT_NEAR(q[0].X, q[3].X, 1);
    EXPECT_NEAR(q[1].X, q[2].X, 1);
    EXPECT_LT(q[0].X, q[1].X);
    EXPECT_LT(q[0].Y, q[3].Y);
    const Box2 b = Bounds(*front);
    EXPECT_NEAR(b.W() / b.H(), static_cast<double>(c.front.Width) / c.front.Height, 0.01);
    // Nothing of the sides shows.
    EXPECT_FALSE(FindLayer(t, "normal", "SIDE"));
  }
}

TEST(ShotDesigner, TurnPutsTheSideOnItsSideOfTheFront) {
  struct Case {
    ShotShape shape;
    double turn;
    const char* sideType;
    const char* sideSource;
    bool right;
  };
  const Case cases[] = {
      {ShotShape::Box, 30, "normal", "SIDE", true},
      {ShotShape::Box, 75, "normal", "SIDE", true},
      {ShotShape::Box, -30, "normal", "SIDE", false},
      {ShotShape::Box, -75, "normal", "SIDE", false},
      {ShotShape::JewelCase, 40, "normal", "SIDE", true},
      {ShotShape::JewelCase, -40, "normal", "SIDE", false},
      // A book's spine is on its left, the pages on its right.
      {ShotShape::Book, -35, "normal", "SIDE", false},
      {ShotShape::Book, 35, "customcolor", "clCream", true},
      {ShotShape::DvdCase, -35, "normal", "SIDE", false},
  };
  for (const Case& c : cases) {
    for (double perspective : {0.0, 40.0, 100.0}) {
      SCOPED_TRACE(std::string(ShotShapeKeyword(c.shape)) + " turn " + std::to_string(c.turn) +
                   " perspective " + std::to_string(perspective));
      const DesignedTemplate t = Design(c.shape, ProportionsFromArtwork(c.shape, std::nullopt, std::nullopt),
                                        {c.turn, 10, perspective});
      const auto front = FindLayer(t, "normal", "FRONT");
      ASSERT_TRUE(front);
      const auto side = FindLayer(t, c.sideType, c.sideSource);
      ASSERT_TRUE(side);
      // Beyond the middle of the front's right edge BC, or of its left edge AD.
      const auto& f = front->Corners;
      if (c.right) {
        EXPECT_GT(CentroidX(*side), (f[1].X + f[2].X) / 2.0);
      } else {
        EXPECT_LT(CentroidX(*side), (f[0].X + f[3].X) / 2.0);
      }
    }
  }
}

TEST(ShotDesigner, TiltPutsTheTopAboveTheFront) {
  // (A low tilt in strong perspective looks from below the top, as a real camera would.)
  for (double tilt : {15.0, 30.0, 45.0, 60.0}) {
    SCOPED_TRACE(tilt);
    const DesignedTemplate t = Design(ShotShape::Box, {2, 3, 1}, {20, tilt, 40});
    const auto front = FindLayer(t, "normal", "FRONT");
    const auto top = FindLayer(t, "normal", "TOP");
    ASSERT_TRUE(front && top);
    // The top's middle lies above the middle of the front's top edge AB.
    const auto& q = top->Corners;
    const auto& f = front->Corners;
    EXPECT_LT((q[0].Y + q[1].Y + q[2].Y + q[3].Y) / 4.0, (f[0].Y + f[1].Y) / 2.0);
  }
  // At eye level the top is edge on and left out; more tilt shows more of it.
  EXPECT_FALSE(FindLayer(Design(ShotShape::Box, {2, 3, 1}, {20, 0, 40}), "normal", "TOP"));
  const auto low = FindLayer(Design(ShotShape::Box, {2, 3, 1}, {20, 10, 0}), "normal", "TOP");
  const auto high = FindLayer(Design(ShotShape::Box, {2, 3, 1}, {20, 50, 0}), "normal", "TOP");
  ASSERT_TRUE(low && high);
  EXPECT_LT(Bounds(*low).H(), Bounds(*high).H());
}

TEST(ShotDesigner, ASidePictureTwiceAsWideGivesADeeperBox) {
  const ArtworkSize front{800, 1000};
  const ShotProportions narrow = ProportionsFromArtwork(ShotShape::Box, front, ArtworkSize{100, 500});
  const ShotProportions wide = ProportionsFromArtwork(ShotShape::Box, front, ArtworkSize{200, 500});
  EXPECT_DOUBLE_EQ(wide.Depth, 2 * narrow.Depth);
  EXPECT_DOUBLE_EQ(wide.Width / wide.Height, 0.8);
  // Seen from the same angle, the side shows wider against the front.
  auto sideShare = [](const ShotProportions& size) {
    const DesignedTemplate t = Design(ShotShape::Box, size, {45, 10, 0});
    return Bounds(*FindLayer(t, "normal", "SIDE")).W() / Bounds(*FindLayer(t, "normal", "FRONT")).W();
  };
  EXPECT_NEAR(sideShare(wide), 2 * sideShare(narrow), 0.02);
}

TEST(ShotDesigner, FitsTheCanvasWithItsMargin) {
  for (ShotShape shape : AllShotShapes()) {
    for (double turn : {-80.0, 0.0, 80.0}) {
      SCOPED_TRACE(std::string(ShotShapeKeyword(shape)) + " " + std::to_string(turn));
      ShotDesign design = SingleObjectDesign(shape, ProportionsFromArtwork(shape, std::nullopt, std::nullopt),
                                             {turn, 60, 100});
      const DesignedTemplate t = DesignShot(design);
      for (const DesignedLayer& l : t.Layers) {
        if (GroupOf(l.Type) == LayerGroup::Reflection) continue;
        const Box2 b = Bounds(l);
        EXPECT_GE(b.x0, 0.1 * t.Width - 1) << LayerTypeKeyword(l.Type);
        EXPECT_LE(b.x1, 0.9 * t.Width + 1) << LayerTypeKeyword(l.Type);
        EXPECT_GE(b.y0, 0.1 * t.Height - 1) << LayerTypeKeyword(l.Type);
        EXPECT_LE(b.y1, 0.9 * t.Height + 1) << LayerTypeKeyword(l.Type);
      }
    }
  }
}

TEST(ShotDesigner, RefusesValuesOutOfRange) {
  const ShotCamera bad[] = {{-81, 15, 40}, {81, 15, 40}, {30, -1, 40},
                            {30, 61, 40},  {30, 15, -1}, {30, 15, 101}};
  for (const ShotCamera& c : bad) EXPECT_THROW(Design(ShotShape::Box, {1, 1, 1}, c), Error);
  EXPECT_THROW(Design(ShotShape::Box, {0, 1, 1}, {}), Error);
  EXPECT_THROW(Design(ShotShape::Box, {1, 2000, 1}, {}), Error);
  EXPECT_THROW(DesignShot(SingleObjectDesign(ShotShape::Box, {1, 1, 1}, {}, true)), Error);
  // A flat disc at eye level shows nothing; a degree of tilt shows it.
  EXPECT_THROW(DesignShot(SingleObjectDesign(ShotShape::Disc, {1, 1, 0.01}, {0, 0, 40}, true)), Error);
  EXPECT_NO_THROW(DesignShot(SingleObjectDesign(ShotShape::Disc, {1, 1, 0.01}, {0, 1, 40}, true)));
}

// Every shape, standing or lying, renders as a solid object: opaque pixels in the middle of its front.
class DesignedRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() /
        ("mirelane_designer_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(DesignedRenderTest, EveryShapeRendersAnOpaqueObject) {
  struct Case {
    ShotShape shape;
    bool lying;
  };
  const Case cases[] = {{ShotShape::Box, false},       {ShotShape::Book, false}, {ShotShape::DvdCase, false},
                        {ShotShape::JewelCase, false}, {ShotShape::Disc, false}, {ShotShape::Disc, true},
                        {ShotShape::Card, false},      {ShotShape::Card, true}};
  EditingState state;
  state.TransparentBackground = true;
  LayerSources sources;  // every slot a plain colour
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(ShotShapeKeyword(c.shape)) + (c.lying ? " lying" : ""));
    const ShotProportions size = ProportionsFromArtwork(c.shape, std::nullopt, std::nullopt);
    const DesignedTemplate t = DesignShot(SingleObjectDesign(c.shape, size, {}, c.lying));
    for (const DesignedLayer& l : t.Layers) EXPECT_NE(l.Type, LayerType::Other);
    const fs::path file = dir_ / "shot.ini";
    WriteTemplateFile(file, TemplateText(t));
    TImgView32 view;
    // The shipped custom pictures: the DVD sleeve's sheen and the jewel case's hinge.
    RenderContext context{state, sources, fs::path(MIRELANE_SOURCE_DIR) / "data"};
    RenderTemplateFile(view, 400, 300, context, file);
    TBitmap32 picture(400, 300);
    view.Flatten(picture);
    // The middle of the face that carries the front (or disc) picture, in output pixels.
    const char* type = c.shape == ShotShape::Disc   ? "disc"
                       : c.shape == ShotShape::Card ? "roundrect"
                                                    : "normal";
    const auto face = FindLayer(t, type, c.shape == ShotShape::Disc ? "DISC" : "FRONT");
    ASSERT_TRUE(face);
    const double scale = 400.0 / t.Width;
    // A disc has its hole in the middle: look halfway out instead.
    const Box2 b = Bounds(*face);
    const double cy = c.shape == ShotShape::Disc ? b.Cy() - 0.25 * b.H() : b.Cy();
    const int x = static_cast<int>(b.Cx() * scale), y = static_cast<int>(cy * scale);
    EXPECT_EQ(AlphaOf(picture.PixelAt(x, y)), 255u) << x << "," << y;
    size_t opaque = 0;
    for (size_t p = 0; p < picture.PixelCount(); ++p) opaque += AlphaOf(picture.Bits()[p]) == 255;
    // Solid over a good part of the face's area (a disc's square holds the round disc, its clear hub
    // and its hole).
    EXPECT_GT(static_cast<double>(opaque), 0.35 * Area(*face) * scale * scale);
  }
}

}  // namespace
}  // namespace mirelane
