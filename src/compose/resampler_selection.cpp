// The hidden resampler and kernel lists and their change handlers.
#include "compose/resampler_selection.h"

#include "raster/kernels.h"
#include "raster/resampler.h"

namespace mirelane {

ResamplerLists FillResamplerLists() {
  ResamplerLists lists;
  for (const auto& entry : ResamplerRegistry()) lists.ResamplerNames.emplace_back(entry.Name);
  for (const auto& entry : KernelRegistry()) lists.KernelNames.emplace_back(entry.Name);
  lists.ResamplerIndex = lists.ResamplerNames.size() > 1 ? 1 : -1;
  lists.KernelIndex = lists.KernelNames.empty() ? -1 : 0;
  return lists;
}

void ResamplerClassNamesListChange(TLayerCollection& layers, ResamplerLists& lists) {
  const auto& registry = ResamplerRegistry();
  if (lists.ResamplerIndex < 0 || lists.ResamplerIndex >= static_cast<int>(registry.size())) return;
  const TResamplerClass& cls = registry[static_cast<size_t>(lists.ResamplerIndex)];
  for (int i = 0; i < layers.Count(); ++i) {
    TBitmap32& surface = layers[i].Bitmap();
    surface.BeginUpdate();
    surface.SetResampler(cls.Create(surface));
    KernelClassNamesListChange(layers, lists);
    surface.EndUpdate();
    surface.Changed();
    auto* kernelResampler = dynamic_cast<TKernelResampler*>(surface.Resampler());
    lists.KernelListVisible = kernelResampler != nullptr;
    if (kernelResampler != nullptr) kernelResampler->SetPixelAccessMode(pamSafe);
  }
}

void KernelClassNamesListChange(TLayerCollection& layers, const ResamplerLists& lists) {
  const auto& registry = KernelRegistry();
  if (lists.KernelIndex < 0 || lists.KernelIndex >= static_cast<int>(registry.size())) return;
  const auto& cls = registry[static_cast<size_t>(lists.KernelIndex)];
  for (int i = 0; i < layers.Count(); ++i) {
    auto* kernelResampler = dynamic_cast<TKernelResampler*>(layers[i].Bitmap().Resampler());
    if (kernelResampler != nullptr) kernelResampler->SetKernel(cls.Create());
  }
}

}  // namespace mirelane
