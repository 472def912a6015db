// The typed scene's vocabulary: type keywords with their source kind and group, direction keywords
// with their shade map, and one layer's texts resolved into its typed form.
#include "compose/scene.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "raster/shade_maps.h"

namespace mirelane {
namespace {

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
    EXPECT_EQ(GroupOf(c.type) == LayerGroup::Reflection, c.reflection);
    EXPECT_EQ(GroupOf(c.type) == LayerGroup::Shadow, c.shadow);
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

TEST(ResolveLayerPlan, EachKindReadsItsSourceAsWhatItHolds) {
  struct Case {
    const char* type;
    const char* source;
    LayerType kind;
    LayerGroup group;
    SourceIndex slot;
    ShadeDirection direction;
    std::optional<TColor> color;
  };
  constexpr auto kBottom = ShadeDirection::Bottom;
  const Case cases[] = {
      {"normal", "front", LayerType::Normal, LayerGroup::None, 2, kBottom, {}},
      {"reflection", "Disc2", LayerType::Reflection, LayerGroup::Reflection, 9, kBottom, {}},
      {"discreflection", "unknown", LayerType::DiscReflection, LayerGroup::Reflection, -1, kBottom, {}},
      {"roundrect", "left", LayerType::RoundRect, LayerGroup::None, -1, kBottom, {}},
      {"shadow", "FRONT", LayerType::Shadow, LayerGroup::Shadow, -1, kBottom, {}},
      {"blurshade", "lefttop", LayerType::BlurShade, LayerGroup::Reflection, -1, ShadeDirection::LeftTop, {}},
      {"roundrecthighlight", "Left", LayerType::RoundRectHighlight, LayerGroup::None, -1, kBottom, {}},
      {"shade", "FRONT", LayerType::Shade, LayerGroup::None, -1, kBottom, {}},
      {"customcolor", "clRed", LayerType::CustomColor, LayerGroup::None, -1, kBottom, 0x0000FF},
      {"customcolorreflection", "$00FF00", LayerType::CustomColorReflection, LayerGroup::Reflection, -1,
       kBottom, 0x00FF00},
      {"customcolor", "notacolour", LayerType::CustomColor, LayerGroup::None, -1, kBottom, {}},
      {"customfile", "cases\\tray.png", LayerType::CustomFile, LayerGroup::None, -1, kBottom, {}},
      {"Normal", "FRONT", LayerType::Other, LayerGroup::None, -1, kBottom, {}},
      {"customColor", "clRed", LayerType::Other, LayerGroup::None, -1, kBottom, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.source);
    const LayerPlan plan = ResolveLayerPlan(c.type, c.source);
    EXPECT_EQ(plan.Kind, c.kind);
    EXPECT_EQ(plan.Group(), c.group);
    EXPECT_EQ(plan.Source.Slot, c.slot);
    EXPECT_EQ(plan.Source.Direction, c.direction);
    EXPECT_EQ(plan.Source.Color, c.color);
    // The texts stay as written for the messages that quote them.
    EXPECT_EQ(plan.Keyword, c.type);
    EXPECT_EQ(plan.Source.Text, c.source);
  }
}

// What the designer writes reads back as what it meant, for every kind and every source it can hold.
TEST(SourceText, ReadsBackAsTheSameSourceForEveryKind) {
  std::vector<SceneSource> sources;
  for (SourceIndex slot = 1; slot <= kSourceCount; ++slot) sources.push_back(SceneSource{slot, {}, {}, {}});
  for (int d = 0; d <= static_cast<int>(ShadeDirection::Bottom); ++d)
    sources.push_back(SceneSource{-1, static_cast<ShadeDirection>(d), {}, {}});
  for (const char* text : {"clCream", "$202020", "16711680", "jewel case hinge.png"})
    sources.push_back(SceneSource{-1, ShadeDirection::Bottom, {}, text});
  for (int t = 0; t < static_cast<int>(LayerType::Other); ++t) {
    const auto type = static_cast<LayerType>(t);
    for (const SceneSource& source : sources) {
      const std::string text = SourceText(type, source);
      SCOPED_TRACE(std::string(LayerTypeKeyword(type)) + " " + text);
      const LayerPlan plan = ResolveLayerPlan(LayerTypeKeyword(type), text);
      EXPECT_EQ(plan.Kind, type);
      switch (SourceKindOf(type)) {
        case SourceKind::Slot:
          if (source.Slot >= 1) {
            EXPECT_EQ(plan.Source.Slot, source.Slot);
          }
          break;
        case SourceKind::Direction:
          EXPECT_EQ(plan.Source.Direction, source.Direction);
          break;
        case SourceKind::Color:
        case SourceKind::FileName:
          EXPECT_EQ(plan.Source.Text, source.Text);
          break;
        case SourceKind::Nothing:
          EXPECT_EQ(text, "none");
          break;
      }
    }
  }
}

}  // namespace
}  // namespace mirelane
