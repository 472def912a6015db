// From a rendered view to the saved file.
#include "templates/finished_shot.h"

namespace mirelane {

void MirrorAsSaved(TBitmap32& picture, const EditingState& state) {
  if (state.FlipWhenSaved) picture.FlipHorizontal();
}

std::unique_ptr<TBitmap32> FlattenedShot(const TImgView32& view) {
  // A new surface starts transparent: the layers are flattened onto nothing.
  auto picture = std::make_unique<TBitmap32>(view.Bitmap().Width(), view.Bitmap().Height());
  view.Flatten(*picture);
  return picture;
}

std::unique_ptr<TBitmap32> FinishedShot(const TImgView32& view, const EditingState& state) {
  std::unique_ptr<TBitmap32> picture = FlattenedShot(view);
  MirrorAsSaved(*picture, state);
  return picture;
}

void SaveShot(const TBitmap32& shot, const std::string& fileName, const EditingState& state,
              const TSaveQuality& quality) {
  SavePicture(shot, fileName, state.OutputDpi, quality);
}

}  // namespace mirelane
