// BuildScene: layer order and keywords, each type's preparation, the shadow and reflection steps,
// and what stays in the stack when a layer fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "compose/background_layer.h"
#include "compose/face_mapping.h"
#include "compose/scene_builder.h"
#include "picture/picture_reader.h"
#include "raster/blend.h"
#include "raster/blur.h"
#include "raster/error.h"
#include "raster/shade_maps.h"
#include "raster/tonal.h"
#include "support/layer_kinds.h"
#include "support/layer_plans.h"
#include "support/png_dump.h"

namespace mirelane {
namespace {

namespace fs = std::filesystem;

using testing::Layer;
using testing::Quad;

// An axis-parallel face (100, 100)-(300, 250) of the 800 x 600 canvas: (50, 50)-(150, 125) at 400 x 300.
constexpr Quad kFace{100, 100, 300, 100, 300, 250, 100, 250};

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("mirelane_scene_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "custom");
    view_.PrepareBase(400, 300);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The template "shot" on the default 800 x 600 canvas unless told otherwise.
  static Scene MakeScene(std::vector<LayerPlan> layers, int32_t width = kDefaultTemplateWidth) {
    Scene scene;
    scene.Name = "shot";
    scene.Width = width;
    scene.Layers = std::move(layers);
    return scene;
  }

  void Build(const Scene& scene, unsigned workers = 0) {
    const SceneInputs inputs{state_, sources_, dir_ / "custom", workers};
    BuildScene(scene, view_, inputs);
  }

  // A picture file whose pixel (x, y) has red x, green y and blue 200, opaque.
  std::string CodedPicture(int w, int h, const std::string& name) {
    TBitmap32 bmp(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) bmp.PixelAt(x, y) = Color32(x & 255, y & 255, 200);
    const fs::path p = dir_ / name;
    EXPECT_TRUE(testing::DumpPng(bmp, p.string()));
    return p.string();
  }

  // Layer i as the whole canvas: its box at its place, transparent elsewhere, with its drawing properties.
  const TBitmap32& OnCanvas(int i) {
    const TBitmapLayer& layer = view_.Layers()[i];
    auto canvas = std::make_unique<TBitmap32>(view_.Bitmap().Width(), view_.Bitmap().Height());
    canvas->SetDrawMode(layer.Bitmap().DrawMode());
    canvas->SetMasterAlpha(layer.Bitmap().MasterAlpha());
    const auto left = static_cast<int32_t>(layer.Location.Left),
               top = static_cast<int32_t>(layer.Location.Top);
    for (int32_t y = 0; y < layer.Bitmap().Height(); ++y)
      std::copy_n(layer.Bitmap().ScanLine(y), layer.Bitmap().Width(), canvas->ScanLine(top + y) + left);
    canvases_.push_back(std::move(canvas));
    return *canvases_.back();
  }

  fs::path dir_;
  std::vector<std::unique_ptr<TBitmap32>> canvases_;
  EditingState state_;
  LayerSources sources_;
  TImgView32 view_;
};

TEST_F(SceneTest, LayersAreBoxesOfTheCanvasScaledAndInTemplateOrder) {
  Build(MakeScene({Layer("normal", "front", kFace), Layer("Normal", "FRONT", kFace),
                   Layer("customcolor", "clRed", kFace)}));
  ASSERT_EQ(view_.Layers().Count(), 3);
  EXPECT_EQ(testing::SceneKinds(view_),
            (std::vector<LayerType>{LayerType::Normal, LayerType::Other, LayerType::CustomColor}));
  for (int i = 0; i < 3; ++i) {
    const TBitmapLayer& layer = view_.Layers()[i];
    EXPECT_TRUE(layer.Scaled);
    // The layer keeps its box of the canvas.
    EXPECT_GE(layer.Location.Left, 0);
    EXPECT_GE(layer.Location.Top, 0);
    EXPECT_LE(layer.Location.Right, 400);
    EXPECT_LE(layer.Location.Bottom, 300);
    EXPECT_EQ(layer.Location.Right - layer.Location.Left, static_cast<float>(layer.Bitmap().Width()));
    EXPECT_EQ(layer.Location.Bottom - layer.Location.Top, static_cast<float>(layer.Bitmap().Height()));
    EXPECT_EQ(layer.Bitmap().DrawMode(), dmBlend);
    EXPECT_EQ(layer.Bitmap().MasterAlpha(), 255u);
    EXPECT_TRUE(layer.Visible());
  }
  // The slot colour (pale green 192, 220, 192) fills the face; "Normal" is no keyword: all transparent.
  EXPECT_EQ(OnCanvas(0).PixelAt(100, 90), 0xFFC0DCC0u);
  EXPECT_EQ(OnCanvas(0).PixelAt(160, 90), 0u);
  const TBitmap32& unknown = OnCanvas(1);
  for (size_t i = 0; i < unknown.PixelCount(); ++i) ASSERT_EQ(unknown.Bits()[i], 0u);
  EXPECT_EQ(OnCanvas(2).PixelAt(100, 90), 0xFFFF0000u);
}

TEST_F(SceneTest, SecondLayerFailingKeepsTheFirstAndBothKeywords) {
  const Scene scene = MakeScene({Layer("normal", "FRONT", kFace), Layer("customfile", "missing.png", kFace),
                                 Layer("normal", "SIDE", kFace)});
  for (unsigned workers : {1u, 2u}) {
    view_.Layers().Clear();
    EXPECT_THROW(Build(scene, workers), Error);
    EXPECT_EQ(view_.Layers().Count(), 1) << workers;
    EXPECT_EQ(testing::SceneKinds(view_), (std::vector<LayerType>{LayerType::Normal})) << workers;
  }
}

TEST_F(SceneTest, SlotTypeWithoutSlotFailsNamingSourceAndTemplate) {
  try {
    Build(MakeScene({Layer("reflection", "unknown", kFace)}));
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(
        e.what(),
        "Layer 1 (\"reflection\") of the template \"shot\": the layer source \"unknown\" names no slot");
  }
  EXPECT_EQ(view_.Layers().Count(), 0);
}

// Corners at the ends of the 32-bit range are mapped without overflow: a quadrilateral that lies
// wholly beside the canvas leaves its layers empty; one that encloses the canvas reaches nearly all of it.
TEST_F(SceneTest, CornersFarOutsideTheCanvas) {
  constexpr int32_t kMax = 2147483647, kMin = -2147483647 - 1;
  struct Case {
    const char* what;
    Quad corners;
    bool coversCanvas;
  };
  const Case cases[] = {
      {"beside", {kMax, kMin, kMax, kMax, 1000000000, kMax, 1000000000, kMin}, false},
      {"around", {kMax, kMin, kMax, kMax, kMin, kMax, 5, 5}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    view_.Layers().Clear();
    Build(MakeScene({Layer("normal", "FRONT", c.corners), Layer("shadow", "", c.corners)}));
    ASSERT_EQ(view_.Layers().Count(), 2);
    for (int i = 0; i < 2; ++i) {
      const TBitmap32& layer = OnCanvas(i);
      ASSERT_EQ(layer.Width(), 400) << i;
      ASSERT_EQ(layer.Height(), 300) << i;
      size_t drawn = 0;
      for (size_t p = 0; p < layer.PixelCount(); ++p) drawn += AlphaOf(layer.Bits()[p]) != 0;
      if (c.coversCanvas)
        EXPECT_GT(drawn, layer.PixelCount() * 99 / 100) << "layer " << i;
      else
        EXPECT_EQ(drawn, 0u) << "layer " << i;
    }
  }
}

// A shot with every layer kind, over translucent artwork: the picture flattened over a transparent
// base and then composited over a colour must be the picture flattened over that colour, and that
// one must be opaque everywhere.
TEST_F(SceneTest, TransparentShotCompositedOverAColourEqualsTheShotOverThatColour) {
  // A picture whose alpha runs from 0 to 255 across and whose colours vary.
  TBitmap32 glass(90, 70);
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 90; ++x)
      glass.PixelAt(x, y) = WithAlpha(Color32((x * 7) & 255, (y * 5) & 255, 90), x * 255 / 89);
  const fs::path glassFile = dir_ / "custom" / "glass.png";
  ASSERT_TRUE(testing::DumpPng(glass, glassFile.string()));
  for (const char* slot : {"Front", "Side", "Disc"}) {
    sources_[SourceIndexOf(slot)].UseColor = false;
    sources_[SourceIndexOf(slot)].PicturePath = glassFile.string();
  }
  sources_[SourceIndexOf("Top")].UseColor = true;
  sources_[SourceIndexOf("Top")].Color = 0x3080C0;
  state_.ObjectShading = 180;
  state_.ObjectHighlight = 140;
  state_.ReflectionOpacity = 200;
  state_.ShadowDensity = 160;

  const Quad below{100, 250, 300, 250, 300, 400, 100, 400};
  const Quad right{250, 80, 450, 120, 450, 300, 250, 260};
  const Quad disc{150, 150, 350, 150, 350, 350, 150, 350};
  const std::vector<LayerPlan> sections = {
      Layer("shadow", "", {120, 120, 330, 120, 330, 280, 120, 280}),
      Layer("normal", "FRONT", kFace),
      Layer("reflection", "FRONT", below),
      Layer("roundrect", "SIDE", right),
      Layer("customcolor", "$0000C000", {80, 200, 200, 200, 200, 320, 80, 320}),
      Layer("customcolorreflection", "clRed", below),
      Layer("disc", "DISC", disc),
      Layer("discreflection", "DISC", {150, 350, 350, 350, 350, 550, 150, 550}),
      Layer("customfile", "glass.png", right),
      Layer("shade", "down", kFace),
      Layer("highlight", "lefttop", right),
      Layer("blurshade", "right", below),
      Layer("blurhighlight", "top", below),
      Layer("roundrectshade", "down", right),
      Layer("roundrecthighlight", "leftdown", kFace),
      Layer("normal", "TOP", {200, 60, 380, 60, 380, 160, 200, 160}),
  };
  Build(MakeScene(sections));
  ASSERT_EQ(view_.Layers().Count(), 16);

  TBitmap32 transparent(400, 300);
  view_.Flatten(transparent);
  size_t translucent = 0;
  for (size_t p = 0; p < transparent.PixelCount(); ++p) {
    const uint32_t a = AlphaOf(transparent.Bits()[p]);
    translucent += a != 0 && a != 255;
  }
  EXPECT_GT(translucent, 10000u);  // the scene really tests partial alpha

  for (const TColor32 x : {0xFFFFFFFFu, 0xFF000000u, 0xFF3A9F5Cu}) {
    SCOPED_TRACE(::testing::Message() << std::hex << x);
    view_.Bitmap().Clear(x);
    TBitmap32 over(400, 300);
    view_.Flatten(over);
    int worst = 0;
    size_t beyondTwo = 0;
    for (size_t p = 0; p < over.PixelCount(); ++p) {
      const TColor32 o = over.Bits()[p], t = transparent.Bits()[p];
      ASSERT_EQ(AlphaOf(o), 255u) << "pixel " << p;
      const uint32_t a = AlphaOf(t);
      for (int shift = 0; shift < 24; shift += 8) {
        const int composited =
            static_cast<int>((((t >> shift) & 255) * a + ((x >> shift) & 255) * (255 - a) + 127) / 255);
        const int error = std::abs(composited - static_cast<int>((o >> shift) & 255));
        worst = std::max(worst, error);
        beyondTwo += error > 2;
      }
    }
    // Each of the 16 layers rounds once in either picture; the errors seldom add up.
    EXPECT_LE(worst, 3);
    EXPECT_LT(beyondTwo, over.PixelCount() / 1000);
  }
}

TEST_F(SceneTest, ZeroCanvasFailsWithMessage) {
  EXPECT_THROW(Build(MakeScene({Layer("normal", "FRONT", kFace)}, 0)), Error);
  EXPECT_EQ(view_.Layers().Count(), 0);
}

TEST_F(SceneTest, BadCustomColourNamesTheValueTheLayerAndTheTemplate) {
  for (const char* type : {"customcolor", "customcolorreflection"}) {
    view_.Layers().Clear();
    try {
      Build(MakeScene({Layer("shadow", "", kFace), Layer(type, "notacolour", kFace)}));
      ADD_FAILURE() << type << ": no error";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(),
                   (std::string("Layer 2 (\"") + type +
                    "\") of the template \"shot\": \"notacolour\" is neither a colour name nor a number")
                       .c_str())
          << type;
    }
    EXPECT_EQ(view_.Layers().Count(), 1) << type;
  }
}

TEST_F(SceneTest, CustomFileIsReadFromTheCustomFolderWithBackslashes) {
  fs::create_directories(dir_ / "custom" / "cases");
  const std::string picture = CodedPicture(20, 20, "tray.png");
  fs::copy_file(picture, dir_ / "custom" / "cases" / "tray.png");
  Build(MakeScene({Layer("customfile", "cases\\tray.png", kFace)}));
  ASSERT_EQ(view_.Layers().Count(), 1);
  EXPECT_EQ(AlphaOf(OnCanvas(0).PixelAt(100, 90)), 255u);
  EXPECT_THROW(Build(MakeScene({Layer("customfile", "..\\shot.ini", kFace)})), Error);
}

TEST_F(SceneTest, NormalPictureShowsTheMiddleOfThePicture) {
  // 108 columns drawn over the 8 % larger quadrilateral: 1:1, and the cut keeps columns 4 .. 103.
  sources_[2].PicturePath = CodedPicture(108, 81, "front.png");
  sources_[2].UseColor = false;
  Build(MakeScene({Layer("normal", "FRONT", kFace)}));
  const TBitmap32& face = OnCanvas(0);
  EXPECT_NEAR(static_cast<int>(RedOf(face.PixelAt(51, 87))), 5, 1);
  EXPECT_NEAR(static_cast<int>(RedOf(face.PixelAt(148, 87))), 102, 1);
  EXPECT_NEAR(static_cast<int>(GreenOf(face.PixelAt(100, 51))), 4, 1);
  EXPECT_NEAR(static_cast<int>(GreenOf(face.PixelAt(100, 123))), 76, 1);
}

TEST_F(SceneTest, ColourReflectionIsFadedNotFlippedPictureReflectionIsFlipped) {
  state_.ReflectionBlur = 0;
  Build(MakeScene({Layer("reflection", "FRONT", kFace)}));
  {
    const TBitmap32& r = OnCanvas(0);
    // Fade 50 % of 300 rows: the colour keeps its top, loses alpha downwards, and is gone by the middle.
    const uint32_t top = AlphaOf(r.PixelAt(100, 52)), middle = AlphaOf(r.PixelAt(100, 80));
    EXPECT_GT(top, 200u);
    EXPECT_LT(middle, top);
    EXPECT_EQ(AlphaOf(r.PixelAt(100, 110)), 0u);
    EXPECT_EQ(r.MasterAlpha(), 255u);  // ReflectionOpacity
  }
  sources_[2].PicturePath = CodedPicture(108, 81, "front.png");
  sources_[2].UseColor = false;
  state_.ReflectionFade = false;
  view_.Layers().Clear();
  Build(MakeScene({Layer("reflection", "FRONT", kFace)}));
  const TBitmap32& r = OnCanvas(0);
  // Flipped: the picture's bottom rows (green near 76) come first.
  EXPECT_NEAR(static_cast<int>(GreenOf(r.PixelAt(100, 51))), 76, 1);
  EXPECT_NEAR(static_cast<int>(GreenOf(r.PixelAt(100, 123))), 4, 1);
}

// On a canvas 1100 rows high a canvas-sized colour would get a fade ramp of 550 rows, whose step
// rounds to 0: the reflection would not fade at all. The colour is filled on fewer rows instead.
TEST_F(SceneTest, ColourReflectionsFadeOnTallCanvasesToo) {
  state_.ReflectionBlur = 0;
  view_.PrepareBase(400, 1100);  // s = 0.5, offY = 400: the face spans rows 450 .. 525
  for (const char* type : {"reflection", "customcolorreflection"}) {
    view_.Layers().Clear();
    Build(MakeScene({Layer(type, type == std::string("reflection") ? "FRONT" : "clRed", kFace)}));
    const TBitmap32& r = OnCanvas(0);
    EXPECT_GT(AlphaOf(r.PixelAt(100, 452)), 150u) << type;
    EXPECT_LT(AlphaOf(r.PixelAt(100, 465)), AlphaOf(r.PixelAt(100, 452))) << type;
    EXPECT_EQ(AlphaOf(r.PixelAt(100, 520)), 0u) << type;  // faded out before the bottom
  }
  state_.ReflectionFade = false;  // unfaded colours keep the canvas size and stay opaque
  view_.Layers().Clear();
  Build(MakeScene({Layer("customcolorreflection", "clRed", kFace)}));
  EXPECT_EQ(OnCanvas(0).PixelAt(100, 520), 0xFFFF0000u);
}

TEST_F(SceneTest, ShadowAndReflectionGroupSettings) {
  struct Case {
    const char* type;
    const char* source;
    uint8_t opacity, shading, highlight, density;
    bool showReflection, showShadow;
    uint32_t master;
    bool visible;
  };
  const Case cases[] = {
      {"blurshade", "top", 100, 100, 255, 255, true, true, 39, true},
      {"blurshade", "top", 128, 255, 255, 255, true, true, 128, true},
      {"blurhighlight", "top", 100, 255, 100, 255, false, true, 39, false},
      {"reflection", "FRONT", 77, 255, 255, 255, true, true, 77, true},
      {"discreflection", "DISC", 90, 255, 255, 255, false, true, 90, false},
      {"customcolorreflection", "clBlue", 200, 255, 255, 255, true, true, 200, true},
      {"shadow", "none", 255, 255, 255, 128, true, true, 128, true},
      {"shadow", "none", 255, 255, 255, 128, true, false, 128, false},
      {"shade", "left", 255, 60, 255, 255, false, false, 60, true},
      {"roundrecthighlight", "left", 255, 255, 61, 255, false, false, 61, true},
      {"normal", "FRONT", 10, 10, 10, 10, false, false, 255, true},
  };
  for (const Case& c : cases) {
    state_.ReflectionOpacity = c.opacity;
    state_.ObjectShading = c.shading;
    state_.ObjectHighlight = c.highlight;
    state_.ShadowDensity = c.density;
    state_.ShowReflection = c.showReflection;
    state_.ShowShadow = c.showShadow;
    view_.Layers().Clear();
    Build(MakeScene({Layer(c.type, c.source, kFace)}));
    ASSERT_EQ(view_.Layers().Count(), 1);
    EXPECT_EQ(view_.Layers()[0].Bitmap().MasterAlpha(), c.master) << c.type;
    EXPECT_EQ(view_.Layers()[0].Visible(), c.visible) << c.type;
  }
}

TEST_F(SceneTest, UniformShadeIsTheMapIntensityThroughTheMapping) {
  state_.ObjectShading = 200;
  Build(MakeScene({Layer("shade", "rightlefttopdown", kFace)}));
  const TBitmap32& shade = OnCanvas(0);
  // The uniform map has intensity 169. The premultiplied drawing of the canvas may store one unit
  // more (170); the installed AGG keeps 169, which is pinned here.
  EXPECT_EQ(shade.PixelAt(100, 90), 0xA9000000u);
  EXPECT_EQ(shade.PixelAt(60, 60), 0xA9000000u);
  EXPECT_EQ(shade.MasterAlpha(), 200u);
}

TEST_F(SceneTest, ShadowIsBlurredDensityAndColour) {
  state_.ShadowColor = 0x0000FF;  // red
  state_.ShadowBlur = 0;
  Build(MakeScene({Layer("shadow", "", kFace)}));
  EXPECT_EQ(OnCanvas(0).PixelAt(100, 90), 0xFFFF0000u);
  state_.ShadowBlur = 25;
  view_.Layers().Clear();
  Build(MakeScene({Layer("shadow", "", kFace)}));
  const TBitmap32& blurred = OnCanvas(0);
  EXPECT_GT(AlphaOf(blurred.PixelAt(45, 90)), 0u);  // the blur spreads beyond the quadrilateral
  EXPECT_LT(AlphaOf(blurred.PixelAt(51, 90)), 255u);
}

TEST_F(SceneTest, DiscLayersAreDrawnWithoutEnlargement) {
  Build(MakeScene({Layer("disc", "DISC", Quad{100, 100, 300, 100, 300, 300, 100, 300})}));
  const TBitmap32& disc = OnCanvas(0);
  // Sky blue ring, transparent spindle hole in the centre and transparent corners of the square.
  EXPECT_EQ(disc.PixelAt(100, 60) & 0xFFFFFFu, 0xA6CAF0u);
  EXPECT_EQ(AlphaOf(disc.PixelAt(100, 100)), 0u);
  EXPECT_EQ(AlphaOf(disc.PixelAt(52, 52)), 0u);
  state_.LargeDiscArea = true;
  view_.Layers().Clear();
  Build(MakeScene({Layer("disc", "DISC", Quad{100, 100, 300, 100, 300, 300, 100, 300})}));
  // The large disc area shows the picture where the small disc had its translucent centre.
  EXPECT_EQ(OnCanvas(0).PixelAt(100, 88), 0xFFA6CAF0u);
}

TEST_F(SceneTest, ParallelBuildGivesTheSameLayersAsOneAfterAnother) {
  sources_[2].PicturePath = CodedPicture(64, 48, "front.png");
  sources_[2].UseColor = false;
  std::vector<LayerPlan> layers;
  const char* kinds[][2] = {{"shadow", ""},
                            {"reflection", "FRONT"},
                            {"normal", "FRONT"},
                            {"roundrect", "SIDE"},
                            {"disc", "DISC"},
                            {"discreflection", "DISC"},
                            {"shade", "leftdown"},
                            {"highlight", "top"},
                            {"blurshade", "right"},
                            {"blurhighlight", "left"},
                            {"roundrectshade", "lefttop"},
                            {"roundrecthighlight", "x"},
                            {"customcolor", "$00FF00"},
                            {"customcolorreflection", "clNavy"}};
  for (const auto& k : kinds) layers.push_back(Layer(k[0], k[1], Quad{90, 80, 330, 120, 320, 260, 110, 240}));
  const Scene scene = MakeScene(layers);
  Build(scene, 1);
  TImgView32 other;
  other.PrepareBase(400, 300);
  BuildScene(scene, other, SceneInputs{state_, sources_, dir_ / "custom", 2});
  ASSERT_EQ(view_.Layers().Count(), other.Layers().Count());
  EXPECT_EQ(testing::SceneKinds(view_), testing::SceneKinds(other));
  for (int i = 0; i < view_.Layers().Count(); ++i) {
    const TBitmap32& a = view_.Layers()[i].Bitmap();
    const TBitmap32& b = other.Layers()[i].Bitmap();
    EXPECT_EQ(a.MasterAlpha(), b.MasterAlpha());
    bool same = true;
    for (size_t p = 0; p < a.PixelCount() && same; ++p) same = a.Bits()[p] == b.Bits()[p];
    EXPECT_TRUE(same) << "layer " << i << " " << kinds[i][0];
  }
}

}  // namespace
}  // namespace mirelane

namespace mirelane {
namespace {

// The rounded-panel kinds stretch the map onto the panel through two blending transfers over clear
// pixels, each of which turns an alpha a into a * a / 255; then the panel's soft edge cuts it.
TEST(PrepareShadeSource, RoundRectKindsLoseAlphaAtEachTransfer) {
  const auto prepared = [](const char* type, const char* direction) {
    EditingState state;
    TBitmap32 source(400, 300), face(400, 300);
    source.SetDrawMode(dmBlend);
    face.SetDrawMode(dmBlend);
    PrepareShadeSource(LayerTypeOf(type), ShadeDirectionOf(direction), state, source, face);
    return source;
  };
  const auto alpha = [](const TBitmap32& b, int32_t x, int32_t y) { return AlphaOf(b.PixelAt(x, y)); };
  // The uniform map's intensity 169 becomes 112, then 49, all over the panel and nothing outside it.
  const TBitmap32 uniform = prepared("roundrectshade", "rightlefttopdown");
  ASSERT_EQ(uniform.Width(), 326);
  ASSERT_EQ(uniform.Height(), 257);
  EXPECT_EQ(alpha(uniform, 163, 128), 49u);
  EXPECT_EQ(alpha(uniform, 40, 200), 49u);
  EXPECT_EQ(alpha(uniform, 0, 0), 0u);
  EXPECT_EQ(alpha(uniform, 325, 256), 0u);
  // The side map darkens towards the bottom, the corner map towards the bottom left.
  const TBitmap32 down = prepared("roundrectshade", "down");
  for (int32_t y = 30; y < 226; ++y) ASSERT_LE(alpha(down, 163, y), alpha(down, 163, y + 1)) << y;
  EXPECT_GT(alpha(down, 163, 226), alpha(down, 163, 30));
  const TBitmap32 corner = prepared("roundrecthighlight", "leftdown");
  EXPECT_GT(alpha(corner, 30, 226), alpha(corner, 296, 30));
}

TEST(PrepareShadeSource, DirectionsTurnTheMapTowardsTheirSide) {
  EditingState state;
  struct Case {
    const char* direction;
    int32_t strongX, strongY, weakX, weakY;  // where the alpha is highest and lowest
  };
  const Case cases[] = {
      {"down", 150, 299, 150, 0},   {"top", 150, 0, 150, 299},     {"left", 0, 150, 299, 150},
      {"right", 299, 150, 0, 150},  {"leftdown", 0, 299, 299, 0},  {"lefttop", 0, 0, 299, 299},
      {"righttop", 299, 0, 0, 299}, {"rightdown", 299, 299, 0, 0},
  };
  for (const Case& c : cases) {
    TBitmap32 source, face;
    PrepareShadeSource(LayerType::Shade, ShadeDirectionOf(c.direction), state, source, face);
    ASSERT_EQ(source.Width(), 300);
    EXPECT_GT(AlphaOf(source.PixelAt(c.strongX, c.strongY)), 240u) << c.direction;
    EXPECT_LT(AlphaOf(source.PixelAt(c.weakX, c.weakY)), 40u) << c.direction;
    EXPECT_EQ(source.PixelAt(150, 150) & 0xFFFFFFu, 0u) << c.direction;  // black, the shading colour
  }
  TBitmap32 source, face;
  state.HighlightColor = 0x0000FF;
  state.ObjectHighlight = 90;
  PrepareShadeSource(LayerType::Highlight, ShadeDirection::RightLeftTopDown, state, source, face);
  EXPECT_EQ(source.PixelAt(10, 290), 0xA9FF0000u);  // the uniform map's 169 in the highlight colour
  EXPECT_EQ(source.MasterAlpha(), 90u);
}

}  // namespace
}  // namespace mirelane

namespace mirelane {
namespace {

// The layer blur skips uniform rows; on any picture it must give exactly what BlurBitmap gives.
TEST(BlurLayerSurface, SameBitsAsBlurBitmapOnRandomLayers) {
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed;
  };
  for (int32_t radius : {0, 1, 2, 15, 25, 100}) {
    TBitmap32 a(97, 61), b(97, 61);
    for (int32_t y = 0; y < 61; ++y) {
      const uint32_t kind = next() % 4;  // empty, uniform colour, random, or a short random run
      for (int32_t x = 0; x < 97; ++x) {
        TColor32 p = 0;
        if (kind == 1) p = 0x80402010u;
        if (kind == 2 || (kind == 3 && x > 40 && x < 50)) p = next();
        a.PixelAt(x, y) = p;
      }
    }
    b.Assign(&a);
    BlurBitmap(a, radius);
    BlurLayerSurface(b, radius);
    for (size_t i = 0; i < a.PixelCount(); ++i) ASSERT_EQ(a.Bits()[i], b.Bits()[i]) << radius << " at " << i;
  }
}

}  // namespace
}  // namespace mirelane
