// The slot pictures of one render: each slot's picture decoded once, when a layer first needs it,
// and shared read-only by every layer built from that slot, on any thread.
#pragma once

#include <array>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "compose/layer_source.h"
#include "raster/bitmap32.h"

namespace mirelane {

// Decodes a picture file into a surface; throws Error and leaves the surface alone on failure.
using PictureLoader = std::function<void(TBitmap32&, const std::string&)>;

class SlotPictures {
 public:
  // The slots are read when a picture is first asked for; they must outlive this object.
  explicit SlotPictures(const LayerSources& sources);
  SlotPictures(const LayerSources& sources, PictureLoader loader);
  SlotPictures(const SlotPictures&) = delete;
  SlotPictures& operator=(const SlotPictures&) = delete;

  // The picture of a slot that feeds one (UseColor false), decoded on the first call. A picture that
  // cannot be read throws the loader's error, at this call and at every later one for the slot,
  // without being read again. The surface draws with dmBlend, cmBlend, MasterAlpha 255 and OuterColor 0.
  const TBitmap32& Picture(SourceIndex slot);

  // Decodes the slot's picture straight into a surface that outlives the render (the background
  // layer's bitmap), whose draw settings the caller has made the ones above, and shares that surface
  // with the layers from then on. Errors as for Picture; the target then keeps its content.
  void LoadInto(SourceIndex slot, TBitmap32& target);

 private:
  struct Entry {
    std::mutex Lock;
    std::unique_ptr<TBitmap32> Owned;
    const TBitmap32* Shared = nullptr;
    std::exception_ptr Failure;
  };
  Entry& EntryOf(SourceIndex slot);
  // With the entry locked: records the outcome of one decode into target.
  void Decode(Entry& entry, SourceIndex slot, TBitmap32& target);

  const LayerSources& sources_;
  PictureLoader loader_;
  std::array<Entry, kSourceCount> entries_;
};

// Where a picture that could not be read was needed, in words: "Layer 3 ("normal") of the template
// "01 Software box"", to be followed by the picture's name, as in ", FRONT picture".
std::string LayerContext(size_t layerNumber, const std::string& type, const std::string& templateName);

// A reader's message prefixed with who needed the picture ("Background picture", or a layer's
// context and the picture): "<use>: <message>".
std::string PictureErrorMessage(const std::string& use, const std::string& readerMessage);

}  // namespace mirelane
