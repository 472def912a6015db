// The shot designer: an orbiting camera over the shapes' faces, the mirror floor, a light from the
// upper left of the picture, and the fit onto the template's canvas.
#include "templates/shot_designer.h"
#include "templates/shot_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <sstream>

#include "raster/error.h"

namespace mirelane {

using namespace shot_geometry;

namespace {

double Radians(double degrees) {
  return degrees * std::numbers::pi / 180;
}

// The camera orbits the scene's centre: turned about the vertical axis, raised by the tilt, at a
// distance that the perspective sets (infinite for 0: parallel projection).
class Camera {
 public:
  Camera(const ShotCamera& c, Vec3 target, double radius) : target_(target) {
    const double turn = Radians(c.Turn), tilt = Radians(c.Tilt);
    toEye_ = {std::sin(turn) * std::cos(tilt), std::sin(tilt), std::cos(turn) * std::cos(tilt)};
    right_ = {std::cos(turn), 0, -std::sin(turn)};
    up_ = Cross(toEye_, right_);
    // The strength is the tangent of half the view angle that the scene fills: up to 35 degrees.
    const double strength = std::tan(Radians(35.0 * c.Perspective / 100));
    distance_ = strength > 0 ? radius / strength + radius : std::numeric_limits<double>::infinity();
  }

  Vec2 Project(Vec3 p) const {
    const Vec3 r = p - target_;
    const double z = Dot(r, toEye_);
    const double f = std::isinf(distance_) ? 1 : distance_ / (distance_ - z);
    return {Dot(r, right_) * f, -Dot(r, up_) * f};
  }

  // Whether the outer side of a face with this normal at this point faces the camera.
  bool Sees(Vec3 point, Vec3 normal) const {
    const Vec3 view = std::isinf(distance_) ? toEye_ : Normalized(target_ + toEye_ * distance_ - point);
    return Dot(view, normal) > 1e-6;
  }

  double DepthOf(Vec3 p) const { return Dot(p - target_, toEye_); }

  // A direction given in the studio's terms (the picture's right, straight up, and level towards the
  // camera) in the scene's: a light that keeps its place beside the camera however far it tilts.
  Vec3 FromStudio(Vec3 v) const {
    const Vec3 level = Normalized(Vec3{toEye_.x, 0, toEye_.z});
    return right_ * v.x + Vec3{0, 1, 0} * v.y + level * v.z;
  }

 private:
  Vec3 target_, toEye_, right_, up_;
  double distance_;
};

// The light comes from above, from the left of the picture and from the camera's side, so that a
// front seen straight on is lit. The shadow falls from a steeper light, so that it stays short and close to
// the object: a long blurred shadow turns into a dark wedge.
constexpr Vec3 kLightInView = {-0.5, 0.6, 0.65};
constexpr Vec3 kShadowLightInView = {-0.22, 1.0, 0.3};
// Faces turned to the light at least this much get a highlight, faces turned away a shade.
constexpr double kHighlightFrom = 0.5;
constexpr double kShadeBelow = 0.0;

Vec3 NormalOf(const Face& f) {
  return Normalized(Cross(f.c[3] - f.c[0], f.c[1] - f.c[0]));
}

Vec3 CentreOf(const Face& f) {
  return (f.c[0] + f.c[1] + f.c[2] + f.c[3]) * 0.25;
}

// The side or corner that a 2-D direction in the face's picture points to (x to the right, y downwards).
ShadeDirection DirectionTowards(double x, double y) {
  using enum ShadeDirection;
  if (std::hypot(x, y) < 1e-3) return RightLeftTopDown;
  static constexpr ShadeDirection kSectors[8] = {Right, RightDown, Bottom, LeftDown,
                                                 Left,  LeftTop,   Top,    RightTop};
  double angle = std::atan2(y, x) / (std::numbers::pi / 4);
  int sector = static_cast<int>(std::lround(angle));
  sector = ((sector % 8) + 8) % 8;
  return kSectors[sector];
}

struct Shading {
  bool highlight = false, shade = false;
  ShadeDirection towardsLight = ShadeDirection::Bottom, awayFromLight = ShadeDirection::Bottom;
};

Shading ShadingOf(const Face& f, Vec3 light) {
  const Vec3 n = NormalOf(f);
  const double lambert = Dot(n, light);
  const Vec3 inPlane = light - n * lambert;
  const Vec3 u = Normalized(f.c[1] - f.c[0]), v = Normalized(f.c[3] - f.c[0]);
  const double lu = Dot(inPlane, u), lv = Dot(inPlane, v);
  Shading s;
  s.towardsLight = DirectionTowards(lu, lv);
  s.awayFromLight = DirectionTowards(-lu, -lv);
  // A glossy panel always catches a sheen of the light.
  s.highlight = lambert >= kHighlightFrom || f.fill == Fill::Panel;
  s.shade = lambert < kShadeBelow;
  return s;
}

struct PlacedObject {
  const ShotObject* object;
  std::vector<Part> parts;  // in scene coordinates
  double depth;             // of its centre towards the camera
};

Vec3 Place(Vec3 p, const ShotObject& o) {
  return {p.x + o.X, p.y + o.Lift, p.z + o.Z};
}

// Layers in scene coordinates before projection; fit decides how much of each counts.
enum class FitShare { Whole, NearFloor };
struct SceneLayer {
  LayerType type;
  SceneSource source;
  std::array<Vec3, 4> c;
  FitShare fit = FitShare::Whole;
};

SceneSource Towards(ShadeDirection direction) {
  SceneSource source;
  source.Direction = direction;
  return source;
}

LayerType ReflectionType(Fill fill) {
  switch (fill) {
    case Fill::Slot:
    case Fill::Panel:
      return LayerType::Reflection;
    case Fill::Color:
      return LayerType::CustomColorReflection;
    case Fill::Disc:
      return LayerType::DiscReflection;
    case Fill::File:
      break;
  }
  return LayerType::Other;
}

LayerType FaceType(Fill fill) {
  switch (fill) {
    case Fill::Slot:
      return LayerType::Normal;
    case Fill::Color:
      return LayerType::CustomColor;
    case Fill::File:
      return LayerType::CustomFile;
    case Fill::Disc:
      return LayerType::Disc;
    case Fill::Panel:
      return LayerType::RoundRect;
  }
  return LayerType::Other;
}

bool IsUpright(const Face& f) {
  return std::abs(NormalOf(f).y) < 1e-6;
}

// Shading layers over a face (or, for its reflection, the blurred kinds over the mirrored quad). A disc
// takes none: a gradient over its square would colour the corners outside the disc.
void AddShading(std::vector<SceneLayer>& out, const Face& face, const std::array<Vec3, 4>& quad, Vec3 light,
                bool reflection) {
  if (face.fill == Fill::Disc || face.fill == Fill::File) return;
  if (reflection && face.fill == Fill::Panel) return;  // the blurred kinds are not cut to the panel
  const Shading s = ShadingOf(face, light);
  // Upright faces take the panel kinds, whose falloff from the edge is steep and soft: the plain
  // gradients at full strength would wash out or blacken half of the artwork. A top keeps them.
  const bool soft = face.fill == Fill::Panel || IsUpright(face);
  const LayerType shade = reflection ? LayerType::BlurShade
                          : soft     ? LayerType::RoundRectShade
                                     : LayerType::Shade;
  const LayerType highlight = reflection ? LayerType::BlurHighlight
                              : soft     ? LayerType::RoundRectHighlight
                                         : LayerType::Highlight;
  const FitShare fit = reflection ? FitShare::NearFloor : FitShare::Whole;
  // A face between other parts darkens towards its top edge, where they overhang it.
  if (face.recessed && !reflection)
    out.push_back({LayerType::Shade, Towards(ShadeDirection::Top), quad, fit});
  if (s.shade) out.push_back({shade, Towards(s.awayFromLight), quad, fit});
  if (s.highlight) out.push_back({highlight, Towards(s.towardsLight), quad, fit});
}

// The mirror image of a face in the floor, as the quad of a reflection layer: the flipped picture's
// top edge (the face's bottom) lies nearest the floor.
std::array<Vec3, 4> ReflectionQuad(const Face& f) {
  return {Mirrored(f.c[3]), Mirrored(f.c[2]), Mirrored(f.c[1]), Mirrored(f.c[0])};
}

// The shadow on the floor: the caster's footprint swept away from the light by the shadow of its top.
// Of the footprint only the segment between its two outermost corners across the sweep is swept: the
// half before it lies under the object, and the far corner's small triangle beyond it is lost in the blur.
std::array<Vec3, 4> ShadowQuad(const ShotObject& o, Vec3 light) {
  const Caster k = CasterOf(o);
  const double lift = o.Lift + k.height;
  const Vec3 sweep = Vec3{-light.x, 0, -light.z} * (lift / std::max(light.y, 0.05));
  std::array<Vec3, 4> foot = {Vec3{k.x0, 0, k.z0}, Vec3{k.x1, 0, k.z0}, Vec3{k.x1, 0, k.z1},
                              Vec3{k.x0, 0, k.z1}};
  for (Vec3& p : foot) p = Place(p, o) - Vec3{0, o.Lift, 0};
  if (Length(sweep) < 1e-9) return foot;
  const Vec3 across = Normalized(Vec3{-sweep.z, 0, sweep.x});
  const auto [lo, hi] = std::minmax_element(foot.begin(), foot.end(),
                                            [&](Vec3 p, Vec3 q) { return Dot(p, across) < Dot(q, across); });
  const Vec3 a = *lo, b = *hi;
  return {a, b, b + sweep, a + sweep};
}

// The middle of the scene's bounding box, at which the camera looks, and half its diagonal.
Vec3 SceneCentre(const std::vector<PlacedObject>& placed, double& radius) {
  Vec3 lo{1e300, 0, 1e300}, hi{-1e300, -1e300, -1e300};
  for (const PlacedObject& p : placed)
    for (const Part& part : p.parts)
      for (const Face& face : part)
        for (const Vec3& c : face.c) {
          lo = {std::min(lo.x, c.x), std::min(lo.y, c.y), std::min(lo.z, c.z)};
          hi = {std::max(hi.x, c.x), std::max(hi.y, c.y), std::max(hi.z, c.z)};
        }
  radius = std::max(0.5 * Length(hi - lo), 1e-12);
  return (lo + hi) * 0.5;
}

int32_t RoundUnits(double v) {
  if (!(std::abs(v) < 1e9)) throw Error("The designed shot does not fit a template canvas");
  return static_cast<int32_t>(std::nearbyint(v));
}

}  // namespace

namespace {

void CheckRange(const char* what, double value, double lo, double hi, const char* unit) {
  if (std::isfinite(value) && value >= lo && value <= hi) return;
  std::ostringstream text;
  text << "The " << what << " must lie between " << lo << " and " << hi << unit << ", not " << value;
  throw Error(text.str());
}

}  // namespace

void CheckShotCamera(const ShotCamera& camera) {
  CheckRange("turn", camera.Turn, kMinTurn, kMaxTurn, " degrees");
  CheckRange("tilt", camera.Tilt, kMinTilt, kMaxTilt, " degrees");
  CheckRange("perspective", camera.Perspective, kMinPerspective, kMaxPerspective, "");
}

ShotDesign SingleObjectDesign(ShotShape shape, const ShotProportions& size, const ShotCamera& camera,
                              bool lying) {
  ShotDesign design;
  ShotObject object;
  object.Shape = shape;
  object.Size = size;
  object.Lying = lying;
  design.Objects.push_back(object);
  design.Camera = camera;
  return design;
}

std::array<int32_t, 2> DesignCanvasFor(int32_t outputWidth, int32_t outputHeight) {
  if (outputWidth <= 0 || outputHeight <= 0) return {kDesignCanvasWidth, kDesignCanvasHeight};
  if (outputWidth >= outputHeight)
    return {kDesignCanvasWidth,
            std::max(1, RoundUnits(static_cast<double>(kDesignCanvasWidth) * outputHeight / outputWidth))};
  return {std::max(1, RoundUnits(static_cast<double>(kDesignCanvasWidth) * outputWidth / outputHeight)),
          kDesignCanvasWidth};
}

DesignedTemplate DesignShot(const ShotDesign& design) {
  CheckShotCamera(design.Camera);
  if (design.Objects.empty()) throw Error("A designed shot needs at least one object");
  if (design.CanvasWidth <= 0 || design.CanvasHeight <= 0)
    throw Error("The template canvas must be at least 1 x 1 units");
  if (!(design.Margin >= 0 && design.Margin < 0.5)) throw Error("The margin must lie between 0 and 0.5");
  for (const ShotObject& o : design.Objects) {
    CheckShotProportions(o.Size);
    if (o.SoftCover && o.Shape != ShotShape::Book) throw Error("Only a book can have a soft cover");
    if (o.Lying && !ShapeCanLie(o.Shape))
      throw Error("A " + std::string(ShotShapeKeyword(o.Shape)) +
                  " cannot lie flat; only a disc or a card can");
  }

  std::vector<PlacedObject> placed;
  for (const ShotObject& o : design.Objects) {
    PlacedObject p{&o, PartsOf(o), 0};
    for (Part& part : p.parts)
      for (Face& face : part)
        for (Vec3& corner : face.c) corner = Place(corner, o);
    placed.push_back(std::move(p));
  }
  double radius = 1;
  const Vec3 centre = SceneCentre(placed, radius);
  const Camera camera(design.Camera, centre, radius);
  const Vec3 light = Normalized(camera.FromStudio(Normalized(kLightInView)));
  const Vec3 shadowLight = Normalized(camera.FromStudio(Normalized(kShadowLightInView)));
  // Objects are ordered by where they stand on the floor, not by their height: a disc raised out of
  // its case is still behind it.
  for (PlacedObject& p : placed) p.depth = camera.DepthOf({p.object->X, centre.y, p.object->Z});
  // Farther objects first; the scene's own order among equals.
  std::stable_sort(placed.begin(), placed.end(),
                   [](const PlacedObject& a, const PlacedObject& b) { return a.depth < b.depth; });

  std::vector<SceneLayer> layers;
  for (const PlacedObject& p : placed)
    if (p.object->Shadowed)
      layers.push_back(
          {LayerType::Shadow, SceneSource(), ShadowQuad(*p.object, shadowLight), FitShare::Whole});
  for (const PlacedObject& p : placed) {
    if (!p.object->Reflected) continue;
    for (const Part& part : p.parts)
      for (const Face& face : part) {
        if (!face.reflects || !IsUpright(face) || !camera.Sees(CentreOf(face), NormalOf(face))) continue;
        const std::array<Vec3, 4> quad = ReflectionQuad(face);
        layers.push_back({ReflectionType(face.fill), face.source, quad, FitShare::NearFloor});
        AddShading(layers, face, quad, light, true);
      }
  }
  for (const PlacedObject& p : placed)
    for (const Part& part : p.parts) {
      bool baseSeen = false;
      for (const Face& face : part) {
        const bool seen = camera.Sees(CentreOf(face), NormalOf(face));
        // An overlay shows exactly where the face it lies on shows.
        if (face.fill == Fill::File ? !baseSeen : !seen) continue;
        if (face.fill != Fill::File) baseSeen = seen;
        layers.push_back({FaceType(face.fill), face.source, face.c, FitShare::Whole});
        if (face.fill == Fill::File) continue;
        AddShading(layers, face, face.c, light, false);
      }
    }

  const bool anyFace = std::any_of(layers.begin(), layers.end(), [](const SceneLayer& l) {
    return FaceShapeOf(l.type) != FaceShape::None;
  });
  if (!anyFace)
    throw Error("Nothing of the shot faces the camera: a flat object seen at eye level is edge on");

  // Fit: everything but the reflections' far part, which fades out.
  std::vector<std::array<Vec2, 4>> projected;
  double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
  for (const SceneLayer& l : layers) {
    std::array<Vec2, 4> q;
    for (int i = 0; i < 4; ++i) q[i] = camera.Project(l.c[i]);
    projected.push_back(q);
    std::array<Vec2, 4> counted = q;
    if (l.fit == FitShare::NearFloor) {
      auto lerp = [](Vec2 a, Vec2 b, double t) { return Vec2{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; };
      counted[2] = lerp(q[1], q[2], 0.3);
      counted[3] = lerp(q[0], q[3], 0.3);
    }
    for (const Vec2& v : counted) {
      x0 = std::min(x0, v.x);
      x1 = std::max(x1, v.x);
      y0 = std::min(y0, v.y);
      y1 = std::max(y1, v.y);
    }
  }
  const double spanX = x1 - x0, spanY = y1 - y0;
  const double availX = design.CanvasWidth * (1 - 2 * design.Margin);
  const double availY = design.CanvasHeight * (1 - 2 * design.Margin);
  const double tiny = 1e-9 * radius;
  if (!(spanX > tiny || spanY > tiny)) throw Error("The designed shot shows nothing from this angle");
  const double scale = std::min(spanX > tiny ? availX / spanX : std::numeric_limits<double>::infinity(),
                                spanY > tiny ? availY / spanY : std::numeric_limits<double>::infinity());
  const double offX = design.CanvasWidth / 2.0 - (x0 + x1) / 2 * scale;
  const double offY = design.CanvasHeight / 2.0 - (y0 + y1) / 2 * scale;

  DesignedTemplate out;
  out.Width = design.CanvasWidth;
  out.Height = design.CanvasHeight;
  for (size_t i = 0; i < layers.size(); ++i) {
    DesignedLayer l{layers[i].type, layers[i].source, {}};
    for (int k = 0; k < 4; ++k)
      l.Corners[k] = {RoundUnits(projected[i][k].x * scale + offX),
                      RoundUnits(projected[i][k].y * scale + offY)};
    out.Layers.push_back(std::move(l));
  }
  return out;
}

}  // namespace mirelane
