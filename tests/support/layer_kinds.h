// The kinds of a view's template layers, lowest first; layers of no template (the background) are left out.
#pragma once

#include <vector>

#include "compose/layer_stack.h"

namespace mirelane::testing {

inline std::vector<LayerType> SceneKinds(const TImgView32& view) {
  std::vector<LayerType> kinds;
  for (int i = 0; i < view.Layers().Count(); ++i)
    if (view.Layers()[i].Kind) kinds.push_back(*view.Layers()[i].Kind);
  return kinds;
}

}  // namespace mirelane::testing
