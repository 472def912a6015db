// The typed scene: what the template reader makes of a template's text, once, and all that
// BuildScene reads of it. Keywords are resolved here; only the texts that messages quote are kept.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compose/layer_kind.h"
#include "compose/layer_source.h"
#include "raster/color32.h"

namespace mirelane {

// Direction keywords of shade and highlight layers (exact letter case); Bottom for any other word.
enum class ShadeDirection {
  LeftDown,
  LeftTop,
  RightTop,
  RightDown,
  RightLeftTopDown,
  Left,
  Top,
  Right,
  Bottom
};
ShadeDirection ShadeDirectionOf(std::string_view keyword);
// The keyword written for a direction; Bottom, which every other word means, is written "down".
std::string_view ShadeDirectionKeyword(ShadeDirection direction);

// How a shade map is turned before it is mapped: Quarter is a quarter turn clockwise (Rotate90),
// ThreeQuarters a quarter turn counter-clockwise (Rotate270).
enum class ShadeTurn { None, Quarter, Half, ThreeQuarters };
struct ShadeMapChoice {
  int MapIndex;  // into ShadeBitmap32List
  ShadeTurn Turn;
};
ShadeMapChoice ShadeMapFor(ShadeDirection direction);

struct TemplatePoint {
  int32_t X = 0;
  int32_t Y = 0;
  constexpr bool operator==(const TemplatePoint&) const = default;
};

// A layer's source as what its kind reads it as; the fields of other kinds keep their defaults.
struct SceneSource {
  SourceIndex Slot = -1;  // the slot kinds; -1 when the text names no slot
  ShadeDirection Direction = ShadeDirection::Bottom;
  // The custom colour kinds; empty when the text is neither a colour name nor an integer.
  std::optional<TColor> Color;
  std::string Text;  // as written: a custom file's name, and what messages quote
};

struct LayerPlan {
  LayerType Kind = LayerType::Other;
  std::string Keyword;  // the type as written, for messages
  SceneSource Source;
  // A takes the picture's top-left corner, B its top-right, C its bottom-right and D its bottom-left,
  // in template units.
  TemplatePoint A, B, C, D;

  LayerGroup Group() const { return GroupOf(Kind); }
};

// A layer's type and source texts resolved by the template vocabulary: the one place that reads them.
LayerPlan ResolveLayerPlan(std::string_view typeKeyword, std::string_view sourceText);
// The source text a template holds for a layer of this type, the inverse of ResolveLayerPlan: a
// slot's or direction's keyword, a colour's or file's text, "none" for a type that reads none.
std::string SourceText(LayerType type, const SceneSource& source);

constexpr int32_t kDefaultTemplateWidth = 800;
constexpr int32_t kDefaultTemplateHeight = 600;

struct Scene {
  std::string Name;                       // the template's name, which every message uses
  int32_t Width = kDefaultTemplateWidth;  // the nominal canvas in template units
  int32_t Height = kDefaultTemplateHeight;
  std::vector<LayerPlan> Layers;  // in template order, the first drawn lowest
};

// A warning for each layer the scene leaves out because its type names nothing this program draws,
// naming the template, the layer and the type; the shot is drawn without them.
std::vector<std::string> LeftOutLayers(const Scene& scene);

}  // namespace mirelane
