// The six built-in grey-level shade maps that shading, highlight and rounded-panel layers take their
// alpha from. Generated once from their descriptions; all pixels opaque grey (or near grey).
#pragma once

#include <memory>
#include <vector>

#include "raster/bitmap32.h"

namespace mirelane {

constexpr int kShadeMapCorner = 0;     // 300 x 300, dark at the top-right, light at the bottom-left
constexpr int kShadeMapSide = 1;       // 300 x 300, dark at the top, white at the bottom
constexpr int kShadeMapUniform = 2;    // 300 x 300, intensity 169 everywhere
constexpr int kShadeMapRing = 3;       // 400 x 400, white ring on black (not used by any layer)
constexpr int kShadeMapRoundRect = 4;  // 326 x 257, white rounded rectangle with a soft edge
constexpr int kShadeMapDisc = 5;       // 400 x 400, white disc with a black hole (not used)
constexpr int kShadeMapCount = 6;

// A read-only list of surfaces, addressed by index.
class TBitmap32List {
 public:
  int Count() const { return static_cast<int>(bitmaps_.size()); }
  // index must lie in 0..Count() - 1.
  const TBitmap32& Bitmap(int index) const { return *bitmaps_.at(static_cast<size_t>(index)); }
  void Add(std::unique_ptr<TBitmap32> bitmap) { bitmaps_.push_back(std::move(bitmap)); }

 private:
  std::vector<std::unique_ptr<TBitmap32>> bitmaps_;
};

// The six maps, generated on first use and never changed afterwards.
const TBitmap32List& ShadeBitmap32List();

// Builds a fresh copy of one map (what the list holds); for tests and tools.
std::unique_ptr<TBitmap32> MakeShadeMap(int index);

}  // namespace mirelane
