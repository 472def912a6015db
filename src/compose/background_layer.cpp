// The background step: nothing for a transparent background, a colour fill of the base, or the
// background picture as the lowest layer stretched over the whole canvas.
#include "compose/background_layer.h"

#include "raster/error.h"

namespace mirelane {

void AddBackgroundLayer(TImgView32& view, const EditingState& state, const LayerSources& sources,
                        SlotPictures& pictures) {
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
  layer.Bitmap().SetOuterColor(0);
  layer.Bitmap().SetMasterAlpha(255);
  try {
    pictures.LoadInto(kBackgroundSource, layer.Bitmap());
  } catch (const Error& e) {
    throw Error(PictureErrorMessage("Background picture", e.what()));
  }
  layer.Location =
      TFloatRect{0, 0, static_cast<float>(view.Bitmap().Width()), static_cast<float>(view.Bitmap().Height())};
}

}  // namespace mirelane
