// The shot designer's shapes: one row per shape with its parts, shadow caster, names and usual
// proportions, and the proportions taken from the artwork.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "picture/picture_reader.h"
#include "raster/error.h"
#include "templates/shot_geometry.h"

namespace mirelane {

namespace shot_geometry {

Slots SlotsOf(bool second) {
  return second ? Slots{SourceIndexOf("FRONT2"), SourceIndexOf("SIDE2"), SourceIndexOf("TOP2"),
                        SourceIndexOf("DISC2")}
                : Slots{SourceIndexOf("FRONT"), SourceIndexOf("SIDE"), SourceIndexOf("TOP"),
                        SourceIndexOf("DISC")};
}

namespace {

// An axis-parallel block from x0..x1, y0..y1, z0..z1 (z1 the front).
struct Block {
  double x0, x1, y0, y1, z0, z1;
  Face Front() const { return Quad({x0, y1, z1}, {x1, y1, z1}, {x1, y0, z1}, {x0, y0, z1}); }
  Face Right() const { return Quad({x1, y1, z1}, {x1, y1, z0}, {x1, y0, z0}, {x1, y0, z1}); }
  Face Left() const { return Quad({x0, y1, z0}, {x0, y1, z1}, {x0, y0, z1}, {x0, y0, z0}); }
  Face Top() const { return Quad({x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1}); }
};

// Filled from a slot (the slot fills), or with a colour or a custom picture named by text.
Face Filled(Face face, Fill fill, SourceIndex slot, bool reflects = true) {
  face.fill = fill;
  face.source.Slot = slot;
  face.reflects = reflects;
  return face;
}
Face Filled(Face face, Fill fill, const char* text, bool reflects = true) {
  face.fill = fill;
  face.source.Text = text;
  face.reflects = reflects;
  return face;
}

// A strip of a face from share a to share b of its width (A..B), for overlays.
Face Strip(const Face& face, double a, double b) {
  auto at = [&](Vec3 p, Vec3 q, double t) { return p + (q - p) * t; };
  Face strip = face;
  strip.c = {at(face.c[0], face.c[1], a), at(face.c[0], face.c[1], b), at(face.c[3], face.c[2], b),
             at(face.c[3], face.c[2], a)};
  return strip;
}

constexpr const char* kPageColor = "clCream";
constexpr const char* kCasePlastic = "$202020";
constexpr const char* kClearPlastic = "clSilver";
constexpr const char* kHingePicture = "jewel case hinge.png";
constexpr const char* kSleevePicture = "glare.png";

std::vector<Part> BoxParts(const ShotObject& o, const Slots& slots) {
  const ShotProportions& s = o.Size;
  const Block b{-s.Width / 2, s.Width / 2, 0, s.Height, -s.Depth / 2, s.Depth / 2};
  return {{Filled(b.Front(), Fill::Slot, slots.front), Filled(b.Right(), Fill::Slot, slots.side),
           Filled(b.Left(), Fill::Slot, slots.side), Filled(b.Top(), Fill::Slot, slots.top)}};
}

Face Recessed(Face face) {
  face.recessed = true;
  return face;
}

// A hardcover: two boards and the spine around a page block that they overhang a little. A paperback:
// the pages flush with the cover, which wraps round the spine.
std::vector<Part> BookParts(const ShotObject& o, const Slots& slots) {
  const ShotProportions& s = o.Size;
  const double w = s.Width / 2, d = s.Depth / 2, h = s.Height;
  if (o.SoftCover) {
    const Block b{-w, w, 0, h, -d, d};
    return {{Filled(b.Front(), Fill::Slot, slots.front), Filled(b.Left(), Fill::Slot, slots.side),
             Filled(b.Right(), Fill::Color, kPageColor), Filled(b.Top(), Fill::Color, kPageColor)}};
  }
  const double board = std::min(0.12 * s.Depth, 0.03 * std::min(s.Width, s.Height));
  const double overhang = board;
  const Block back{-w, w, 0, h, -d, -d + board};
  const Block pages{-w + board, w - overhang, overhang, h - overhang, -d + board, d - board};
  const Block spine{-w, -w + board, 0, h, -d, d};
  const Block front{-w, w, 0, h, d - board, d};
  return {
      {Filled(back.Right(), Fill::Slot, slots.front), Filled(back.Top(), Fill::Slot, slots.front)},
      {Recessed(Filled(pages.Right(), Fill::Color, kPageColor)),
       Recessed(Filled(pages.Top(), Fill::Color, kPageColor))},
      {Filled(spine.Left(), Fill::Slot, slots.side), Filled(spine.Top(), Fill::Slot, slots.side)},
      {Filled(front.Front(), Fill::Slot, slots.front), Filled(front.Right(), Fill::Slot, slots.front),
       Filled(front.Top(), Fill::Slot, slots.front)},
  };
}

// A DVD case: the cover under the clear sleeve's sheen, the spine on the left, dark plastic elsewhere.
std::vector<Part> DvdCaseParts(const ShotObject& o, const Slots& slots) {
  const ShotProportions& s = o.Size;
  const Block b{-s.Width / 2, s.Width / 2, 0, s.Height, -s.Depth / 2, s.Depth / 2};
  const Face front = b.Front();
  return {{Filled(front, Fill::Slot, slots.front), Filled(front, Fill::File, kSleevePicture, false),
           Filled(b.Left(), Fill::Slot, slots.side), Filled(b.Right(), Fill::Color, kCasePlastic),
           Filled(b.Top(), Fill::Color, kCasePlastic)}};
}

// A CD jewel case: the booklet behind the lid with its hinge along the left, the inlay's spines on
// both sides, clear plastic on top.
std::vector<Part> JewelCaseParts(const ShotObject& o, const Slots& slots) {
  const ShotProportions& s = o.Size;
  const Block b{-s.Width / 2, s.Width / 2, 0, s.Height, -s.Depth / 2, s.Depth / 2};
  const Face front = b.Front();
  return {{Filled(front, Fill::Slot, slots.front),
           Filled(Strip(front, 0, 0.075), Fill::File, kHingePicture, false),
           Filled(b.Left(), Fill::Slot, slots.side), Filled(b.Right(), Fill::Slot, slots.side),
           Filled(b.Top(), Fill::Color, kClearPlastic)}};
}

// A flat width x height face: upright facing the front, or lying face up at height y with its
// picture's top edge at the back.
Face FlatSquare(double width, double height, bool lying, double y) {
  const double w = width / 2;
  if (lying) {
    const double d = height / 2;
    return Quad({-w, y, -d}, {w, y, -d}, {w, y, d}, {-w, y, d});
  }
  return Quad({-w, y + height, 0}, {w, y + height, 0}, {w, y, 0}, {-w, y, 0});
}

// The disc picture keeps a border inside its square: sinking a standing square by 2 % of its side
// lets the disc itself meet the floor.
constexpr double kDiscSink = 0.02;
constexpr double kLyingThickness = 0.015;

std::vector<Part> DiscParts(const ShotObject& o, const Slots& slots) {
  const bool lying = o.Lying;
  const double side = o.Size.Width;
  const double y = lying ? kLyingThickness * side : -kDiscSink * side;
  return {{Filled(FlatSquare(side, side, lying, y), Fill::Disc, slots.disc, !lying)}};
}

std::vector<Part> CardParts(const ShotObject& o, const Slots& slots) {
  const ShotProportions& s = o.Size;
  const bool lying = o.Lying;
  const double y = lying ? kLyingThickness * std::min(s.Width, s.Height) : 0;
  return {{Filled(FlatSquare(s.Width, s.Height, lying, y), Fill::Panel, slots.front, !lying)}};
}

// A standing block casts from its footprint, a disc from a smaller, rounder core, a card from a thin strip.
Caster BlockCaster(const ShotProportions& s) {
  return {-s.Width / 2, s.Width / 2, -s.Depth / 2, s.Depth / 2, s.Height};
}
Caster DiscCaster(const ShotProportions& s) {
  return {-0.3 * s.Width, 0.3 * s.Width, -0.04 * s.Width, 0.04 * s.Width, 0.8 * s.Width};
}
Caster CardCaster(const ShotProportions& s) {
  return {-s.Width / 2, s.Width / 2, -0.01 * s.Width, 0.01 * s.Width, s.Height};
}

// Everything the designer knows of a shape, one row each.
struct ShapeInfo {
  ShotShape shape;
  std::string_view keyword;  // on the command line
  std::string_view name;     // as people say it, in the window
  std::vector<Part> (*parts)(const ShotObject&, const Slots&);
  Caster (*caster)(const ShotProportions&);
  double aspect, depth;   // the usual width over height, and depth over width
  bool canLie;            // flat on the floor, picture upwards
  bool depthFromSide;     // the side picture's proportions give the depth
  bool fixedProportions;  // always the usual ones, whatever the artwork (a disc is round)
};

constexpr std::array<ShapeInfo, 6> kShapes = {{
    {ShotShape::Box, "box", "Box", &BoxParts, &BlockCaster, 0.78, 0.4, false, true, false},
    {ShotShape::Book, "book", "Book", &BookParts, &BlockCaster, 0.7, 0.2, false, true, false},
    {ShotShape::DvdCase, "dvd-case", "DVD case", &DvdCaseParts, &BlockCaster, 135.0 / 190, 14.0 / 135, false,
     true, false},
    {ShotShape::JewelCase, "jewel-case", "CD jewel case", &JewelCaseParts, &BlockCaster, 142.0 / 125,
     10.0 / 142, false, true, false},
    {ShotShape::Disc, "disc", "Disc", &DiscParts, &DiscCaster, 1, 0.012, true, false, true},
    {ShotShape::Card, "card", "Card", &CardParts, &CardCaster, 0.8, 0.01, true, false, false},
}};

const ShapeInfo& InfoOf(ShotShape shape) {
  for (const ShapeInfo& info : kShapes)
    if (info.shape == shape) return info;
  throw Error("Unknown shape");
}

}  // namespace

std::vector<Part> PartsOf(const ShotObject& object) {
  return InfoOf(object.Shape).parts(object, SlotsOf(object.SecondSlots));
}

// Flat objects cast as if raised a little, which leaves a soft contact shadow round their edge.
Caster CasterOf(const ShotObject& o) {
  const ShotProportions& s = o.Size;
  if (o.Lying) {
    const double shrink = o.Shape == ShotShape::Disc ? 0.6 : 0.95;
    return {-s.Width / 2 * shrink, s.Width / 2 * shrink, -s.Height / 2 * shrink, s.Height / 2 * shrink,
            0.06 * std::min(s.Width, s.Height)};
  }
  return InfoOf(o.Shape).caster(s);
}

}  // namespace shot_geometry

using namespace shot_geometry;

std::optional<ShotShape> ShotShapeOf(std::string_view keyword) {
  for (const ShapeInfo& info : kShapes)
    if (info.keyword == keyword) return info.shape;
  return std::nullopt;
}

std::string_view ShotShapeKeyword(ShotShape shape) {
  return InfoOf(shape).keyword;
}

std::string_view ShotShapeName(ShotShape shape) {
  return InfoOf(shape).name;
}

const std::vector<ShotShape>& AllShotShapes() {
  static const std::vector<ShotShape> kAll = [] {
    std::vector<ShotShape> all;
    for (const ShapeInfo& info : kShapes) all.push_back(info.shape);
    return all;
  }();
  return kAll;
}

bool ShapeCanLie(ShotShape shape) {
  return InfoOf(shape).canLie;
}

bool ShapeTakesArtworkProportions(ShotShape shape) {
  return !InfoOf(shape).fixedProportions;
}

bool ProportionsAllowed(const ShotProportions& p) {
  for (double v : {p.Width, p.Height, p.Depth})
    if (!std::isfinite(v) || v <= 0) return false;
  return std::max({p.Width, p.Height, p.Depth}) <= 1000 * std::min({p.Width, p.Height, p.Depth});
}

void CheckShotProportions(const ShotProportions& p) {
  for (double v : {p.Width, p.Height, p.Depth}) {
    if (!std::isfinite(v) || v <= 0)
      throw Error("Width, height and depth must be positive numbers, not " + std::to_string(v));
  }
  if (!ProportionsAllowed(p)) throw Error("Width, height and depth may differ at most a thousandfold");
}

ShotProportions ProportionsFromArtwork(ShotShape shape, std::optional<ArtworkSize> front,
                                       std::optional<ArtworkSize> side) {
  const ShapeInfo& info = InfoOf(shape);
  if (info.fixedProportions) front = side = std::nullopt;
  if (!info.depthFromSide) side = std::nullopt;
  const bool hasFront = front && front->Width > 0 && front->Height > 0;
  const bool hasSide = side && side->Width > 0 && side->Height > 0;
  ShotProportions p;
  p.Height = hasFront ? front->Height : 1;
  p.Width = hasFront ? front->Width : info.aspect;
  p.Depth = hasSide ? static_cast<double>(side->Width) * p.Height / side->Height : info.depth * p.Width;
  return p;
}

ShotProportions ProportionsFromSlots(ShotShape shape, const LayerSources& sources, bool secondSlots) {
  return ProportionsFromSlots(
      shape, sources,
      [](const std::string& file) {
        const TDecodedPicture picture = ReadPicture(file);
        return ArtworkSize{picture.Width, picture.Height};
      },
      secondSlots);
}

ShotProportions ProportionsFromSlots(ShotShape shape, const LayerSources& sources,
                                     const ArtworkSizeOf& sizeOfFile, bool secondSlots) {
  auto sizeOf = [&](SourceIndex index) -> std::optional<ArtworkSize> {
    const LayerSource& slot = sources[index];
    if (slot.UseColor || slot.PicturePath.empty()) return std::nullopt;
    return sizeOfFile(slot.PicturePath);
  };
  const ShapeInfo& info = InfoOf(shape);
  if (info.fixedProportions) return ProportionsFromArtwork(shape, std::nullopt, std::nullopt);
  const Slots slots = SlotsOf(secondSlots);
  const std::optional<ArtworkSize> front = sizeOf(slots.front);
  const std::optional<ArtworkSize> side = info.depthFromSide ? sizeOf(slots.side) : std::nullopt;
  return ProportionsFromArtwork(shape, front, side);
}

}  // namespace mirelane
