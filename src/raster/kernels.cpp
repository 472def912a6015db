// The tent kernel and the kernel names.
#include "raster/kernels.h"

namespace mirelane {

float TLinearKernel::KernelAt(float x) const {
  if (x >= -1.0f && x < 0.0f) return 1.0f + x;
  if (x >= 0.0f && x < 1.0f) return 1.0f - x;
  return 0.0f;
}

const std::vector<std::string>& KernelClassNames() {
  static const std::vector<std::string> names = {
      "TBoxKernel",      "TLinearKernel",  "TCosineKernel",   "TSplineKernel",   "TCubicKernel",
      "TMitchellKernel", "TLanczosKernel", "TGaussianKernel", "TBlackmanKernel", "THannKernel",
      "THammingKernel",  "TSinshKernel",   "THermiteKernel",
  };
  return names;
}

}  // namespace mirelane
