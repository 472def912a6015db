// A template: the nominal canvas and its layers, each a keyword-typed quadrilateral, read from an
// INI template file; with the type, slot and direction keyword vocabulary.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "compose/layer_source.h"
#include "raster/color32.h"
#include "templates/ini_file.h"

namespace mirelane {

// The fifteen type keywords (exact letter case) and Other for every other value.
enum class LayerType {
  Normal,
  Reflection,
  RoundRect,
  Disc,
  DiscReflection,
  Shadow,
  Shade,
  Highlight,
  BlurShade,
  BlurHighlight,
  RoundRectShade,
  RoundRectHighlight,
  CustomFile,
  CustomColor,
  CustomColorReflection,
  Other,  // drawn as an entirely transparent layer
};

LayerType LayerTypeOf(std::string_view keyword);
// The keyword of a type; empty for Other.
std::string_view LayerTypeKeyword(LayerType type);

// What the "source" value of a layer type holds.
enum class SourceKind { Slot, Direction, FileName, Color, Nothing };
SourceKind SourceKindOf(LayerType type);

// The groups that the two show toggles switch; by recorded type keyword.
bool IsReflectionGroup(std::string_view typeKeyword);
bool IsShadowGroup(std::string_view typeKeyword);

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

struct TemplateLayer {
  std::string Section;  // the section it was read from
  std::string Type = "unknown";
  std::string Source = "unknown";
  // A takes the picture's top-left corner, B its top-right, C its bottom-right, D its bottom-left.
  TemplatePoint A, B, C, D;

  LayerType Kind() const { return LayerTypeOf(Type); }
  // The slot the source names, or -1.
  SourceIndex Slot() const { return SourceIndexOf(Source); }
  ShadeDirection Direction() const { return ShadeDirectionOf(Source); }
  // The custom colour; throws Error "'<source>' is not a valid integer value" for other text.
  TColor Color() const;
};

constexpr int32_t kDefaultTemplateWidth = 800;
constexpr int32_t kDefaultTemplateHeight = 600;

struct Template {
  int32_t Width = kDefaultTemplateWidth;  // the nominal canvas in template units
  int32_t Height = kDefaultTemplateHeight;
  std::vector<TemplateLayer> Layers;  // in file order, the first drawn lowest
};

// Sections whose name contains this (exact case, anywhere) are layers.
constexpr std::string_view kLayerSectionMark = "Layer";
constexpr std::string_view kImageSection = "Image";

// Reads a template file. A file that cannot be read, is empty, has no layer section or lists more
// sections than its section list holds (so that layers would be left out) fails with Error naming it.
Template ReadTemplate(const std::filesystem::path& file);
// The template a profile describes, as it stands: defaults for what is missing, no layers if none.
Template ReadTemplate(const IniFile& ini);

// A template canvas must be positive both ways before it can be scaled; throws Error otherwise.
void CheckTemplateCanvas(const Template& tmpl);

// The picture of a "customfile" layer: the source text appended to the folder "custom" beside the
// executable. Backslashes count as folder separators, and the text is appended, never taken as an
// absolute path of its own.
std::filesystem::path CustomFilePath(const std::filesystem::path& executableFolder, std::string_view source);

}  // namespace mirelane
