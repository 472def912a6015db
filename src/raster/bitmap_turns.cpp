// Mirroring and quarter turns of a surface, in place or into another.
#include "raster/bitmap32.h"

#include <algorithm>

namespace mirelane {

void TBitmap32::FlipHorizontal(TBitmap32* dst) {
  if (dst == nullptr || dst == this) {
    for (int32_t y = 0; y < height_; ++y) std::reverse(ScanLine(y), ScanLine(y) + width_);
    Changed();
    return;
  }
  dst->SetSize(width_, height_);
  for (int32_t y = 0; y < height_; ++y)
    std::reverse_copy(ScanLine(y), ScanLine(y) + width_, dst->ScanLine(y));
  dst->Changed();
}

void TBitmap32::FlipVertical(TBitmap32* dst) {
  if (dst == nullptr || dst == this) {
    std::vector<TColor32> row(static_cast<size_t>(width_));
    for (int32_t i = 0; i < height_ / 2; ++i) {
      TColor32* a = ScanLine(i);
      TColor32* b = ScanLine(height_ - 1 - i);
      std::copy_n(a, width_, row.data());
      std::copy_n(b, width_, a);
      std::copy_n(row.data(), width_, b);
    }
    Changed();
    return;
  }
  dst->SetSize(width_, height_);
  for (int32_t y = 0; y < height_; ++y) std::copy_n(ScanLine(y), width_, dst->ScanLine(height_ - 1 - y));
  dst->Changed();
}

void TBitmap32::Rotate(TBitmap32* dst, Turn turn) {
  const int32_t w = width_, h = height_;
  const bool quarter = turn != Turn::Half;
  const int32_t rw = quarter ? h : w, rh = quarter ? w : h;
  std::vector<TColor32> out(bits_.size());
  const auto stride = static_cast<size_t>(rw);
  // The turn is chosen once; each loop puts every source row where that turn takes it.
  switch (turn) {
    case Turn::Quarter:  // clockwise: row y becomes column h - 1 - y, read downwards
      for (int32_t y = 0; y < h; ++y) {
        const TColor32* line = ScanLine(y);
        TColor32* column = out.data() + (h - 1 - y);
        for (int32_t x = 0; x < w; ++x) column[static_cast<size_t>(x) * stride] = line[x];
      }
      break;
    case Turn::Half:
      for (int32_t y = 0; y < h; ++y)
        std::reverse_copy(ScanLine(y), ScanLine(y) + w, out.data() + static_cast<size_t>(h - 1 - y) * stride);
      break;
    case Turn::ThreeQuarters:  // counter-clockwise: row y becomes column y, read upwards
      for (int32_t y = 0; y < h; ++y) {
        const TColor32* line = ScanLine(y);
        TColor32* column = out.data() + y;
        for (int32_t x = 0; x < w; ++x) column[static_cast<size_t>(w - 1 - x) * stride] = line[x];
      }
      break;
  }
  if (dst == nullptr || dst == this) {
    if (rw == width_ && rh == height_) {
      // The half turn raises Changed; a square quarter turn keeps its size and stays silent.
      bits_ = std::move(out);
      if (!quarter) Changed();
      return;
    }
    // The new size with its pixels already in place, then the notifications of a resize, so
    // a listener never sees the zeroed store of a plain SetSize.
    bits_ = std::move(out);
    width_ = rw;
    height_ = rh;
    clipRect_ = BoundsRect();
    Changed();
    return;
  }
  dst->SetSize(rw, rh);
  dst->bits_ = std::move(out);
  dst->Changed();
}

void TBitmap32::Rotate90(TBitmap32* dst) {
  Rotate(dst, Turn::Quarter);
}
void TBitmap32::Rotate180(TBitmap32* dst) {
  Rotate(dst, Turn::Half);
}
void TBitmap32::Rotate270(TBitmap32* dst) {
  Rotate(dst, Turn::ThreeQuarters);
}

}  // namespace mirelane
