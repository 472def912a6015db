// Shared edges between face layers, found in template units, and the growth regions they give.
#include "compose/shared_edges.h"

#include <array>
#include <cstdint>
#include <cstdlib>

namespace mirelane {
namespace {

std::array<TemplatePoint, 4> Corners(const LayerPlan& layer) {
  return {layer.A, layer.B, layer.C, layer.D};
}

// Within half a template unit on both axes.
bool SameCorner(const TemplatePoint& a, const TemplatePoint& b) {
  return 2 * std::llabs(int64_t{a.X} - b.X) <= 1 && 2 * std::llabs(int64_t{a.Y} - b.Y) <= 1;
}

bool HasEdge(const std::array<TemplatePoint, 4>& corners, const TemplatePoint& p, const TemplatePoint& q) {
  for (int i = 0; i < 4; ++i) {
    const TemplatePoint& a = corners[i];
    const TemplatePoint& b = corners[(i + 1) % 4];
    if ((SameCorner(a, p) && SameCorner(b, q)) || (SameCorner(a, q) && SameCorner(b, p))) return true;
  }
  return false;
}

}  // namespace

bool IsFaceKind(LayerType type) {
  return FaceShapeOf(type) == FaceShape::Quad;
}

std::vector<std::vector<SharedEdge>> FindSharedEdges(const std::vector<LayerPlan>& layers) {
  std::vector<std::vector<SharedEdge>> shared(layers.size());
  for (size_t i = 0; i < layers.size(); ++i) {
    if (!IsFaceKind(layers[i].Kind)) continue;
    const std::array<TemplatePoint, 4> corners = Corners(layers[i]);
    for (int k = 0; k < 4; ++k) {
      const TemplatePoint& p = corners[k];
      const TemplatePoint& q = corners[(k + 1) % 4];
      if (SameCorner(p, q)) continue;  // a corner, not an edge
      for (size_t j = 0; j < layers.size(); ++j)
        if (j != i && IsFaceKind(layers[j].Kind) && HasEdge(Corners(layers[j]), p, q))
          shared[i].push_back({k, j});
    }
  }
  return shared;
}

std::vector<TFaceGrowth> SharedEdgeGrowth(const std::vector<LayerPlan>& layers,
                                          const std::function<TFaceQuad(const LayerPlan&)>& canvasQuad) {
  const std::vector<std::vector<SharedEdge>> shared = FindSharedEdges(layers);
  std::vector<TFaceGrowth> growth(layers.size());
  for (size_t i = 0; i < layers.size(); ++i) {
    if (shared[i].empty()) continue;
    const TFaceQuad quad = canvasQuad(layers[i]);
    auto add = [](TFixedPolygon& regions, TFixedContour region) {
      if (!region.empty()) regions.push_back(std::move(region));
    };
    for (const SharedEdge& edge : shared[i]) {
      TFixedContour beyond =
          EdgeStrip(quad, edge.Corner, canvasQuad(layers[edge.Other]), 0, kSharedEdgeGrowth);
      // A face on this face's side of the edge lies over it or under it: the edge is an outline of both.
      if (beyond.empty()) continue;
      add(growth[i].Along, EdgeStrip(quad, edge.Corner, quad, -kSharedEdgeGrowth, 0));
      if (edge.Other > i) add(growth[i].Beyond, std::move(beyond));
    }
  }
  return growth;
}

}  // namespace mirelane
