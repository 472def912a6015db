// What a template layer is: its kind, read once from the template's type keyword, and the group
// that the window's show toggles switch.
#pragma once

#include <string_view>

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

// Whether a layer draws a face of the object: filling its quad (a picture or colour laid on it), or
// shaped within it (a rounded panel, a disc).
enum class FaceShape { None, Quad, Rounded };
FaceShape FaceShapeOf(LayerType type);

// The layers each show toggle switches together.
enum class LayerGroup { None, Reflection, Shadow };
LayerGroup GroupOf(LayerType type);

}  // namespace mirelane
