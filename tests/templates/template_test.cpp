// Reading templates: canvas, layer sections, keys and defaults, and the keyword vocabulary.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "raster/error.h"
#include "raster/shade_maps.h"
#include "templates/color_names.h"
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
  EXPECT_EQ(CustomFilePath("/opt/mirelane", w.Layers[0].Source),
            std::filesystem::path("/opt/mirelane/custom/boxes/front.png"));
}

TEST(CustomFilePath, AppendsToTheCustomFolder) {
  struct Case {
    const char* source;
    const char* expected;
  };
  const Case cases[] = {
      {"disc.png", "/app/custom/disc.png"},
      {"sub\\disc.png", "/app/custom/sub/disc.png"},
      {"sub/deeper\\disc.png", "/app/custom/sub/deeper/disc.png"},
      {"\\disc.png", "/app/custom/disc.png"},         // not the root folder
      {"/etc/disc.png", "/app/custom/etc/disc.png"},  // not an absolute path
  };
  for (const Case& c : cases)
    EXPECT_EQ(CustomFilePath("/app", c.source), std::filesystem::path(c.expected)) << c.source;
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

TEST(LayerType, KeywordsInExactCase) {
  struct Case {
    const char* keyword;
    LayerType type;
    SourceKind source;
    bool reflection, shadow;
  };
  const Case cases[] = {
      {"normal", LayerType::Normal, SourceKind::Slot, false, false},
      {"reflection", LayerType::Reflection, SourceKind::Slot, true, false},
      {"roundrect", LayerType::RoundRect, SourceKind::Slot, false, false},
      {"disc", LayerType::Disc, SourceKind::Slot, false, false},
      {"discreflection", LayerType::DiscReflection, SourceKind::Slot, true, false},
      {"shadow", LayerType::Shadow, SourceKind::Nothing, false, true},
      {"shade", LayerType::Shade, SourceKind::Direction, false, false},
      {"highlight", LayerType::Highlight, SourceKind::Direction, false, false},
      {"blurshade", LayerType::BlurShade, SourceKind::Direction, true, false},
      {"blurhighlight", LayerType::BlurHighlight, SourceKind::Direction, true, false},
      {"roundrectshade", LayerType::RoundRectShade, SourceKind::Direction, false, false},
      {"roundrecthighlight", LayerType::RoundRectHighlight, SourceKind::Direction, false, false},
      {"customfile", LayerType::CustomFile, SourceKind::FileName, false, false},
      {"customcolor", LayerType::CustomColor, SourceKind::Color, false, false},
      {"customcolorreflection", LayerType::CustomColorReflection, SourceKind::Color, true, false},
      {"Normal", LayerType::Other, SourceKind::Nothing, false, false},
      {"SHADOW", LayerType::Other, SourceKind::Nothing, false, false},
      {"Reflection", LayerType::Other, SourceKind::Nothing, false, false},
      {"unknown", LayerType::Other, SourceKind::Nothing, false, false},
      {"", LayerType::Other, SourceKind::Nothing, false, false},
      {"normal ", LayerType::Other, SourceKind::Nothing, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    EXPECT_EQ(LayerTypeOf(c.keyword), c.type);
    EXPECT_EQ(SourceKindOf(c.type), c.source);
    EXPECT_EQ(IsReflectionGroup(c.keyword), c.reflection);
    EXPECT_EQ(IsShadowGroup(c.keyword), c.shadow);
    if (c.type != LayerType::Other) {
      EXPECT_EQ(LayerTypeKeyword(c.type), c.keyword);
    }
  }
  EXPECT_TRUE(LayerTypeKeyword(LayerType::Other).empty());
}

TEST(ShadeDirection, KeywordsPickMapAndTurn) {
  struct Case {
    const char* keyword;
    ShadeDirection direction;
    int map;
    ShadeTurn turn;
  };
  const Case cases[] = {
      {"leftdown", ShadeDirection::LeftDown, kShadeMapCorner, ShadeTurn::None},
      {"lefttop", ShadeDirection::LeftTop, kShadeMapCorner, ShadeTurn::Quarter},
      {"righttop", ShadeDirection::RightTop, kShadeMapCorner, ShadeTurn::Half},
      {"rightdown", ShadeDirection::RightDown, kShadeMapCorner, ShadeTurn::ThreeQuarters},
      {"rightlefttopdown", ShadeDirection::RightLeftTopDown, kShadeMapUniform, ShadeTurn::None},
      {"left", ShadeDirection::Left, kShadeMapSide, ShadeTurn::Quarter},
      {"top", ShadeDirection::Top, kShadeMapSide, ShadeTurn::Half},
      {"right", ShadeDirection::Right, kShadeMapSide, ShadeTurn::ThreeQuarters},
      {"down", ShadeDirection::Bottom, kShadeMapSide, ShadeTurn::None},
      {"bottom", ShadeDirection::Bottom, kShadeMapSide, ShadeTurn::None},
      {"Left", ShadeDirection::Bottom, kShadeMapSide, ShadeTurn::None},
      {"unknown", ShadeDirection::Bottom, kShadeMapSide, ShadeTurn::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    EXPECT_EQ(ShadeDirectionOf(c.keyword), c.direction);
    const ShadeMapChoice choice = ShadeMapFor(c.direction);
    EXPECT_EQ(choice.MapIndex, c.map);
    EXPECT_EQ(choice.Turn, c.turn);
  }
}

TEST(StringToColor, NamesWithoutRegardToCaseAndIntegers) {
  struct Case {
    const char* text;
    TColor expected;
  };
  const Case cases[] = {
      {"clBlack", 0x000000},
      {"clMaroon", 0x000080},
      {"clGreen", 0x008000},
      {"clOlive", 0x008080},
      {"clNavy", 0x800000},
      {"clPurple", 0x800080},
      {"clTeal", 0x808000},
      {"clGray", 0x808080},
      {"clSilver", 0xC0C0C0},
      {"clRed", 0x0000FF},
      {"clLime", 0x00FF00},
      {"clYellow", 0x00FFFF},
      {"clBlue", 0xFF0000},
      {"clFuchsia", 0xFF00FF},
      {"clAqua", 0xFFFF00},
      {"clWhite", 0xFFFFFF},
      {"clMoneyGreen", 0xC0DCC0},
      {"clSkyBlue", 0xF0CAA6},
      {"clCream", 0xF0FBFF},
      {"clMedGray", 0xA4A0A0},
      {"clNone", 0x1FFFFFFF},
      {"clDefault", 0x20000000},
      {"CLRED", 0x0000FF},
      {"clred", 0x0000FF},
      {"clScrollBar", static_cast<TColor>(0xFF000000u)},
      {"clInfoBk", static_cast<TColor>(0xFF000018u)},
      {"clHotLight", static_cast<TColor>(0xFF00001Au)},
      {"clMenuBar", static_cast<TColor>(0xFF00001Eu)},
      {"cl3ddkshadow", static_cast<TColor>(0xFF000015u)},
      {"255", 255},
      {"$FF", 255},
      {"0x00FF00", 0x00FF00},
      {"-16777201", -16777201},
  };
  for (const Case& c : cases) EXPECT_EQ(StringToColor(c.text), c.expected) << c.text;
}

TEST(StringToColor, ElementColoursResolveThroughTheSystemTable) {
  const char* const names[] = {"clScrollBar",
                               "clBackground",
                               "clActiveCaption",
                               "clInactiveCaption",
                               "clMenu",
                               "clWindow",
                               "clWindowFrame",
                               "clMenuText",
                               "clWindowText",
                               "clCaptionText",
                               "clActiveBorder",
                               "clInactiveBorder",
                               "clAppWorkSpace",
                               "clHighlight",
                               "clHighlightText",
                               "clBtnFace",
                               "clBtnShadow",
                               "clGrayText",
                               "clBtnText",
                               "clInactiveCaptionText",
                               "clBtnHighlight",
                               "cl3DDkShadow",
                               "cl3DLight",
                               "clInfoText",
                               "clInfoBk",
                               "clHotLight",
                               "clGradientActiveCaption",
                               "clGradientInactiveCaption",
                               "clMenuHighlight",
                               "clMenuBar"};
  int number = 0;
  for (const char* name : names) {
    if (number == 25) ++number;  // the numbering leaves out 25
    const TColor c = StringToColor(name);
    EXPECT_EQ(c, static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(number))) << name;
    EXPECT_EQ(ColorToColor32(c), ColorToColor32(SystemColor(number))) << name;
    ++number;
  }
  EXPECT_EQ(number, 31);
  EXPECT_EQ(ColorToColor32(StringToColor("clNone")), kColor32White);
  EXPECT_EQ(ColorToColor32(StringToColor("clDefault")), kColor32Black);
  EXPECT_EQ(ColorToColor32(StringToColor("clBtnFace")), ColorToColor32(SystemColor(15)));
}

TEST(StringToColor, OtherTextFailsWithTheIntegerMessage) {
  const char* const bad[] = {"clRose", "red", "", "12.5", "cl Red", "clRed ", "0xGG", "unknown"};
  for (const char* text : bad) {
    try {
      StringToColor(text);
      ADD_FAILURE() << "no error for '" << text << "'";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
    }
  }
  TemplateLayer layer;
  layer.Source = "rose";
  EXPECT_THROW(layer.Color(), Error);
}

}  // namespace
}  // namespace mirelane
