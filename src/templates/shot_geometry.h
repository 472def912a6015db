// The shot designer's shapes as geometry: points, the faces of a shape's convex parts and what each
// face shows, and the floor footprint that casts its shadow. Shared by shot_shapes.cpp, which builds
// them, and shot_designer.cpp, which films them.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "compose/scene.h"
#include "templates/shot_designer.h"

namespace mirelane::shot_geometry {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double s) {
  return {a.x * s, a.y * s, a.z * s};
}
inline double Dot(Vec3 a, Vec3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(Vec3 a) {
  return std::sqrt(Dot(a, a));
}
inline Vec3 Normalized(Vec3 a) {
  const double l = Length(a);
  return l > 0 ? a * (1 / l) : a;
}
inline Vec3 Mirrored(Vec3 a) {
  return {a.x, -a.y, a.z};
}

struct Vec2 {
  double x = 0, y = 0;
};

// What a face shows.
enum class Fill {
  Slot,   // a slot's picture or colour: "normal"
  Color,  // a fixed colour: "customcolor"
  File,   // a picture of the custom folder laid over the face below it: "customfile", never shaded
  Disc,   // a disc face in the square: "disc"
  Panel,  // a rounded panel: "roundrect"
};

// A flat face; corners A, B, C, D take the picture's top-left, top-right, bottom-right and
// bottom-left corners, and run clockwise seen from outside.
struct Face {
  std::array<Vec3, 4> c;
  Fill fill = Fill::Slot;
  SceneSource source;
  bool reflects = true;
  bool recessed = false;  // lies back between other parts, so in their shade
};

inline Face Quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d) {
  Face f;
  f.c = {a, b, c, d};
  return f;
}

// A convex part; a shape's parts are listed back to front for any camera of the allowed ranges.
using Part = std::vector<Face>;

struct Slots {
  SourceIndex front, side, top, disc;
};
// The floor rectangle under an object that casts its shadow, and how high it reaches; a disc's is
// smaller and rounder, so that the blurred shadow has no square corners.
struct Caster {
  double x0, x1, z0, z1, height;
};

// The slots an object's faces read: FRONT, SIDE, TOP and DISC, or their second set.
Slots SlotsOf(bool second);
// The object's parts at the origin, in the units of its size.
std::vector<Part> PartsOf(const ShotObject& object);
Caster CasterOf(const ShotObject& object);

}  // namespace mirelane::shot_geometry
