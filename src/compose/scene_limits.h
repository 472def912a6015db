// Bounds on the work of one render, checked before any layer is built: how many layers a template
// may have and how much memory its scene may be expected to hold at its peak.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mirelane {

// Far above any shot worth composing (the shipped ones have at most 20 layers), far below what
// keeps a render busy for minutes.
constexpr size_t kMaxSceneLayers = 256;
// What one render may hold at once; a 4096 x 4096 shot of any shipped template, its layers built
// two at a time, stays well within it. Fewer layers are built at once where more would not fit.
constexpr double kSceneMemoryBudget = 2.0 * 1024 * 1024 * 1024;

// The largest picture a layer works on while it is built: a disc is drawn at its quadrilateral's
// size; every other kind is counted at the canvas size (a slot picture's own size is not known
// before it is decoded; the picture reader bounds it). KeptPixels: what the finished layer holds,
// its box on the canvas; -1 counts the whole canvas. MaskPictures: how many pictures of the mask's
// size (at most the box) the face's cut holds.
struct LayerFootprint {
  int64_t WorkWidth = 0;
  int64_t WorkHeight = 0;
  int64_t KeptPixels = -1;
  int64_t MaskPictures = 1;
};

// The expected peak in bytes of a scene of these layers on a width x height canvas, with up to
// inFlight layers built at once.
double EstimateSceneBytes(int32_t width, int32_t height, const std::vector<LayerFootprint>& layers,
                          unsigned inFlight);

// Fails with Error naming the template, the limit and the numbers when the layer count or the
// estimate exceeds its limit.
void CheckSceneLimits(const std::string& templateName, int32_t width, int32_t height,
                      const std::vector<LayerFootprint>& layers, unsigned inFlight);

}  // namespace mirelane
