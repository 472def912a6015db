// Decoding each picture file of a batch once, under its own lock, so that rows wanting different
// files decode them side by side while rows wanting the same file wait for the one decode.
#include "cli/batch_pictures.h"

#include <utility>

namespace mirelane {

BatchPictures::BatchPictures(PictureLoader decode) : decode_(std::move(decode)) {}

void BatchPictures::Expect(const std::vector<std::string>& files) {
  const std::lock_guard<std::mutex> hold(lock_);
  for (const std::string& file : files) {
    std::shared_ptr<Entry>& entry = entries_[file];
    if (!entry) entry = std::make_shared<Entry>();
    ++entry->Users;
  }
}

void BatchPictures::Release(const std::vector<std::string>& files) {
  const std::lock_guard<std::mutex> hold(lock_);
  for (const std::string& file : files) {
    const auto at = entries_.find(file);
    if (at == entries_.end()) continue;
    if (at->second->Users > 0 && --at->second->Users == 0) entries_.erase(at);
  }
}

std::shared_ptr<BatchPictures::Entry> BatchPictures::EntryOf(const std::string& file) {
  const std::lock_guard<std::mutex> hold(lock_);
  std::shared_ptr<Entry>& entry = entries_[file];
  // A file no row announced (or whose rows are all done) still loads, just unshared.
  if (!entry) entry = std::make_shared<Entry>();
  return entry;
}

std::shared_ptr<const TBitmap32> BatchPictures::Shared(const std::string& file) {
  const std::shared_ptr<Entry> entry = EntryOf(file);
  std::shared_ptr<const TBitmap32> picture;
  {
    const std::lock_guard<std::mutex> hold(entry->Lock);
    if (entry->Failure) std::rethrow_exception(entry->Failure);
    if (!entry->Picture) {
      auto decoded = std::make_shared<TBitmap32>();
      try {
        decode_(*decoded, file);
      } catch (...) {
        entry->Failure = std::current_exception();
        {
          const std::lock_guard<std::mutex> count(lock_);
          ++decodes_;
        }
        throw;
      }
      {
        const std::lock_guard<std::mutex> count(lock_);
        ++decodes_;
      }
      entry->Picture = std::move(decoded);
    }
    picture = entry->Picture;
  }
  return picture;
}

void BatchPictures::Load(TBitmap32& target, const std::string& file) {
  const std::shared_ptr<const TBitmap32> picture = Shared(file);
  // Each render owns its copy; copying is far cheaper than decoding again.
  target.SetSize(picture->Width(), picture->Height());
  picture->CopyMapTo(target);
}

PictureLoader BatchPictures::Loader() {
  return [this](TBitmap32& target, const std::string& file) { Load(target, file); };
}

ArtworkSizeOf BatchPictures::SizeOf() {
  return [this](const std::string& file) {
    const std::shared_ptr<const TBitmap32> picture = Shared(file);
    return ArtworkSize{picture->Width(), picture->Height()};
  };
}

size_t BatchPictures::Decodes() const {
  const std::lock_guard<std::mutex> hold(lock_);
  return decodes_;
}

}  // namespace mirelane
