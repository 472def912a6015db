// A rendered view made into the picture a save writes, and that picture written: the one path from a
// render to a file, for the command line, a batch row, the designer and the window.
#pragma once

#include <memory>
#include <string>

#include "compose/editing_state.h"
#include "compose/layer_stack.h"
#include "picture/picture_writer.h"
#include "raster/bitmap32.h"

namespace mirelane {

// Mirrors the picture left to right when the state's "flip when saved" is on.
void MirrorAsSaved(TBitmap32& picture, const EditingState& state);

// The view's layers flattened onto transparency and mirrored as saved: what a save or a copy holds.
std::unique_ptr<TBitmap32> FinishedShot(const TImgView32& view, const EditingState& state);

// The view's layers flattened, not mirrored: a preview of the shot.
std::unique_ptr<TBitmap32> FlattenedShot(const TImgView32& view);

// Writes a finished shot in the format its file name asks for, with the state's resolution; the file
// is written whole or not at all.
void SaveShot(const TBitmap32& shot, const std::string& fileName, const EditingState& state,
              const TSaveQuality& quality = {});

}  // namespace mirelane
