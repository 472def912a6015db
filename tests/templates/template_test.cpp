// Reading templates: canvas, layer sections, keys and defaults.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "compose/scene_builder.h"
#include "raster/error.h"
#include "templates/template.h"

namespace mirelane {
namespace {

Template FromText(const std::string& text) {
  return ReadTemplate(IniFile::FromText(text));
}

TEST(ReadTemplate, LayerSectionsAreThoseContainingLayerInExactCase) {
  const Template t = FromText(
      "[Image]\nwidth=10\n[Layers]\ntype=normal\n[layer1]\ntype=shade\n[MyLayer]\ntype=shadow\n"
      "[LAYER2]\n[Background]\n[ALayerZ]\n");
  ASSERT_EQ(t.Layers.size(), 3u);
  EXPECT_EQ(t.Layers[0].Section, "Layers");
  EXPECT_EQ(t.Layers[0].Type, "normal");
  EXPECT_EQ(t.Layers[1].Section, "MyLayer");
  EXPECT_EQ(t.Layers[1].Type, "shadow");
  EXPECT_EQ(t.Layers[2].Section, "ALayerZ");
}

TEST(ReadTemplate, CanvasSize) {
  struct Case {
    const char* text;
    int32_t width, height;
  };
  const Case cases[] = {
      {"[Image]\nwidth=400\n", 400, 600},
      {"[Image]\nheight=300\n", 800, 300},
      {"[image]\nWIDTH=$20\nHeight=0x10\n", 32, 16},
      {"", 800, 600},
      {"[Layer1]\nwidth=5\n", 800, 600},
      {"[Image]\nwidth=12.5\nheight=abc\n", 800, 600},
      {"[Image]\nwidth=-4\nheight=0\n", -4, 0},
  };
  for (const Case& c : cases) {
    const Template t = FromText(c.text);
    EXPECT_EQ(t.Width, c.width) << c.text;
    EXPECT_EQ(t.Height, c.height) << c.text;
  }
}

TEST(ReadTemplate, LayerKeysAndDefaults) {
  const Template t = FromText(
      "[Layer1]\ntype=normal\nsource=front\nA.X=0x1F\nA.Y=$1F\nB.X=12.5\nB.Y=-3\nC.X=100\nC.Y=200\n"
      "d.x=7\nD.Y=8\n[Layer2]\n");
  ASSERT_EQ(t.Layers.size(), 2u);
  const TemplateLayer& a = t.Layers[0];
  EXPECT_EQ(a.Type, "normal");
  EXPECT_EQ(a.Source, "front");
  EXPECT_EQ(a.Slot(), 2);
  EXPECT_EQ(a.A, (TemplatePoint{31, 31}));
  EXPECT_EQ(a.B, (TemplatePoint{0, -3}));  // 12.5 is not an integer: the default 0
  EXPECT_EQ(a.C, (TemplatePoint{100, 200}));
  EXPECT_EQ(a.D, (TemplatePoint{7, 8}));
  const TemplateLayer& b = t.Layers[1];
  EXPECT_EQ(b.Type, "unknown");
  EXPECT_EQ(b.Source, "unknown");
  EXPECT_EQ(b.Kind(), LayerType::Other);
  EXPECT_EQ(b.Slot(), -1);
  EXPECT_EQ(b.A, TemplatePoint{});
  EXPECT_EQ(b.D, TemplatePoint{});
}

TEST(ReadTemplate, ShadeAndHighlightWithEqualCornersStayInFileOrder) {
  const Template t =
      FromText("[Layer1]\ntype=shade\nsource=left\nA.X=1\n[Layer2]\ntype=highlight\nsource=left\nA.X=1\n");
  ASSERT_EQ(t.Layers.size(), 2u);
  EXPECT_EQ(t.Layers[0].Kind(), LayerType::Shade);
  EXPECT_EQ(t.Layers[1].Kind(), LayerType::Highlight);
  EXPECT_EQ(t.Layers[0].A, t.Layers[1].A);
}

TEST(ReadTemplate, WindowsFileOnDiskReadsLikeLinuxFile) {
  const auto dir = std::filesystem::temp_directory_path() / "mirelane_template_test";
  std::filesystem::create_directories(dir);
  const std::string body =
      "[Image]\nwidth=400\n\n; comment\n[Layer1]\ntype=customfile\nsource=boxes\\front.png\n"
      "A.X=$1F\n[Layer2]\ntype = customcolor \nsource='clSkyBlue'\n";
  std::string crlf = "\xEF\xBB\xBF";
  for (char c : body) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  {
    std::ofstream(dir / "unix.ini", std::ios::binary) << body;
    std::ofstream(dir / "windows.ini", std::ios::binary) << crlf;
  }
  const Template u = ReadTemplate(dir / "unix.ini"), w = ReadTemplate(dir / "windows.ini");
  std::filesystem::remove_all(dir);
  ASSERT_EQ(w.Layers.size(), 2u);
  ASSERT_EQ(u.Layers.size(), 2u);
  EXPECT_EQ(w.Width, 400);
  EXPECT_EQ(w.Height, 600);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(u.Layers[i].Type, w.Layers[i].Type);
    EXPECT_EQ(u.Layers[i].Source, w.Layers[i].Source);
    EXPECT_EQ(u.Layers[i].A, w.Layers[i].A);
  }
  EXPECT_EQ(w.Layers[0].Source, "boxes\\front.png");
  EXPECT_EQ(w.Layers[0].A.X, 31);
  EXPECT_EQ(w.Layers[1].Kind(), LayerType::CustomColor);
  EXPECT_EQ(w.Layers[1].Color(), 0xF0CAA6);
  EXPECT_EQ(CustomPicturePath("/opt/mirelane/custom", w.Layers[0].Source),
            std::filesystem::path("/opt/mirelane/custom/boxes/front.png"));
}

// The typed scene is read once from the text: named after the file, every layer's kind, group and
// source resolved, the corners and the texts that messages quote kept.
TEST(ReadScene, TypesEveryLayerOfTheFileOnce) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "mirelane_read_scene";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "01 Box.ini") << "[Image]\nwidth=400\nheight=300\n"
                                       "[Layer1]\ntype=shadow\nA.X=5\nD.Y=-7\n"
                                       "[Layer2]\ntype=discreflection\nsource=disc2\n"
                                       "[Layer3]\ntype=blurhighlight\nsource=righttop\n"
                                       "[Layer4]\ntype=customcolor\nsource=clMoneyGreen\n"
                                       "[Layer5]\ntype=customcolorreflection\nsource=rose\n"
                                       "[Layer6]\ntype=customfile\nsource=cases\\tray.png\n"
                                       "[Layer7]\ntype=Shade\nsource=left\n";
  const Scene scene = ReadScene(dir / "01 Box.ini");
  std::filesystem::remove_all(dir);
  EXPECT_EQ(scene.Name, "01 Box");
  EXPECT_EQ(scene.Width, 400);
  EXPECT_EQ(scene.Height, 300);
  struct Expected {
    LayerType kind;
    LayerGroup group;
    SourceIndex slot;
    ShadeDirection direction;
    std::optional<TColor> color;
    const char* text;
  };
  constexpr auto kBottom = ShadeDirection::Bottom;
  const Expected expected[] = {
      {LayerType::Shadow, LayerGroup::Shadow, -1, kBottom, {}, "unknown"},
      {LayerType::DiscReflection, LayerGroup::Reflection, 9, kBottom, {}, "disc2"},
      {LayerType::BlurHighlight, LayerGroup::Reflection, -1, ShadeDirection::RightTop, {}, "righttop"},
      {LayerType::CustomColor, LayerGroup::None, -1, kBottom, 0xC0DCC0, "clMoneyGreen"},
      {LayerType::CustomColorReflection, LayerGroup::Reflection, -1, kBottom, {}, "rose"},
      {LayerType::CustomFile, LayerGroup::None, -1, kBottom, {}, "cases\\tray.png"},
      {LayerType::Other, LayerGroup::None, -1, kBottom, {}, "left"},
  };
  ASSERT_EQ(scene.Layers.size(), std::size(expected));
  for (size_t i = 0; i < scene.Layers.size(); ++i) {
    SCOPED_TRACE(i + 1);
    const LayerPlan& layer = scene.Layers[i];
    EXPECT_EQ(layer.Kind, expected[i].kind);
    EXPECT_EQ(layer.Group(), expected[i].group);
    EXPECT_EQ(layer.Source.Slot, expected[i].slot);
    EXPECT_EQ(layer.Source.Direction, expected[i].direction);
    EXPECT_EQ(layer.Source.Color, expected[i].color);
    EXPECT_EQ(layer.Source.Text, expected[i].text);
  }
  EXPECT_EQ(scene.Layers[0].A, (TemplatePoint{5, 0}));
  EXPECT_EQ(scene.Layers[0].D, (TemplatePoint{0, -7}));
  EXPECT_EQ(scene.Layers[6].Keyword, "Shade");
}

TEST(CheckTemplateCanvas, RefusesEmptyOrNegativeCanvas) {
  Template t;
  EXPECT_NO_THROW(CheckTemplateCanvas(t));
  t.Height = 0;
  EXPECT_THROW(CheckTemplateCanvas(t), Error);
  t.Height = 1;
  t.Width = -400;
  EXPECT_THROW(CheckTemplateCanvas(t), Error);
}

TEST(TemplateLayer, ColourOfOtherTextFails) {
  TemplateLayer layer;
  layer.Source = "rose";
  EXPECT_THROW(layer.Color(), Error);
}

}  // namespace
}  // namespace mirelane
