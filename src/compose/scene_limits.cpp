// The layer count limit and the memory estimate of a scene.
#include "compose/scene_limits.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "raster/error.h"

namespace mirelane {

namespace {

constexpr double kBytesPerPixel = 4;

// Rounded up, so that an estimate over the budget never reads as equal to it.
std::string Mebibytes(double bytes) {
  return std::to_string(static_cast<uint64_t>(std::ceil(bytes / (1024.0 * 1024)))) + " MiB";
}

}  // namespace

double EstimateSceneBytes(int32_t width, int32_t height, const std::vector<LayerFootprint>& layers,
                          unsigned inFlight) {
  // The base holds a canvas-sized surface and every finished layer its box. A layer being built
  // holds its face (which becomes the finished layer), its source picture and a working copy of it,
  // and its mask-sized pictures (a mask of at most the box's size, more for a grown face).
  const double canvas = static_cast<double>(width) * static_cast<double>(height);
  std::vector<double> temporaries;
  temporaries.reserve(layers.size());
  double kept = 0;
  for (const LayerFootprint& layer : layers) {
    const double work = static_cast<double>(layer.WorkWidth) * static_cast<double>(layer.WorkHeight);
    const double box = layer.KeptPixels < 0 ? canvas : static_cast<double>(layer.KeptPixels);
    kept += box;
    temporaries.push_back(2 * work + static_cast<double>(layer.MaskPictures) * box);
  }
  const size_t building = std::min<size_t>(std::max(inFlight, 1u), temporaries.size());
  std::partial_sort(temporaries.begin(), temporaries.begin() + static_cast<std::ptrdiff_t>(building),
                    temporaries.end(), std::greater<>());
  double pixels = canvas + kept;
  for (size_t i = 0; i < building; ++i) pixels += temporaries[i];
  return pixels * kBytesPerPixel;
}

void CheckSceneLimits(const std::string& templateName, int32_t width, int32_t height,
                      const std::vector<LayerFootprint>& layers, unsigned inFlight) {
  if (layers.size() > kMaxSceneLayers) {
    throw Error("The template \"" + templateName + "\" has " + std::to_string(layers.size()) +
                " layers, more than the " + std::to_string(kMaxSceneLayers) + " a render can take");
  }
  const double bytes = EstimateSceneBytes(width, height, layers, inFlight);
  if (bytes > kSceneMemoryBudget) {
    throw Error("The template \"" + templateName + "\" would need about " + Mebibytes(bytes) +
                " of memory at " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels, more than the " + Mebibytes(kSceneMemoryBudget) + " a render may take");
  }
}

}  // namespace mirelane
