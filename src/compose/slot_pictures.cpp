// One decode per slot and render: the first layer that needs a slot's picture decodes it under the
// slot's own lock; later layers, on whatever thread, read the same surface.
#include "compose/slot_pictures.h"

#include <utility>

#include "picture/picture_reader.h"
#include "raster/error.h"

namespace mirelane {

SlotPictures::SlotPictures(const LayerSources& sources)
    : SlotPictures(sources, [](TBitmap32& target, const std::string& file) { LoadFromFile(target, file); }) {}

SlotPictures::SlotPictures(const LayerSources& sources, PictureLoader loader)
    : sources_(sources), loader_(std::move(loader)) {}

SlotPictures::Entry& SlotPictures::EntryOf(SourceIndex slot) {
  if (slot < 1 || slot > kSourceCount || sources_[slot].UseColor)
    throw Error("Slot " + std::to_string(slot) + " feeds no picture");
  return entries_[static_cast<size_t>(slot - 1)];
}

void SlotPictures::Decode(Entry& entry, SourceIndex slot, TBitmap32& target) {
  try {
    loader_(target, sources_[slot].PicturePath);
    entry.Shared = &target;
  } catch (...) {
    entry.Failure = std::current_exception();
    throw;
  }
}

const TBitmap32& SlotPictures::Picture(SourceIndex slot) {
  Entry& entry = EntryOf(slot);
  const std::lock_guard<std::mutex> hold(entry.Lock);
  if (entry.Failure) std::rethrow_exception(entry.Failure);
  if (entry.Shared != nullptr) return *entry.Shared;
  auto picture = std::make_unique<TBitmap32>();
  // The layers read it as their own source surface would be set up.
  picture->SetDrawMode(dmBlend);
  picture->SetCombineMode(cmBlend);
  picture->SetOuterColor(0);
  picture->SetMasterAlpha(255);
  Decode(entry, slot, *picture);
  entry.Owned = std::move(picture);
  return *entry.Shared;
}

void SlotPictures::LoadInto(SourceIndex slot, TBitmap32& target) {
  Entry& entry = EntryOf(slot);
  const std::lock_guard<std::mutex> hold(entry.Lock);
  if (entry.Failure) std::rethrow_exception(entry.Failure);
  if (entry.Shared != nullptr) {
    // Already decoded for a layer: hand over the pixels rather than decoding again.
    target.SetSize(entry.Shared->Width(), entry.Shared->Height());
    entry.Shared->CopyMapTo(target);
    return;
  }
  Decode(entry, slot, target);
}

std::string LayerContext(size_t layerNumber, const std::string& type, const std::string& templateName) {
  return "Layer " + std::to_string(layerNumber) + " (\"" + type + "\") of the template \"" + templateName +
         "\"";
}

std::string PictureErrorMessage(const std::string& use, const std::string& readerMessage) {
  return use + ": " + readerMessage;
}

}  // namespace mirelane
