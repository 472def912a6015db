// Turns a typed scene into layers: one layer per template layer, holding its box of the canvas,
// mapped in perspective, with the reflection, shadow, shading and highlight settings applied.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "compose/editing_state.h"
#include "compose/face_mapping.h"
#include "compose/layer_source.h"
#include "compose/layer_stack.h"
#include "compose/scene.h"
#include "compose/slot_pictures.h"

namespace mirelane {

// Template units to canvas pixels: a uniform scale, centred in the other direction.
struct CanvasMapping {
  double Scale = 1.0;
  int32_t OffX = 0;
  int32_t OffY = 0;

  // X * s rounded (halves to even, from the extended-precision product) plus the offset.
  int32_t MapX(int32_t x) const;
  int32_t MapY(int32_t y) const;
};

// Fails before any division when a canvas side is 0 or less.
CanvasMapping MakeCanvasMapping(int32_t canvasWidth, int32_t canvasHeight, int32_t templateWidth,
                                int32_t templateHeight);

// What a scene reads besides the template: the settings, the slots and the folder of the
// "customfile" pictures.
struct SceneInputs {
  const EditingState& State;
  const LayerSources& Sources;
  std::filesystem::path CustomFolder;
  // Cores to build layers on; 0 takes the machine's. The result never depends on it.
  unsigned Workers = 0;
  // The render's decoded slot pictures, shared with the background step; null: the scene decodes
  // each slot it uses once for itself.
  SlotPictures* Pictures = nullptr;
};

// Appends the scene's layers to the view's stack, each carrying its kind. On failure the layers built
// before the failing one stay.
void BuildScene(const Scene& scene, TImgView32& view, const SceneInputs& inputs);

// The picture a shade or highlight layer maps (one of the six shade and highlight kinds):
// the shade map in the shading or highlight colour, cut to the rounded panel for the roundrect kinds,
// turned by the direction, and flipped and faded for the blurred kinds. The face is a working
// surface; it is left cleared.
void PrepareShadeSource(LayerType type, ShadeDirection direction, const EditingState& state,
                        TBitmap32& source, TBitmap32& face);

// What a layer keeps of a width x height canvas: where its face can be drawn (FaceWindow, with the
// face's growth along shared edges), grown by as far as a blur of that radius carries (BlurReach),
// within the canvas. Outside it the layer drawn on the whole canvas and blurred there would be
// transparent (all four bytes 0); inside it the same.
TRect LayerBounds(const TFaceQuad& quad, bool enlarge, int32_t blurRadius, int32_t canvasWidth,
                  int32_t canvasHeight, const TFaceGrowth& growth = {});

// BlurBitmap's result, bit for bit, without running the row filter over rows whose pixels are all
// equal (which it leaves unchanged): many rows of a layer's box lie in its blur margin and are empty.
void BlurLayerSurface(TBitmap32& surface, int32_t radius);

// The file a "customfile" source names inside the custom folder ("\" is a folder separator, and one
// leading "\" is the custom folder's own); absolute names, drive letters, network names and names
// that climb out with ".." are refused, and so are names whose symbolic links lead outside the folder.
std::filesystem::path CustomPicturePath(const std::filesystem::path& customFolder, const std::string& source);

}  // namespace mirelane
