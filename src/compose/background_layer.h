// The background step of a render: the BACKGROUND slot's colour fills the base, or its picture
// becomes the lowest layer stretched over the canvas.
#pragma once

#include "compose/editing_state.h"
#include "compose/layer_source.h"
#include "compose/layer_stack.h"

namespace mirelane {

void AddBackgroundLayer(TImgView32& view, const EditingState& state, const LayerSources& sources);

}  // namespace mirelane
