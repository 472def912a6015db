// The template vocabulary: type keywords with what their source holds and their group, direction
// keywords with their shade map, and resolving one layer's texts into its typed form.
#include "compose/scene.h"

#include <array>

#include "compose/slot_pictures.h"
#include "raster/color_names.h"
#include "raster/shade_maps.h"

namespace mirelane {

namespace {

struct TypeInfo {
  std::string_view keyword;
  LayerType type;
  SourceKind source;
  LayerGroup group;
  FaceShape face;
};

constexpr auto kQuad = FaceShape::Quad;
constexpr auto kRounded = FaceShape::Rounded;
constexpr auto kNoFace = FaceShape::None;

constexpr std::array<TypeInfo, 15> kTypes = {{
    {"normal", LayerType::Normal, SourceKind::Slot, LayerGroup::None, kQuad},
    {"reflection", LayerType::Reflection, SourceKind::Slot, LayerGroup::Reflection, kNoFace},
    {"roundrect", LayerType::RoundRect, SourceKind::Slot, LayerGroup::None, kRounded},
    {"disc", LayerType::Disc, SourceKind::Slot, LayerGroup::None, kRounded},
    {"discreflection", LayerType::DiscReflection, SourceKind::Slot, LayerGroup::Reflection, kNoFace},
    {"shadow", LayerType::Shadow, SourceKind::Nothing, LayerGroup::Shadow, kNoFace},
    {"shade", LayerType::Shade, SourceKind::Direction, LayerGroup::None, kNoFace},
    {"highlight", LayerType::Highlight, SourceKind::Direction, LayerGroup::None, kNoFace},
    {"blurshade", LayerType::BlurShade, SourceKind::Direction, LayerGroup::Reflection, kNoFace},
    {"blurhighlight", LayerType::BlurHighlight, SourceKind::Direction, LayerGroup::Reflection, kNoFace},
    {"roundrectshade", LayerType::RoundRectShade, SourceKind::Direction, LayerGroup::None, kNoFace},
    {"roundrecthighlight", LayerType::RoundRectHighlight, SourceKind::Direction, LayerGroup::None, kNoFace},
    {"customfile", LayerType::CustomFile, SourceKind::FileName, LayerGroup::None, kQuad},
    {"customcolor", LayerType::CustomColor, SourceKind::Color, LayerGroup::None, kQuad},
    {"customcolorreflection", LayerType::CustomColorReflection, SourceKind::Color, LayerGroup::Reflection,
     kNoFace},
}};

struct DirectionInfo {
  std::string_view keyword;
  ShadeDirection direction;
  ShadeMapChoice map;
};

constexpr std::array<DirectionInfo, 8> kDirections = {{
    {"leftdown", ShadeDirection::LeftDown, {kShadeMapCorner, ShadeTurn::None}},
    {"lefttop", ShadeDirection::LeftTop, {kShadeMapCorner, ShadeTurn::Quarter}},
    {"righttop", ShadeDirection::RightTop, {kShadeMapCorner, ShadeTurn::Half}},
    {"rightdown", ShadeDirection::RightDown, {kShadeMapCorner, ShadeTurn::ThreeQuarters}},
    {"rightlefttopdown", ShadeDirection::RightLeftTopDown, {kShadeMapUniform, ShadeTurn::None}},
    {"left", ShadeDirection::Left, {kShadeMapSide, ShadeTurn::Quarter}},
    {"top", ShadeDirection::Top, {kShadeMapSide, ShadeTurn::Half}},
    {"right", ShadeDirection::Right, {kShadeMapSide, ShadeTurn::ThreeQuarters}},
}};
constexpr ShadeMapChoice kBottomShade = {kShadeMapSide, ShadeTurn::None};

const TypeInfo* FindType(LayerType type) {
  for (const TypeInfo& info : kTypes)
    if (info.type == type) return &info;
  return nullptr;
}

}  // namespace

LayerType LayerTypeOf(std::string_view keyword) {
  for (const TypeInfo& info : kTypes)
    if (info.keyword == keyword) return info.type;
  return LayerType::Other;
}

std::string_view LayerTypeKeyword(LayerType type) {
  const TypeInfo* info = FindType(type);
  return info != nullptr ? info->keyword : std::string_view{};
}

SourceKind SourceKindOf(LayerType type) {
  const TypeInfo* info = FindType(type);
  return info != nullptr ? info->source : SourceKind::Nothing;
}

LayerGroup GroupOf(LayerType type) {
  const TypeInfo* info = FindType(type);
  return info != nullptr ? info->group : LayerGroup::None;
}

FaceShape FaceShapeOf(LayerType type) {
  const TypeInfo* info = FindType(type);
  return info != nullptr ? info->face : FaceShape::None;
}

std::string_view ShadeDirectionKeyword(ShadeDirection direction) {
  for (const DirectionInfo& info : kDirections)
    if (info.direction == direction) return info.keyword;
  return "down";
}

std::string SourceText(LayerType type, const SceneSource& source) {
  switch (SourceKindOf(type)) {
    case SourceKind::Slot:
      return std::string(SourceKeyword(source.Slot));
    case SourceKind::Direction:
      return std::string(ShadeDirectionKeyword(source.Direction));
    case SourceKind::Color:
    case SourceKind::FileName:
      return source.Text;
    case SourceKind::Nothing:
      break;
  }
  return "none";
}

ShadeDirection ShadeDirectionOf(std::string_view keyword) {
  for (const DirectionInfo& info : kDirections)
    if (info.keyword == keyword) return info.direction;
  return ShadeDirection::Bottom;
}

ShadeMapChoice ShadeMapFor(ShadeDirection direction) {
  for (const DirectionInfo& info : kDirections)
    if (info.direction == direction) return info.map;
  return kBottomShade;
}

std::vector<std::string> LeftOutLayers(const Scene& scene) {
  std::vector<std::string> warnings;
  for (size_t i = 0; i < scene.Layers.size(); ++i) {
    const LayerPlan& layer = scene.Layers[i];
    if (layer.Kind != LayerType::Other) continue;
    warnings.push_back(LayerContext(i + 1, layer.Keyword, scene.Name) + ": the type \"" + layer.Keyword +
                       "\" is not one this program draws; the layer is left out");
  }
  return warnings;
}

LayerPlan ResolveLayerPlan(std::string_view typeKeyword, std::string_view sourceText) {
  LayerPlan plan;
  plan.Kind = LayerTypeOf(typeKeyword);
  plan.Keyword = typeKeyword;
  plan.Source.Text = sourceText;
  switch (SourceKindOf(plan.Kind)) {
    case SourceKind::Slot:
      plan.Source.Slot = SourceIndexOf(sourceText);
      break;
    case SourceKind::Direction:
      plan.Source.Direction = ShadeDirectionOf(sourceText);
      break;
    case SourceKind::Color:
      // A text that names no colour fails only when its layer is built, after the layers below it.
      plan.Source.Color = ColorOfText(sourceText);
      break;
    case SourceKind::FileName:
    case SourceKind::Nothing:
      break;
  }
  return plan;
}

}  // namespace mirelane
