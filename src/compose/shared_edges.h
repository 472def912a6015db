// Which edges of a face the faces drawn after it lie against, and where the face is grown under them
// so that the two meet without the background showing through their anti-aliased edges.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "compose/face_mapping.h"
#include "compose/scene.h"

namespace mirelane {

// The kinds that are faces of the object: a picture or colour cut to its quadrilateral with a hard
// anti-aliased edge. Reflections, shadows, shading, discs and rounded panels are not.
bool IsFaceKind(LayerType type);

// An edge of a face from corner Corner to the next (0 is A to B, 3 is D back to A) that the face layer
// Other has too; Other is drawn later when it comes later in the template.
struct SharedEdge {
  int Corner = 0;
  size_t Other = 0;
  constexpr bool operator==(const SharedEdge&) const = default;
};

// For every layer, in template order, the edges it shares with other face layers: the same two corners,
// within half a template unit, in either order. Empty for layers that are no faces.
std::vector<std::vector<SharedEdge>> FindSharedEdges(const std::vector<LayerPlan>& layers);

// For every layer where it meets other faces (TFaceGrowth): along each shared edge with the other face
// on its far side a strip of its own, and beyond each such edge shared with a face drawn later that
// face's quad within kSharedEdgeGrowth. A face on the same side of the edge overlaps: nothing changes.
// canvasQuad gives a layer's corners on the canvas.
std::vector<TFaceGrowth> SharedEdgeGrowth(const std::vector<LayerPlan>& layers,
                                          const std::function<TFaceQuad(const LayerPlan&)>& canvasQuad);

}  // namespace mirelane
