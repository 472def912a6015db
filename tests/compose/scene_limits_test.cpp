// The bounds on one render: the layer count limit and the memory estimate refuse a template before
// anything is built, name it with the numbers, and let templates just under them through.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "compose/scene_builder.h"
#include "compose/scene_limits.h"
#include "raster/error.h"

namespace mirelane {
namespace {

namespace fs = std::filesystem;

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

TEST(SceneLimits, BoundariesOfTheLayerCountAndTheBudget) {
  // On a 32 x 32 canvas (1024 pixels) one disc layer of W x H needs 4 * (2 * 1024 + 2 * W * H + 1024)
  // bytes: 2560 x 104857 reaches the 2 GiB budget exactly.
  const std::vector<LayerFootprint> canvasLayers256(256, LayerFootprint{32, 32});
  const std::vector<LayerFootprint> canvasLayers257(257, LayerFootprint{32, 32});
  struct Case {
    const char* name;
    std::vector<LayerFootprint> layers;
    const char* expected;  // empty: within the limits
  };
  const Case cases[] = {
      {"256 layers", canvasLayers256, ""},
      {"257 layers", canvasLayers257,
       "The template \"t.ini\" has 257 layers, more than the 256 a render can take"},
      {"disc at the budget", {{2560, 104857}}, ""},
      {"disc one row over",
       {{2560, 104858}},
       "The template \"t.ini\" would need about 2049 MiB of memory at 32 x 32 pixels, more than the 2048 MiB "
       "a "
       "render may take"},
      {"disc beyond 2^31 each way", {{int64_t{1} << 31, int64_t{1} << 31}}, "would need about"},
  };
  for (const Case& c : cases) {
    const std::string message = ErrorOf([&] { CheckSceneLimits("t.ini", 32, 32, c.layers, 1); });
    if (c.expected[0] == '\0')
      EXPECT_EQ(message, "") << c.name;
    else
      EXPECT_NE(message.find(c.expected), std::string::npos) << c.name << ": " << message;
  }
}

TEST(SceneLimits, EstimateCountsTheLargestLayersInFlight) {
  constexpr double kCanvas = 400 * 300;
  const std::vector<LayerFootprint> layers = {{400, 300}, {1000, 1000}, {400, 300}};
  struct Case {
    unsigned inFlight;
    double pixels;
  };
  // Finished layers and the base, plus per layer in flight two copies of its work picture and a mask.
  const Case cases[] = {
      {1, 4 * kCanvas + (2e6 + kCanvas)},
      {2, 4 * kCanvas + (2e6 + kCanvas) + 3 * kCanvas},
      {3, 4 * kCanvas + (2e6 + kCanvas) + 6 * kCanvas},
      {8, 4 * kCanvas + (2e6 + kCanvas) + 6 * kCanvas},  // no more in flight than there are layers
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(EstimateSceneBytes(400, 300, layers, c.inFlight), 4 * c.pixels) << c.inFlight;
  // A face grown along shared edges holds three more mask-sized pictures while it is built, each the
  // size of its box.
  const std::vector<LayerFootprint> grown = {{400, 300, -1, 4}, {400, 300}};
  EXPECT_DOUBLE_EQ(EstimateSceneBytes(400, 300, grown, 1), 4 * (3 * kCanvas + 2 * kCanvas + 4 * kCanvas));
  EXPECT_DOUBLE_EQ(EstimateSceneBytes(400, 300, grown, 2), 4 * (3 * kCanvas + 6 * kCanvas + 3 * kCanvas));
  const std::vector<LayerFootprint> boxed = {{400, 300, 5000, 4}, {400, 300, 7000}};
  EXPECT_DOUBLE_EQ(EstimateSceneBytes(400, 300, boxed, 1), 4 * (kCanvas + 12000 + 2 * kCanvas + 4 * 5000));
}

LayerPlan Section(const std::string& type, int64_t ax, int64_t ay, int64_t bx, int64_t by, int64_t cx,
                  int64_t cy, int64_t dx, int64_t dy) {
  LayerPlan layer = ResolveLayerPlan(type, "FRONT");
  auto point = [](int64_t x, int64_t y) {
    return TemplatePoint{static_cast<int32_t>(x), static_cast<int32_t>(y)};
  };
  layer.A = point(ax, ay);
  layer.B = point(bx, by);
  layer.C = point(cx, cy);
  layer.D = point(dx, dy);
  return layer;
}

// The template "shot" with a canvas of width x height units.
Scene MakeScene(std::vector<LayerPlan> layers, int32_t width, int32_t height) {
  Scene scene;
  scene.Name = "shot";
  scene.Width = width;
  scene.Height = height;
  scene.Layers = std::move(layers);
  return scene;
}

class SceneLimitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() /
        ("mirelane_limits_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Build(const Scene& scene, int32_t width, int32_t height) {
    view_.Layers().Clear();
    view_.PrepareBase(width, height);
    const SceneInputs inputs{state_, sources_, dir_ / "custom", 2};
    return ErrorOf([&] { BuildScene(scene, view_, inputs); });
  }

  fs::path dir_;
  EditingState state_;
  LayerSources sources_;
  TImgView32 view_;
};

TEST_F(SceneLimitTest, TooManyLayersFailBeforeAnyIsBuiltAndTheLimitItselfRenders) {
  std::vector<LayerPlan> layers(256, Section("shadow", 0, 0, 32, 0, 32, 32, 0, 32));
  EXPECT_EQ(Build(MakeScene(layers, 32, 32), 32, 32), "");
  EXPECT_EQ(view_.Layers().Count(), 256);

  layers.push_back(Section("shadow", 0, 0, 32, 0, 32, 32, 0, 32));
  const std::string message = Build(MakeScene(layers, 32, 32), 32, 32);
  EXPECT_NE(message.find("\"shot\" has 257 layers, more than the 256"), std::string::npos) << message;
  EXPECT_EQ(view_.Layers().Count(), 0);
}

// At the largest size, layers count by what they keep: forty canvas-filling shadows at 4096 x 4096
// would hold 44 canvases of 64 MiB at their peak (the base, the forty, one layer's working pictures)
// and are refused before anything is drawn; a shot of small faces fits.
TEST_F(SceneLimitTest, LargestCanvasIsRefusedOnlyForWhatItsLayersKeep) {
  const std::vector<LayerPlan> full(40, Section("shadow", 0, 0, 64, 0, 64, 64, 0, 64));
  EXPECT_EQ(Build(MakeScene(full, 64, 64), 4096, 4096),
            "The template \"shot\" would need about 2816 MiB of memory at 4096 x 4096 pixels, more than the "
            "2048 MiB a render may take");
  EXPECT_EQ(view_.Layers().Count(), 0);

  const std::vector<LayerPlan> small(40, Section("normal", 30, 30, 32, 30, 32, 32, 30, 32));
  EXPECT_EQ(Build(MakeScene(small, 64, 64), 4096, 4096), "");
  ASSERT_EQ(view_.Layers().Count(), 40);
  // Each keeps a 2-unit square (128 pixels) with its anti-aliased rim, not the canvas.
  EXPECT_LT(view_.Layers()[0].Bitmap().Width(), 200);
}

constexpr int64_t kMin = -2147483647 - 1, kMax = 2147483647;

TEST_F(SceneLimitTest, HugeDiscsFailBeforeDrawingWithoutOverflow) {
  struct Case {
    const char* name;
    LayerPlan layer;
  };
  const Case cases[] = {
      // 16384 x 16384 pixels drawn, twice over: about 2 GiB for a 400 x 300 shot.
      {"16376 units square", Section("disc", 0, 0, 16376, 0, 16376, 16376, 0, 16376)},
      {"corners at both ends of the range", Section("disc", kMin, kMin, kMax, kMin, kMax, kMax, kMin, kMax)},
      {"reversed corners", Section("discreflection", kMax, kMax, kMin, kMax, kMin, kMin, kMax, kMin)},
      {"tall and narrow", Section("disc", 0, kMin, 10, kMin, 10, kMax, 0, kMax)},
  };
  for (const bool large : {false, true}) {
    state_.LargeDiscArea = large;
    for (const Case& c : cases) {
      const std::string message = Build(MakeScene({c.layer}, 400, 300), 400, 300);
      EXPECT_NE(message.find("\"shot\" would need about"), std::string::npos) << c.name << ": " << message;
      EXPECT_EQ(view_.Layers().Count(), 0) << c.name;
    }
  }
}

TEST_F(SceneLimitTest, ExtremeCornersOfEveryOtherTypeGiveEmptyLayers) {
  std::vector<LayerPlan> layers;
  for (const char* type :
       {"normal", "reflection", "roundrect", "shadow", "shade", "highlight", "blurshade", "blurhighlight",
        "roundrectshade", "roundrecthighlight", "customcolor", "customcolorreflection", "unknown"}) {
    layers.push_back(Section(type, kMin, kMin, kMax, kMin, kMax, kMax, kMin, kMax));
    layers.push_back(Section(type, kMax, kMin, kMin, kMax, kMax, kMax, kMin, kMin));
  }
  // "FRONT" is no colour: the custom colour layers take a colour of their own.
  for (LayerPlan& layer : layers)
    if (layer.Source.Text == "FRONT" && layer.Keyword.rfind("customcolor", 0) == 0)
      layer.Source.Color = 0x0000FF;
  EXPECT_EQ(Build(MakeScene(layers, 400, 300), 400, 300), "");
  // Built one each, with no error; under the sanitizers, with no overflow on the way.
  EXPECT_EQ(view_.Layers().Count(), static_cast<int>(layers.size()));
}

}  // namespace
}  // namespace mirelane
