// Scene layers for tests: a layer typed from its keyword texts, placed on a quad of template units.
#pragma once

#include <string>

#include "compose/scene.h"

namespace mirelane::testing {

struct Quad {
  int ax, ay, bx, by, cx, cy, dx, dy;
};

inline LayerPlan Layer(const std::string& type, const std::string& source, const Quad& q) {
  LayerPlan layer = ResolveLayerPlan(type, source);
  layer.A = {q.ax, q.ay};
  layer.B = {q.bx, q.by};
  layer.C = {q.cx, q.cy};
  layer.D = {q.dx, q.dy};
  return layer;
}

}  // namespace mirelane::testing
