// The background step: nothing for a transparent background, a colour fill of the base, or the
// background picture as the lowest layer stretched over the whole canvas.
#include "compose/background_layer.h"

#include "picture/picture_reader.h"

namespace mirelane {

void AddBackgroundLayer(TImgView32& view, const EditingState& state, const LayerSources& sources) {
  if (state.TransparentBackground) return;
  const LayerSource& background = sources[kBackgroundSource];
  if (background.UseColor) {
    view.Bitmap().Clear(ColorToColor32(background.Color));
    return;
  }
  TBitmapLayer& layer = view.Layers().Add();
  layer.Scaled = true;
  layer.Bitmap().SetCombineMode(cmBlend);
  layer.Bitmap().SetDrawMode(dmBlend);
  // A picture that cannot be read leaves the layer with an empty bitmap, which is never drawn.
  LoadFromFile(layer.Bitmap(), background.PicturePath);
  layer.Location =
      TFloatRect{0, 0, static_cast<float>(view.Bitmap().Width()), static_cast<float>(view.Bitmap().Height())};
}

}  // namespace mirelane
