// The background step of a render: the BACKGROUND slot's colour fills the base, or its picture
// becomes the lowest layer stretched over the canvas.
#pragma once

#include "compose/editing_state.h"
#include "compose/layer_source.h"
#include "compose/layer_stack.h"
#include "compose/slot_pictures.h"

namespace mirelane {

// The picture is decoded through the render's slot pictures, so a template that also uses the
// BACKGROUND slot shares the layer's pixels. A picture that cannot be read ends the render with
// "Background picture: <the reader's message>"; the layer stays, empty, and is never drawn.
void AddBackgroundLayer(TImgView32& view, const EditingState& state, const LayerSources& sources,
                        SlotPictures& pictures);

}  // namespace mirelane
