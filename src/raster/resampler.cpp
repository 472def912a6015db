// The resampler registry and nearest-neighbour stretching.
#include "raster/resampler.h"

#include <cstdint>

namespace mirelane {

namespace {

// One source index per destination column (or row); no half-pixel offset.
std::vector<int32_t> NearestMap(int32_t dstLo, int32_t dstN, int32_t clipLo, int32_t clipHi, int32_t srcLo,
                                int32_t srcHi) {
  std::vector<int32_t> map(static_cast<size_t>(clipHi - clipLo));
  if (dstN < 2) {
    const int32_t only = (srcLo + srcHi - 1) / 2;
    for (auto& m : map) m = only;
    return map;
  }
  const float step = static_cast<float>(srcHi - srcLo) / static_cast<float>(dstN);
  for (int32_t x = clipLo; x < clipHi; ++x) {
    map[static_cast<size_t>(x - clipLo)] =
        static_cast<int32_t>(static_cast<double>(x - dstLo) * static_cast<double>(step) + srcLo);
  }
  return map;
}

template <class T>
std::unique_ptr<TCustomResampler> Make(TBitmap32& bitmap) {
  return std::make_unique<T>(bitmap);
}

}  // namespace

void NearestStretch(TBitmap32& dst, const TRect& dstRect, const TRect& clip, const TBitmap32& src,
                    const TRect& srcRect) {
  const auto columns = NearestMap(dstRect.Left, dstRect.Width(), clip.Left, clip.Right, srcRect.Left,
                                  srcRect.Right);
  const auto rows = NearestMap(dstRect.Top, dstRect.Height(), clip.Top, clip.Bottom, srcRect.Top,
                               srcRect.Bottom);
  const TTransferCombiner combiner(src);
  const int n = clip.Width();
  std::vector<TColor32> run(static_cast<size_t>(n));
  int32_t gatheredRow = -1;
  for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
    const int32_t sy = rows[static_cast<size_t>(y - clip.Top)];
    if (sy != gatheredRow) {
      const TColor32* line = src.ScanLine(sy);
      for (int i = 0; i < n; ++i) run[static_cast<size_t>(i)] = line[columns[static_cast<size_t>(i)]];
      gatheredRow = sy;
    }
    combiner.CombineRun(run.data(), dst.ScanLine(y) + clip.Left, n);
  }
}

void TNearestResampler::ResampleRect(TBitmap32& dst, const TRect& dstRect, const TRect& clip,
                                     const TBitmap32& src, const TRect& srcRect) const {
  NearestStretch(dst, dstRect, clip, src, srcRect);
}

std::unique_ptr<TCustomResampler> TNearestResampler::CloneFor(TBitmap32& bitmap) const {
  auto copy = std::make_unique<TNearestResampler>(bitmap);
  CopySettingsTo(*copy);
  return copy;
}

const std::vector<TResamplerClass>& ResamplerRegistry() {
  static const std::vector<TResamplerClass> registry = {
      {"TNearestResampler", &Make<TNearestResampler>},
  };
  return registry;
}

const TResamplerClass* FindResamplerClass(const std::string& name) {
  for (const auto& entry : ResamplerRegistry()) {
    if (name == entry.Name) return &entry;
  }
  return nullptr;
}

}  // namespace mirelane
