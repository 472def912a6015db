// The hidden resampler and kernel lists and the resampler list's change handler.
#include "compose/resampler_selection.h"

#include <algorithm>

#include "raster/kernels.h"
#include "raster/resampler.h"

namespace mirelane {

ResamplerLists FillResamplerLists() {
  ResamplerLists lists{ResamplerClassNames(), -1, KernelClassNames(), -1};
  const auto layers =
      std::find(lists.ResamplerNames.begin(), lists.ResamplerNames.end(), kLayerResamplerClass);
  lists.ResamplerIndex =
      layers == lists.ResamplerNames.end() ? -1 : static_cast<int>(layers - lists.ResamplerNames.begin());
  lists.KernelIndex = lists.KernelNames.empty() ? -1 : 0;
  return lists;
}

void ResamplerClassNamesListChange(TLayerCollection& layers, const ResamplerLists& lists) {
  if (lists.ResamplerIndex < 0 || lists.ResamplerIndex >= static_cast<int>(lists.ResamplerNames.size()))
    return;
  const std::string& name = lists.ResamplerNames[static_cast<size_t>(lists.ResamplerIndex)];
  for (int i = 0; i < layers.Count(); ++i) {
    TBitmap32& surface = layers[i].Bitmap();
    surface.SetResampler(CreateResampler(name, surface));
  }
}

}  // namespace mirelane
