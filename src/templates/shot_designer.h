// The shot designer: objects of a few shapes standing on a mirror floor, seen by a camera that turns,
// tilts and takes some perspective, projected into a template of visible faces, floor reflections,
// a shadow and shading by a light from the upper left.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compose/layer_source.h"
#include "compose/scene.h"

namespace mirelane {

enum class ShotShape { Box, Book, DvdCase, JewelCase, Disc, Card };

// "box", "book", "dvd-case", "jewel-case", "disc", "card" (exact letter case); nothing otherwise.
std::optional<ShotShape> ShotShapeOf(std::string_view keyword);
std::string_view ShotShapeKeyword(ShotShape shape);
// The shape's name as people say it ("DVD case"), for the window.
std::string_view ShotShapeName(ShotShape shape);
// Every shape, in the order above.
const std::vector<ShotShape>& AllShotShapes();
// Disc and card can lie flat on the floor; the others only stand.
bool ShapeCanLie(ShotShape shape);
// False for a shape whose proportions are always its own (a disc is round).
bool ShapeTakesArtworkProportions(ShotShape shape);

// The camera's ranges, in degrees and in a 0..100 strength.
constexpr double kMinTurn = -80, kMaxTurn = 80;
constexpr double kMinTilt = 0, kMaxTilt = 60;
constexpr double kMinPerspective = 0, kMaxPerspective = 100;

struct ShotCamera {
  double Turn = 30;         // about the vertical axis: 0 front on, positive shows the right-hand side
  double Tilt = 15;         // 0 at eye level, more looks down onto the top
  double Perspective = 40;  // 0 nearly parallel projection, 100 strong
};

// Throws Error naming the value and its range when one lies outside it.
void CheckShotCamera(const ShotCamera& camera);

// Width, height and depth of an object, in any unit; all positive.
struct ShotProportions {
  double Width = 1;
  double Height = 1;
  double Depth = 1;
};

// All three positive and finite, and none more than 1000 times another.
bool ProportionsAllowed(const ShotProportions& proportions);
// Throws Error naming what is wrong unless ProportionsAllowed.
void CheckShotProportions(const ShotProportions& proportions);

// A picture's size in pixels.
struct ArtworkSize {
  int32_t Width = 0;
  int32_t Height = 0;
};

// The shape's proportions in those of the artwork, so that nothing is stretched: the front picture
// gives width and height, the side picture's width scaled to the front's height gives the depth.
// Without a front picture the shape's usual proportions stand; without a side picture its usual
// depth for that width. A disc is always round.
ShotProportions ProportionsFromArtwork(ShotShape shape, std::optional<ArtworkSize> front,
                                       std::optional<ArtworkSize> side);

// The same from the slots that feed the shape's front and side (FRONT and SIDE, or FRONT2 and SIDE2):
// pictures are read for their size; colours have none.
ShotProportions ProportionsFromSlots(ShotShape shape, const LayerSources& sources, bool secondSlots = false);
// The same with the pictures' sizes taken from sizeOfFile, for a caller that holds them decoded.
using ArtworkSizeOf = std::function<ArtworkSize(const std::string& file)>;
ShotProportions ProportionsFromSlots(ShotShape shape, const LayerSources& sources,
                                     const ArtworkSizeOf& sizeOfFile, bool secondSlots = false);

// One object of a shot, placed on the floor.
struct ShotObject {
  ShotShape Shape = ShotShape::Box;
  ShotProportions Size;
  bool SecondSlots = false;  // fed by FRONT2, SIDE2, TOP2 and DISC2
  bool Lying = false;        // disc and card only: flat on the floor, picture upwards
  bool SoftCover = false;    // book only: a paperback, its cover flush with the pages
  double X = 0;              // centre on the floor, in the units of Size (Z towards the front)
  double Z = 0;
  double Lift = 0;  // raised above the floor by this much
  bool Reflected = true;
  bool Shadowed = true;
};

constexpr int32_t kDesignCanvasWidth = 1600;
constexpr int32_t kDesignCanvasHeight = 1200;

struct ShotDesign {
  std::vector<ShotObject> Objects;
  ShotCamera Camera;
  int32_t CanvasWidth = kDesignCanvasWidth;  // the template's nominal canvas
  int32_t CanvasHeight = kDesignCanvasHeight;
  double Margin = 0.1;  // share of the canvas kept free on every side
};

// A one-object design of the shape in the proportions given.
ShotDesign SingleObjectDesign(ShotShape shape, const ShotProportions& size, const ShotCamera& camera,
                              bool lying = false);

// The nominal canvas for an output size: the output's proportions, its longer side kDesignCanvasWidth.
std::array<int32_t, 2> DesignCanvasFor(int32_t outputWidth, int32_t outputHeight);

struct DesignedPoint {
  int32_t X = 0;
  int32_t Y = 0;
};

// One layer of the designed template: its kind, its source as that kind reads it, and corners A, B,
// C, D on the nominal canvas (A takes the picture's top-left corner, B top-right, C bottom-right, D
// bottom-left). The template writer turns kind and source into keywords through the one table.
struct DesignedLayer {
  LayerType Type = LayerType::Other;
  SceneSource Source;
  std::array<DesignedPoint, 4> Corners;
};

struct DesignedTemplate {
  int32_t Width = kDesignCanvasWidth;
  int32_t Height = kDesignCanvasHeight;
  std::vector<DesignedLayer> Layers;  // drawn first to last
};

// Projects the objects through the camera. Throws Error for a camera or size out of range, a shape that
// cannot lie, or a shot with nothing to see.
DesignedTemplate DesignShot(const ShotDesign& design);

}  // namespace mirelane
