// The choice of the layers' resampler, as the two hidden drop-down lists make it, without a toolkit:
// the lists are plain values and the resampler list's change handler an operation over the stack.
#pragma once

#include <string>
#include <vector>

#include "compose/layer_stack.h"

namespace mirelane {

struct ResamplerLists {
  std::vector<std::string> ResamplerNames;  // ResamplerClassNamesList, registry order
  int ResamplerIndex = -1;                  // selected entry, -1 for none
  std::vector<std::string> KernelNames;     // KernelClassNamesList, registry order
  int KernelIndex = -1;
};

// Fills both lists from the registries and selects the resampler every layer is made with
// (kLayerResamplerClass, index 1) and the first kernel (TBoxKernel).
ResamplerLists FillResamplerLists();

// Gives every layer's surface, background included, a fresh resampler of the selected class; a
// name without a resampler here changes nothing.
void ResamplerClassNamesListChange(TLayerCollection& layers, const ResamplerLists& lists);

}  // namespace mirelane
