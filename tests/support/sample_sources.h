// The sample artwork in examples/ put into the layer source slots, for renders in tests and benchmarks.
#pragma once

#include <filesystem>
#include <string>

#include "compose/layer_source.h"

namespace mirelane::testing {

// Slots 2 to 9 take examples/<name>.png (or .jpg) where there is one; the background keeps its colour.
inline LayerSources SampleSources(const std::filesystem::path& sourceDir) {
  LayerSources sources;
  const char* names[] = {"background", "front", "side", "top", "disc", "front2", "side2", "top2", "disc2"};
  for (SourceIndex i = kBackgroundSource + 1; i <= kSourceCount; ++i) {
    for (const char* ext : {".png", ".jpg"}) {
      const std::filesystem::path p = sourceDir / "examples" / (std::string(names[i - 1]) + ext);
      if (std::filesystem::exists(p)) {
        sources[i].PicturePath = p.string();
        sources[i].UseColor = false;
        break;
      }
    }
  }
  return sources;
}

}  // namespace mirelane::testing
