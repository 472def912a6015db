// RenderTemplate end to end on small templates: base, background layer, scene layers, the resampler
// step, flattening, and what a failing render leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "compose/resampler_selection.h"
#include "picture/picture_reader.h"
#include "raster/error.h"
#include "raster/resampler.h"
#include "support/layer_kinds.h"
#include "support/png_dump.h"
#include "templates/render_template.h"

namespace mirelane {
namespace {

namespace fs = std::filesystem;

const char* kTwoLayers =
    "[Image]\nwidth=800\nheight=600\n"
    "[Layer1]\ntype=customcolorreflection\nsource=clRed\nA.X=100\nA.Y=300\nB.X=300\nB.Y=300\nC.X=300\nC.Y="
    "500\n"
    "D.X=100\nD.Y=500\n"
    "[Layer2]\ntype=normal\nsource=FRONT\nA.X=100\nA.Y=100\nB.X=300\nB.Y=100\nC.X=300\nC.Y=300\nD.X=100\n"
    "D.Y=300\n";

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ =
        fs::temp_directory_path() /
        ("mirelane_render_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "Templates");
    fs::create_directories(root_ / "custom");
    std::ofstream(root_ / "Templates" / "a.ini") << kTwoLayers;
    std::ofstream(root_ / "Templates" / "b.ini") << "[Layer1]\ntype=customfile\nsource=missing.png\n";
  }
  void TearDown() override { fs::remove_all(root_); }

  void Render(int32_t w = 400, int32_t h = 300) {
    RenderContext context{state_, sources_, root_};
    RenderTemplate(view_, w, h, context);
  }

  // A 640 x 480 picture: red on the left half, blue on the right half.
  std::string HalvesPicture() {
    TBitmap32 bmp(640, 480);
    bmp.FillRectClipped(0, 0, 320, 480, 0xFFFF0000u);
    bmp.FillRectClipped(320, 0, 640, 480, 0xFF0000FFu);
    const fs::path p = root_ / "background.png";
    EXPECT_TRUE(testing::DumpPng(bmp, p.string()));
    return p.string();
  }

  fs::path root_;
  EditingState state_;
  LayerSources sources_;
  TImgView32 view_;
};

TEST_F(RenderTest, ColourBackgroundFillsTheBaseAndSceneLayersStartAtZero) {
  sources_[1].Color = 0x00FF00;  // lime
  Render();
  EXPECT_EQ(view_.Bitmap().Width(), 400);
  EXPECT_EQ(view_.Bitmap().PixelAt(0, 0), 0xFF00FF00u);
  EXPECT_EQ(view_.Bitmap().DrawMode(), dmTransparent);
  ASSERT_EQ(view_.Layers().Count(), 2);
  EXPECT_EQ(testing::SceneKinds(view_),
            (std::vector<LayerType>{LayerType::CustomColorReflection, LayerType::Normal}));
  EXPECT_EQ(view_.Layers()[1].Bitmap().PixelAt(100, 100), 0xFFC0DCC0u);  // scene layer 1 at index 1
}

TEST_F(RenderTest, PictureBackgroundIsLayerZeroDrawnToExactlyTheCanvas) {
  sources_[1].PicturePath = HalvesPicture();
  sources_[1].UseColor = false;
  Render();
  ASSERT_EQ(view_.Layers().Count(), 3);
  const TBitmapLayer& background = view_.Layers()[0];
  EXPECT_EQ(background.Bitmap().Width(), 640);
  EXPECT_EQ(background.Bitmap().Height(), 480);
  EXPECT_EQ(background.Location, (TFloatRect{0, 0, 400, 300}));
  EXPECT_EQ(view_.Layers()[2].Bitmap().PixelAt(100, 100), 0xFFC0DCC0u);  // scene layer 1 at index 2
  // Only the background: every pixel covered, red left, blue right, nothing outside the canvas.
  view_.Layers()[1].SetVisible(false);
  view_.Layers()[2].SetVisible(false);
  TBitmap32 flat(400, 300);
  view_.Flatten(flat);
  // The reduction filters the picture, so colour and alpha may lose a unit or two.
  auto near = [](uint32_t v, uint32_t expected) { return v + 3 >= expected && v <= expected; };
  for (auto [x, y] : {std::pair{0, 0}, std::pair{0, 299}, std::pair{190, 150}}) {
    const TColor32 p = flat.PixelAt(x, y);
    EXPECT_TRUE(near(AlphaOf(p), 255) && near(RedOf(p), 255) && BlueOf(p) == 0) << std::hex << p;
  }
  for (auto [x, y] : {std::pair{399, 0}, std::pair{399, 299}, std::pair{210, 150}}) {
    const TColor32 p = flat.PixelAt(x, y);
    EXPECT_TRUE(near(AlphaOf(p), 255) && near(BlueOf(p), 255) && RedOf(p) == 0) << std::hex << p;
  }
}

TEST_F(RenderTest, TransparentBackgroundLeavesTheBaseEmptyAndHiddenLayersOutOfFlatten) {
  state_.TransparentBackground = true;
  state_.ShowReflection = false;
  Render();
  ASSERT_EQ(view_.Layers().Count(), 2);
  for (size_t i = 0; i < view_.Bitmap().PixelCount(); ++i) ASSERT_EQ(view_.Bitmap().Bits()[i], 0u);
  EXPECT_FALSE(view_.Layers()[0].Visible());
  TBitmap32 flat(400, 300);
  view_.Flatten(flat);
  EXPECT_EQ(flat.PixelAt(100, 170), 0u);  // the hidden reflection leaves nothing
  EXPECT_EQ(flat.PixelAt(100, 100), 0xFFC0DCC0u);
  view_.Layers()[0].SetVisible(true);  // showing it again needs no render
  TBitmap32 again(400, 300);
  view_.Flatten(again);
  const TColor32 shown = again.PixelAt(100, 165);
  EXPECT_GT(AlphaOf(shown), 0u);
  EXPECT_GT(RedOf(shown), 0u);  // blended over transparent black, so the red is darkened with its alpha
  EXPECT_EQ(BlueOf(shown), 0u);
  EXPECT_EQ(GreenOf(shown), 0u);
}

TEST_F(RenderTest, EveryLayerEndsWithTheLinearResamplerAndTheBaseKeepsNearest) {
  sources_[1].PicturePath = HalvesPicture();
  sources_[1].UseColor = false;
  Render();
  ASSERT_EQ(view_.Layers().Count(), 3);
  for (int i = 0; i < view_.Layers().Count(); ++i) {
    const TBitmap32& surface = view_.Layers()[i].Bitmap();
    EXPECT_EQ(surface.ResamplerClassName(), "TLinearResampler") << i;
  }
  EXPECT_EQ(view_.Bitmap().ResamplerClassName(), "TNearestResampler");
}

TEST_F(RenderTest, FailingLayerKeepsTheLayersBeforeIt) {
  state_.TemplateIndex = 2;
  try {
    Render();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("Layer 1 (\"customfile\")"), std::string::npos) << e.what();
  }
  EXPECT_EQ(view_.Layers().Count(), 0);
  state_.TemplateIndex = 1;
  Render();
  std::ofstream(root_ / "Templates" / "b.ini") << kTwoLayers << "[Layer3]\ntype=customfile\nsource=x.png\n";
  state_.TemplateIndex = 2;
  EXPECT_THROW(Render(), Error);
  ASSERT_EQ(view_.Layers().Count(), 2);
  // Every layer is made with the resampler list's choice, so the layers before the failing one have it.
  EXPECT_EQ(view_.Layers()[0].Bitmap().ResamplerClassName(), "TLinearResampler");
}

TEST_F(RenderTest, IndexBeyondTheListingLeavesAnEmptyBaseOfTheNewSize) {
  Render();
  state_.TemplateIndex = 3;
  try {
    Render(200, 100);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (2)");
  }
  EXPECT_EQ(view_.Bitmap().Width(), 200);
  EXPECT_EQ(view_.Bitmap().Height(), 100);
  EXPECT_EQ(view_.Bitmap().PixelAt(0, 0), 0u);
  EXPECT_EQ(view_.Layers().Count(), 0);
}

TEST_F(RenderTest, UnreadableBackgroundKeepsAnEmptyBackgroundLayerAndNoScene) {
  sources_[1].PicturePath = (root_ / "nothing.png").string();
  sources_[1].UseColor = false;
  EXPECT_THROW(Render(), Error);
  ASSERT_EQ(view_.Layers().Count(), 1);
  EXPECT_TRUE(view_.Layers()[0].Bitmap().Empty());
  EXPECT_TRUE(testing::SceneKinds(view_).empty());
}

TEST(ResamplerLists, FilledFromTheRegistriesWithLinearAndBoxSelected) {
  const ResamplerLists lists = FillResamplerLists();
  ASSERT_GE(lists.ResamplerNames.size(), 4u);
  EXPECT_EQ(lists.ResamplerNames[1], "TLinearResampler");
  EXPECT_EQ(lists.ResamplerIndex, 1);
  ASSERT_FALSE(lists.KernelNames.empty());
  EXPECT_EQ(lists.KernelNames[0], "TBoxKernel");
  EXPECT_EQ(lists.KernelIndex, 0);
}

TEST(ResamplerLists, ASelectionReequipsEveryLayer_ANameWithoutAResamplerChangesNothing) {
  TLayerCollection layers;
  layers.Add().Bitmap().SetSize(4, 4);
  layers.Add().Bitmap().SetSize(4, 4);
  ResamplerLists lists = FillResamplerLists();
  for (const auto& [index, expected] : std::vector<std::pair<int, std::string>>{{0, "TNearestResampler"},
                                                                                {-1, "TNearestResampler"},
                                                                                {3, "TNearestResampler"},
                                                                                {1, "TLinearResampler"}}) {
    lists.ResamplerIndex = index;
    ResamplerClassNamesListChange(layers, lists);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(layers[i].Bitmap().ResamplerClassName(), expected) << index;
  }
}

}  // namespace
}  // namespace mirelane

namespace mirelane {
namespace {

// What ReadPicture itself says about a file, to check the context a render puts before it.
std::string ReaderMessage(const std::string& file) {
  try {
    ReadPicture(file);
  } catch (const Error& e) {
    return e.what();
  }
  return "(read without error)";
}

TEST_F(RenderTest, UnreadablePicturesNameWhoNeededThemBeforeTheReadersMessage) {
  const std::string missing = (root_ / "missing.png").string();
  const std::string broken = (root_ / "custom" / "broken.png").string();
  std::ofstream(broken) << "not a PNG at all";
  // The third layer reads FRONT too: the error is the first layer's that needs it, whichever decodes first.
  std::ofstream(root_ / "Templates" / "c two fronts.ini")
      << kTwoLayers
      << "[Layer3]\ntype=reflection\nsource=front\nA.X=1\nA.Y=1\nB.X=9\nB.Y=1\nC.X=9\nC.Y=9\nD.X=1\nD.Y=9\n";
  std::ofstream(root_ / "Templates" / "d custom.ini")
      << kTwoLayers
      << "[Layer3]\ntype=customfile\nsource=broken.png\nA.X=1\nA.Y=1\nB.X=9\nB.Y=1\nC.X=9\nC.Y=9\n";
  struct Case {
    const char* name;
    SourceIndex slot;  // given the missing picture
    int32_t templateIndex;
    std::string expected;
  };
  const Case cases[] = {
      {"slot picture", 2, 1,
       "Layer 2 (\"normal\") of the template \"a\", FRONT picture: " + ReaderMessage(missing)},
      {"slot read twice", 2, 3,
       "Layer 2 (\"normal\") of the template \"c two fronts\", FRONT picture: " + ReaderMessage(missing)},
      {"background picture", 1, 1, "Background picture: " + ReaderMessage(missing)},
      {"custom picture", 0, 4,
       "Layer 3 (\"customfile\") of the template \"d custom\", custom picture: " + ReaderMessage(broken)},
  };
  for (const Case& c : cases) {
    sources_ = LayerSources();
    if (c.slot > 0) {
      sources_[c.slot].PicturePath = missing;
      sources_[c.slot].UseColor = false;
    }
    state_.TemplateIndex = c.templateIndex;
    try {
      Render();
      ADD_FAILURE() << c.name << ": no error";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), c.expected) << c.name;
    }
  }
}

}  // namespace
}  // namespace mirelane
