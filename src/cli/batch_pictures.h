// Slot pictures shared by the rows of a batch: a picture file that many rows use (a common
// background, one front for several shots) is decoded once, and released after the last row that
// names it.
#pragma once

#include <cstddef>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "compose/slot_pictures.h"
#include "templates/shot_designer.h"

namespace mirelane {

class BatchPictures {
 public:
  // decode: reads one file (LoadFromFile in the program).
  explicit BatchPictures(PictureLoader decode);
  BatchPictures(const BatchPictures&) = delete;
  BatchPictures& operator=(const BatchPictures&) = delete;

  // Counts one more row that names these files; a file is kept decoded until as many Release calls.
  void Expect(const std::vector<std::string>& files);
  // The row that named these files is done with them.
  void Release(const std::vector<std::string>& files);

  // A loader for the render of one row: copies the shared decode of the file into the target,
  // decoding it on first use. A file that could not be read fails the same way for every row.
  PictureLoader Loader();

  // The size of a picture from the same shared decode, without a copy (a designed shot's proportions).
  ArtworkSizeOf SizeOf();

  // How many decodes ran (for the tests and the summary).
  size_t Decodes() const;

 private:
  struct Entry {
    std::mutex Lock;
    std::shared_ptr<const TBitmap32> Picture;
    std::exception_ptr Failure;
    size_t Users = 0;
  };
  std::shared_ptr<Entry> EntryOf(const std::string& file);
  std::shared_ptr<const TBitmap32> Shared(const std::string& file);
  void Load(TBitmap32& target, const std::string& file);

  PictureLoader decode_;
  mutable std::mutex lock_;
  std::map<std::string, std::shared_ptr<Entry>> entries_;
  size_t decodes_ = 0;
};

}  // namespace mirelane
